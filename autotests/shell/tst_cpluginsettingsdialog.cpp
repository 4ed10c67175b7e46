#include "shell/cpluginsettingsdialog.h"

#include "autotests/shell/ctestscope.h"
#include "platform/context/ccontext.h"
#include "platform/plugman/iplugman.h"
#include "platform/port/port.h"
#include "platform/valuebrowser/tbasegroup.h"
#include "platform/valuebrowser/tbasevalue.h"
#include "platform/valuebrowser/tvaluebrowser.h"
#include "sim/csimulatedunit.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <climits>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

// One plug-in as the fake manager hands it out.
struct sFakePlugin
{
    QString name;
    std::vector<sPluginSetting> settings;
    bool hasStore = true;
    bool nullList = false;
    int count = -1; // -1: the number of settings
};

/** A plug-in manager with made-up plug-ins whose stores are groups of the test's settings file. */
class cFakePlugMan : public iPlugMan
{
public:
    explicit cFakePlugMan(std::vector<sFakePlugin> plugins) : m_plugins(std::move(plugins))
    {
        for (const sFakePlugin &p : m_plugins) {
            m_names << p.name;
            if (p.hasStore) {
                m_stores[p.name] = std::make_unique<QSettings>();
                m_stores[p.name]->beginGroup(p.name);
            }
        }
    }
    int version() const override { return 1; }
    bool loadPlugins() override { return true; }
    void unloadPlugins() override {}
    int pluginCount() const override { return int(m_plugins.size()); }
    bool hasPlugin(const QString &name) const override { return m_names.contains(name); }
    const sResPlugin *resPlugin(const sIODevice &) override { return nullptr; }
    const sLuaPlugin *pluginByName(const QString &) override { return nullptr; }
    QString pluginForDevice(const sIODevice &) const override { return {}; }
    const sCmdPlugin *cmdPlugin(const sIODevice &) override { return nullptr; }
    void registerContext(cContext *, tProgressFunc, void *, tCancelQuery) override {}
    void unregisterContext(cContext *) override {}
    QStringList pluginNames() const override { return m_names; }
    QString pluginDescription(const QString &name) const override { return name + QStringLiteral(" does things"); }
    int settingsCount(const QString &name) const override
    {
        const sFakePlugin &p = m_plugins.at(size_t(m_names.indexOf(name)));
        return p.count >= 0 ? p.count : int(p.settings.size());
    }
    const sPluginSetting *settingsList(const QString &name) const override
    {
        const sFakePlugin &p = m_plugins.at(size_t(m_names.indexOf(name)));
        return p.nullList ? nullptr : p.settings.data();
    }
    QSettings *settingsHandle(const QString &name) override
    {
        const auto it = m_stores.find(name);
        return it == m_stores.end() ? nullptr : it->second.get();
    }

private:
    std::vector<sFakePlugin> m_plugins;
    QStringList m_names;
    std::map<QString, std::unique_ptr<QSettings>> m_stores;
};

std::vector<sFakePlugin> fakePlugins()
{
    return {
        {QStringLiteral("link"),
         {{"timeoutMs", "Time-out in ms", 0, 0, 0},
          {"ratio", "A share", 1, 0, 0},
          {"port", "Port name", 2, 0, 0},
          {"fast", nullptr, 3, 0, 0}}},
        {QStringLiteral("none"), {{"x", "never shown", 0, 0, 0}}, true, false, 0},
        {QStringLiteral("storeless"), {{"x", "never shown", 0, 0, 0}}, false},
        {QStringLiteral("listless"), {{"x", "never shown", 0, 0, 0}}, true, true},
        {QStringLiteral("odd"),
         {{"before", "a", 0, 0, 0},
          {"colour", "unknown type", 7, 0, 0},
          {nullptr, "no name", 2, 0, 0},
          {"negative", "unknown type", -1, 0, 0},
          {"after", "b", 3, 0, 0}}},
    };
}

TBaseValue *row(QDialog *dialog, const QString &group, const QString &key)
{
    auto browser = dialog->findChild<TValueBrowser *>(QStringLiteral("pluginSettings"));
    for (int i = 0; browser && i < browser->topLevelItemCount(); ++i) {
        auto g = static_cast<TBaseGroup *>(browser->topLevelItem(i));
        if (g->name() == group)
            return browser->value(key, g);
    }
    return nullptr;
}

// Types over whatever the row shows, as an operator would.
void typeInto(TBaseValue *value, const QString &text)
{
    QWidget *target = value->editor();
    if (auto spin = qobject_cast<QAbstractSpinBox *>(target))
        target = spin->findChild<QLineEdit *>();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(4, target->height() / 2));
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(target, text);
}

