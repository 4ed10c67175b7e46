#include "shell/caboutdialog.h"

#include "autotests/shell/ctestscope.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class tst_cAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_scope = std::make_unique<cTestScope>(); }
    void lines();
    void versionLine_data();
    void versionLine();
    void iconFromResFolder();

private:
    static QString label(const cAboutDialog &dialog, const char *name)
    {
        const auto found = dialog.findChild<QLabel *>(QLatin1String(name));
        return found ? found->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
    }
    std::unique_ptr<cTestScope> m_scope;
};

void tst_cAboutDialog::lines()
{
    m_scope->makeAppRoot(false);
    cAboutDialog dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
    QCOMPARE(label(dialog, "version"), QStringLiteral("Version: %1"));
    QCOMPARE(label(dialog, "qtVer"), QStringLiteral("Qt version: ") + QLatin1String(qVersion()));
    QCOMPARE(label(dialog, "luaVer"), QStringLiteral("Lua version: Lua 5.1.5"));
    QCOMPARE(label(dialog, "startedFrom"), QStringLiteral("Started from: ") + QCoreApplication::applicationDirPath());
    dialog.setDescription(QStringLiteral("what it is for"));
    QCOMPARE(label(dialog, "descLabel"), QStringLiteral("what it is for"));

    const auto close = dialog.findChild<QPushButton *>(QStringLiteral("okBtn"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Close"));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QVERIFY(accepted.isValid());
    dialog.show();
    QTest::mousePress(close, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
}

void tst_cAboutDialog::versionLine_data()
{
    QTest::addColumn<QList<int>>("parts");
    QTest::addColumn<QString>("line");

    QTest::newRow("tool set") << QList<int>{2, 4, 17, 3} << "Version: 2.4.17.3 from Jan 22 2018";
    QTest::newRow("zeros") << QList<int>{0, 0, 0, 0} << "Version: 0.0.0.0 from Jan 22 2018";
    QTest::newRow("byte limits") << QList<int>{255, 255, 255, 255} << "Version: 255.255.255.255 from Jan 22 2018";
}

void tst_cAboutDialog::versionLine()
{
    QFETCH(QList<int>, parts);
    QFETCH(QString, line);
    cAboutDialog dialog(nullptr);
    dialog.setVersion(sVersion{quint8(parts[0]), quint8(parts[1]), quint8(parts[2]), quint8(parts[3])});
    QCOMPARE(label(dialog, "version"), line);
    // The first version consumed the placeholder; a second one changes nothing.
    dialog.setVersion(sVersion{2, 0, 0, 1});
    QCOMPARE(label(dialog, "version"), line);
}

void tst_cAboutDialog::iconFromResFolder()
{
    const QString root = m_scope->makeAppRoot(true);
    QVERIFY(cAboutDialog(nullptr).findChild<QLabel *>(QStringLiteral("icon"))->pixmap().isNull());
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("about.png"), Qt::blue));
    cAboutDialog dialog(nullptr);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("icon"))->pixmap().toImage().pixelColor(1, 1), QColor(Qt::blue));
}

QTEST_MAIN(tst_cAboutDialog)
#include "tst_caboutdialog.moc"
