#include "shell/cpluginsettingsdialog.h"

#include "platform/logging/logs.h"
#include "platform/plugman/iplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/valuebrowser/tbasegroup.h"
#include "platform/valuebrowser/tboolvalue.h"
#include "platform/valuebrowser/tdoublevalue.h"
#include "platform/valuebrowser/tintegervalue.h"
#include "platform/valuebrowser/ttextvalue.h"
#include "platform/valuebrowser/tvaluebrowser.h"

#include "ui_cpluginsettingsdialog.h"

#include <QSettings>

namespace {

constexpr unsigned int kBrowserOptions = 18; // header and alternating row colours

enum SettingType : int32_t { IntegerSetting = 0, DoubleSetting = 1, TextSetting = 2, BoolSetting = 3 };

TBaseValue *makeRow(TValueBrowser *browser, int32_t type, const QString &name)
{
    switch (type) {
    case IntegerSetting:
        return new TIntegerValue(browser, name, -1, -1);
    case DoubleSetting:
        return new TDoubleValue(browser, name, -1, -1);
    case TextSetting:
        return new TTextValue(browser, name, -1, -1);
    case BoolSetting:
        return new TBoolValue(browser, name, -1, -1);
    default:
        return nullptr;
    }
}

} // namespace

cPluginSettingsDialog::cPluginSettingsDialog(QWidget *parent, iPlugMan *plugMan)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::cPluginSettingsDialog>())
    , m_plugMan(plugMan)
{
    m_ui->setupUi(this);
    m_browser = new TValueBrowser(this, kBrowserOptions);
    m_browser->setObjectName(QStringLiteral("pluginSettings"));
    m_ui->settingsLayout->addWidget(m_browser);
    connect(m_browser, &TValueBrowser::ItemChanged, this, &cPluginSettingsDialog::itemChanged);
    setWindowModified(false);
}

cPluginSettingsDialog::~cPluginSettingsDialog() = default;

iPlugMan *cPluginSettingsDialog::plugMan() const { return m_plugMan ? m_plugMan : pm::get(false); }

int cPluginSettingsDialog::exec()
{
    buildSettingsLayout();
    return QDialog::exec();
}

void cPluginSettingsDialog::buildSettingsLayout()
{
    clear();
    iPlugMan *manager = plugMan();
    const QStringList names = manager->pluginNames();
    for (const QString &plugin : names) {
        QSettings *store = manager->settingsHandle(plugin);
        const int count = manager->settingsCount(plugin);
        const sPluginSetting *list = manager->settingsList(plugin);
        if (!store || count <= 0 || !list)
            continue;

        TBaseGroup *group = m_browser->addGroup(plugin, QString(), false);
        group->setToolTip(0, manager->pluginDescription(plugin));
        group->setSectionName(QString());

        for (int i = 0; i < count; ++i) {
            const sPluginSetting &setting = list[i];
            // Without a name there is no key to read or write.
            if (!setting.name || !*setting.name) {
                logs::add(QStringLiteral("Plug-in %1: setting %2 has no name and is left out").arg(plugin).arg(i + 1), 2);
                continue;
            }
            const QString key = QString::fromLatin1(setting.name);
            const QVariant current = store->value(key, QVariant());
            TBaseValue *row = makeRow(m_browser, setting.type, key);
            if (!row)
                continue;
            row->setPropertyName(key);
            row->setToolTip(0, setting.toolTip ? QString::fromLatin1(setting.toolTip) : QString());
            row->setValue(current);
            m_stores.insert(row, store);
        }
    }
    m_browser->viewport()->update();
}

void cPluginSettingsDialog::clear()
{
    m_stores.clear();
    m_browser->clear();
    setWindowModified(false);
}

void cPluginSettingsDialog::itemChanged(TBaseItem *)
{
    setWindowModified(true);
}

void cPluginSettingsDialog::accept()
{
    for (auto it = m_stores.cbegin(); it != m_stores.cend(); ++it) {
        if (it.value())
            it.value()->setValue(it.key()->propertyName(), it.key()->value());
    }
    QDialog::accept();
}

void cPluginSettingsDialog::hintChanged(const QString &, TBaseItem *, const QString &) {}

void cPluginSettingsDialog::hintChanged(const QString &, TBaseItem *) {}

void cPluginSettingsDialog::hintChanged(const QString &) {}