// Runs the dialog modally; operate works on it while it is open and presses a button.
int runDialog(cPluginSettingsDialog *dialog, const std::function<void()> &operate)
{
    QTimer::singleShot(0, dialog, [dialog, operate] {
        operate();
        if (dialog->isVisible()) // the operation failed half-way: do not hang
            dialog->reject();
    });
    return dialog->exec();
}

void press(QDialog *dialog, const char *button)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
}

} // namespace

class tst_cPluginSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_scope = std::make_unique<cTestScope>(); }
    void init() { m_scope->clearSettings(); }
    void groupsAndRows();
    void cancelWritesNothing();
    void okWritesEveryRow_data();
    void okWritesEveryRow();
    void linkSettingTakesEffect();

private:
    std::unique_ptr<cTestScope> m_scope;
};

void tst_cPluginSettingsDialog::groupsAndRows()
{
    cFakePlugMan plugins(fakePlugins());
    cPluginSettingsDialog dialog(nullptr, &plugins);
    QString shown;
    runDialog(&dialog, [&] {
        auto browser = dialog.findChild<TValueBrowser *>(QStringLiteral("pluginSettings"));
        QVERIFY(browser);
        for (int i = 0; i < browser->topLevelItemCount(); ++i) {
            auto group = static_cast<TBaseGroup *>(browser->topLevelItem(i));
            shown += group->name() + QLatin1Char('(') + group->toolTip(0) + QStringLiteral("):");
            for (int r = 0; r < group->childCount(); ++r) {
                auto value = static_cast<TBaseValue *>(group->child(r));
                shown += QStringLiteral(" %1[%2]=%3").arg(value->propertyName(), value->toolTip(0),
                                                          value->value().toString());
            }
            shown += QLatin1Char(';');
        }
        press(&dialog, "cancelBtn");
    });
    QCOMPARE(shown, QStringLiteral("link(link does things): timeoutMs[Time-out in ms]=0 ratio[A share]=0 "
                                   "port[Port name]= fast[]=false;"
                                   "odd(odd does things): before[a]=0 after[b]=false;"));
}

