#include "platform/ztk/clangmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

class tst_cLangManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installTranslators_data();
    void installTranslators();
    void languages();

private:
    QTemporaryDir m_dir;
};

void tst_cLangManager::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
    QCoreApplication::setOrganizationName(QStringLiteral("ZOVAN-autotest"));
    QCoreApplication::setApplicationName(QStringLiteral("ZOVAN Tools"));
}

void tst_cLangManager::installTranslators_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("file");
    QTest::newRow("german") << "de" << "Datei";
    QTest::newRow("stored but not shipped") << "zz" << "File";
}

void tst_cLangManager::installTranslators()
{
    QFETCH(QString, language);
    QFETCH(QString, file);
    if (!QFile::exists(cLangManager::translationsDir() + QStringLiteral("/zovan_de.qm")))
        QSKIP("the translation catalogues are not built in this configuration");
    QSettings().setValue(QStringLiteral("Language/Current"), language);
    QVERIFY(cLangManager::installTranslators(QCoreApplication::instance()) >= (language == QLatin1String("de") ? 1 : 0));
    QCOMPARE(QCoreApplication::translate("cMainWindow", "File"), file);
    QCOMPARE(cLangManager::installTranslators(nullptr), 0);
    for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

void tst_cLangManager::languages()
{
    QSettings().clear();
    const QString root = m_dir.filePath(QStringLiteral("root"));
    const QString dir = root + QStringLiteral("/translations");
    qputenv("ZOVAN_APP_ROOT", QFile::encodeName(root));
    QCOMPARE(cLangManager::languages(), QStringList{"en"}); // no folder at all
    QVERIFY(QDir().mkpath(dir));
    // English first even when shipped too, the rest sorted; files that are not our catalogues ignored.
    for (const char *name : {"zovan_ru.qm", "zovan_en.qm", "zovan_pt_BR.qm", "zovan_de.ts", "qtbase_fr.qm", "zovan_.qm",
                             "zovan_DE.qm", "zovan_de.qm.bak", "zovan_de_x.qm"}) {
        QFile file(dir + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
    }
    QCOMPARE(cLangManager::languages(), (QStringList{"en", "pt_BR", "ru"}));

    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("en"));
    QVERIFY(cLangManager::setCurrentLanguage(QStringLiteral("ru")));
    QCOMPARE(QSettings().value(QStringLiteral("Language/Current")).toString(), QStringLiteral("ru"));
    // A code that is not offered is refused and the choice stays.
    QVERIFY(!cLangManager::setCurrentLanguage(QStringLiteral("xx")));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("ru"));
    // A stored language whose catalogue has gone, or a path, falls back to English.
    QVERIFY(QFile::remove(dir + QStringLiteral("/zovan_ru.qm")));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("en"));
    QSettings().setValue(QStringLiteral("Language/Current"), QStringLiteral("../../etc/passwd"));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("en"));
}

QTEST_GUILESS_MAIN(tst_cLangManager)
#include "tst_clangmanager.moc"
