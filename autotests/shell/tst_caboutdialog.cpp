#include "shell/caboutdialog.h"

#include "autotests/shell/ctestscope.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <lua.h>

#include <memory>

class tst_cAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fixedLines();
    void versionLine_data();
    void versionLine();
    void secondVersionIsIgnored();
    void iconFromResFolder();
    void closeButtonAccepts();

private:
    static QString label(const cAboutDialog &dialog, const char *name);
    std::unique_ptr<cTestScope> m_scope;
};

void tst_cAboutDialog::initTestCase()
{
    m_scope = std::make_unique<cTestScope>();
}

QString tst_cAboutDialog::label(const cAboutDialog &dialog, const char *name)
{
    const auto found = dialog.findChild<QLabel *>(QLatin1String(name));
    return found ? found->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
}

void tst_cAboutDialog::fixedLines()
{
    m_scope->makeAppRoot(false);
    cAboutDialog dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
    QCOMPARE(label(dialog, "programNameLabel"), QStringLiteral("ZOVAN Tools"));
    QCOMPARE(label(dialog, "version"), QStringLiteral("Version: %1"));
    QCOMPARE(label(dialog, "label_2"), QStringLiteral("Description:"));
    QCOMPARE(label(dialog, "qtVer"), QStringLiteral("Qt version: ") + QLatin1String(qVersion()));
    QCOMPARE(label(dialog, "luaVer"), QStringLiteral("Lua version: Lua 5.1.5"));
    QCOMPARE(QLatin1String(LUA_RELEASE), QLatin1String("Lua 5.1.5"));
    QCOMPARE(label(dialog, "archLabel"), QString());

    const QString started = label(dialog, "startedFrom");
    QCOMPARE(started, QStringLiteral("Started from: ") + QCoreApplication::applicationDirPath());
#ifndef Q_OS_WIN
    QVERIFY(!started.contains(QLatin1Char('\\')));
#endif
    QFont bold = dialog.findChild<QLabel *>(QStringLiteral("programNameLabel"))->font();
    QVERIFY(bold.bold());
    QCOMPARE(bold.pointSize(), 10);

    dialog.setDescription(QStringLiteral("what it is for"));
    QCOMPARE(label(dialog, "descLabel"), QStringLiteral("what it is for"));
}

void tst_cAboutDialog::versionLine_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("build");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("line");

    QTest::newRow("tool set") << 1 << 8 << 12 << 0 << "Version: 1.8.12.0 from Jan 22 2018";
    QTest::newRow("zeros") << 0 << 0 << 0 << 0 << "Version: 0.0.0.0 from Jan 22 2018";
    QTest::newRow("byte limits") << 255 << 255 << 255 << 255 << "Version: 255.255.255.255 from Jan 22 2018";
}

void tst_cAboutDialog::versionLine()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, build);
    QFETCH(int, revision);
    QFETCH(QString, line);
    cAboutDialog dialog(nullptr);
    dialog.setVersion(sVersion{quint8(major), quint8(minor), quint8(build), quint8(revision)});
    QCOMPARE(label(dialog, "version"), line);
}

void tst_cAboutDialog::secondVersionIsIgnored()
{
    cAboutDialog dialog(nullptr);
    dialog.setVersion(sVersion{1, 8, 12, 0});
    dialog.setVersion(sVersion{2, 0, 0, 1});
    QCOMPARE(label(dialog, "version"), QStringLiteral("Version: 1.8.12.0 from Jan 22 2018"));
}

void tst_cAboutDialog::iconFromResFolder()
{
    const QString root = m_scope->makeAppRoot(true);
    {
        cAboutDialog dialog(nullptr);
        QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("icon"))->pixmap().isNull());
    }
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("about.png"), Qt::blue));
    cAboutDialog dialog(nullptr);
    const QPixmap icon = dialog.findChild<QLabel *>(QStringLiteral("icon"))->pixmap();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.toImage().pixelColor(1, 1), QColor(Qt::blue));
}

void tst_cAboutDialog::closeButtonAccepts()
{
    cAboutDialog dialog(nullptr);
    const auto close = dialog.findChild<QPushButton *>(QStringLiteral("okBtn"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Close"));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QVERIFY(accepted.isValid());
    dialog.show();
    QTest::mousePress(close, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

QTEST_MAIN(tst_cAboutDialog)
#include "tst_caboutdialog.moc"