void tst_cPluginSettingsDialog::cancelWritesNothing()
{
    cFakePlugMan plugins(fakePlugins());
    QSettings *store = plugins.settingsHandle(QStringLiteral("link"));
    store->setValue(QStringLiteral("timeoutMs"), 1500);
    store->setValue(QStringLiteral("port"), QStringLiteral("ttyS0"));
    cPluginSettingsDialog dialog(nullptr, &plugins);

    bool modifiedBefore = true;
    bool modifiedAfter = false;
    const int result = runDialog(&dialog, [&] {
        modifiedBefore = dialog.isWindowModified();
        typeInto(row(&dialog, QStringLiteral("link"), QStringLiteral("timeoutMs")), QStringLiteral("42"));
        typeInto(row(&dialog, QStringLiteral("link"), QStringLiteral("port")), QStringLiteral("ttyUSB3"));
        modifiedAfter = dialog.isWindowModified();
        press(&dialog, "cancelBtn");
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!modifiedBefore);
    QVERIFY(modifiedAfter);
    QCOMPARE(store->value(QStringLiteral("timeoutMs")), QVariant(1500));
    QCOMPARE(store->value(QStringLiteral("port")), QVariant(QStringLiteral("ttyS0")));
    QVERIFY(!store->contains(QStringLiteral("ratio")));

    // Reopened, it shows the stored values again, unmodified.
    QVariant timeout;
    runDialog(&dialog, [&] {
        modifiedBefore = dialog.isWindowModified();
        timeout = row(&dialog, QStringLiteral("link"), QStringLiteral("timeoutMs"))->value();
        press(&dialog, "cancelBtn");
    });
    QVERIFY(!modifiedBefore);
    QCOMPARE(timeout, QVariant(1500));
}

void tst_cPluginSettingsDialog::okWritesEveryRow_data()
{
    QTest::addColumn<QVariant>("storedTimeout");
    QTest::addColumn<QVariant>("storedRatio");
    QTest::addColumn<QVariant>("storedFast");
    QTest::addColumn<QVariant>("writtenTimeout");
    QTest::addColumn<QVariant>("writtenRatio");
    QTest::addColumn<QVariant>("writtenFast");
    QTest::newRow("missing values") << QVariant() << QVariant() << QVariant()
                                    << QVariant(0) << QVariant(0.0) << QVariant(false);
    QTest::newRow("values as text") << QVariant(QStringLiteral("250")) << QVariant(QStringLiteral("0.5"))
                                    << QVariant(QStringLiteral("true"))
                                    << QVariant(250) << QVariant(0.5) << QVariant(true);
    QTest::newRow("wrong types, out of range") << QVariant(qint64(5000000000)) << QVariant(QStringList{"a", "b"})
                                               << QVariant(QStringLiteral("maybe"))
                                               << QVariant(INT_MAX) << QVariant(0.0) << QVariant(false);
}

void tst_cPluginSettingsDialog::okWritesEveryRow()
{
    QFETCH(QVariant, storedTimeout);
    QFETCH(QVariant, storedRatio);
    QFETCH(QVariant, storedFast);
    QFETCH(QVariant, writtenTimeout);
    QFETCH(QVariant, writtenRatio);
    QFETCH(QVariant, writtenFast);
    cFakePlugMan plugins(fakePlugins());
    QSettings *link = plugins.settingsHandle(QStringLiteral("link"));
    QSettings *odd = plugins.settingsHandle(QStringLiteral("odd"));
    const auto put = [link](const char *key, const QVariant &v) {
        if (v.isValid())
            link->setValue(QLatin1String(key), v);
    };
    put("timeoutMs", storedTimeout);
    put("ratio", storedRatio);
    put("fast", storedFast);
    cPluginSettingsDialog dialog(nullptr, &plugins);

    const int result = runDialog(&dialog, [&] {
        typeInto(row(&dialog, QStringLiteral("link"), QStringLiteral("port")), QStringLiteral("COM 3"));
        press(&dialog, "okBtn");
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(link->value(QStringLiteral("timeoutMs")), writtenTimeout);
    QCOMPARE(link->value(QStringLiteral("ratio")), writtenRatio);
    QCOMPARE(link->value(QStringLiteral("port")), QVariant(QStringLiteral("COM 3")));
    QCOMPARE(link->value(QStringLiteral("fast")), writtenFast);
    // Unchanged rows of other plug-ins are written too; skipped settings are not.
    QCOMPARE(odd->allKeys(), (QStringList{"after", "before"}));
}

// Against the simulated unit on its pseudo-terminal, through the real plug-ins.
void tst_cPluginSettingsDialog::linkSettingTakesEffect()
{
    cSimulatedUnit unit;
    QVERIFY(unit.setOptions({QStringLiteral("ready-ms=0"), QStringLiteral("log-rate=0")}));
    QVERIFY2(unit.start(), qPrintable(unit.errorString()));
    sIODevice device;
    device.id = unit.ptyPath();
    device.devices = {sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), unit.ptyPath(), {}}};
    QVERIFY(port::open_port(device));
    void *handle = port::calc_io_handle(device);
    const QByteArray portName = device.id.toLatin1();
    const sResPlugin *res = pm::get(false)->resPlugin(device);
    QVERIFY(res);
    cContext ctx;
    QVERIFY(res->openTransfer(handle, portName.constData(), &ctx));
    const QByteArray big(3000, 'b');
    const QByteArray small(2000, 's');
    const auto put = [&](const char *path, const QByteArray &data) {
        return res->putFile(handle, portName.constData(), path, data.constData(), int(data.size()), &ctx);
    };

    // OK on an untouched dialog keeps the plug-ins' own values.
    cPluginSettingsDialog dialog;
    QVariant shownLimit;
    runDialog(&dialog, [&] {
        shownLimit = row(&dialog, QStringLiteral("zt-link-files"), QStringLiteral("maxFileSize"))->value();
        press(&dialog, "okBtn");
    });
    QCOMPARE(shownLimit, QVariant(64 * 1024 * 1024));
    QVERIFY(put("/tmp/before.bin", big));

    runDialog(&dialog, [&] {
        typeInto(row(&dialog, QStringLiteral("zt-link-files"), QStringLiteral("maxFileSize")), QStringLiteral("2000"));
        press(&dialog, "okBtn");
    });
    // The next transfer, on the same open link, goes by the new limit.
    QVERIFY(!put("/tmp/big.bin", big));
    QVERIFY(put("/tmp/small.bin", small));
    char *listing = nullptr;
    QVERIFY(res->listDir(handle, "/tmp", &listing, &ctx));
    const QByteArray text(listing);
    std::free(listing);
    QVERIFY2(text.contains("|before.bin*") && text.contains("|small.bin*") && !text.contains("big.bin"),
             text.constData());

    res->closeTransfer(handle, portName.constData(), &ctx);
    port::close_port(device, 1000);
    unit.stop();
}

QTEST_MAIN(tst_cPluginSettingsDialog)
#include "tst_cpluginsettingsdialog.moc"
