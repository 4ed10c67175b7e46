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
    void init();
    void cleanup();
    void languages();
    void currentLanguage();
    void installTranslators_data();
    void installTranslators();

private:
    QString makeRoot(const QStringList &files, bool withFolder = true);

    QTemporaryDir m_settings;
    QTemporaryDir m_roots;
    int m_count = 0;
    QByteArray m_builtRoot;
};

void tst_cLangManager::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("ZOVAN-autotest"));
    QCoreApplication::setApplicationName(QStringLiteral("ZOVAN Tools"));
    m_builtRoot = qgetenv("ZOVAN_APP_ROOT");
}

void tst_cLangManager::init()
{
    QSettings().clear();
}

void tst_cLangManager::cleanup()
{
    const auto translators = QCoreApplication::instance()->findChildren<QTranslator *>();
    for (QTranslator *translator : translators) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    qputenv("ZOVAN_APP_ROOT", m_builtRoot);
}

QString tst_cLangManager::makeRoot(const QStringList &files, bool withFolder)
{
    const QString root = m_roots.filePath(QString::number(++m_count));
    QDir().mkpath(root);
    if (withFolder)
        QDir().mkpath(root + QStringLiteral("/translations"));
    for (const QString &name : files) {
        QFile file(root + QStringLiteral("/translations/") + name);
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
    }
    qputenv("ZOVAN_APP_ROOT", QFile::encodeName(root));
    return root;
}

void tst_cLangManager::languages()
{
    makeRoot({}, false);
    QCOMPARE(cLangManager::languages(), QStringList{"en"});
    // English first even when shipped too, the rest sorted; files that are not our catalogues ignored.
    makeRoot({"zovan_ru.qm", "zovan_en.qm", "zovan_pt_BR.qm", "zovan_de.ts", "qtbase_fr.qm", "zovan_.qm",
              "zovan_DE.qm", "zovan_de.qm.bak", "zovan_de_x.qm"});
    QCOMPARE(cLangManager::languages(), (QStringList{"en", "pt_BR", "ru"}));
}

void tst_cLangManager::currentLanguage()
{
    const QString root = makeRoot({QStringLiteral("zovan_de.qm"), QStringLiteral("zovan_fr.qm")});
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("en"));

    QVERIFY(cLangManager::setCurrentLanguage(QStringLiteral("de")));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("de"));
    QCOMPARE(QSettings().value(QStringLiteral("Language/Current")).toString(), QStringLiteral("de"));

    // A code that is not offered is refused and the choice stays.
    QVERIFY(!cLangManager::setCurrentLanguage(QStringLiteral("xx")));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("de"));

    // A stored language whose catalogue has gone falls back to English.
    QVERIFY(cLangManager::setCurrentLanguage(QStringLiteral("fr")));
    QVERIFY(QFile::remove(root + QStringLiteral("/translations/zovan_fr.qm")));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("en"));

    QSettings().setValue(QStringLiteral("Language/Current"), QStringLiteral("../../etc/passwd"));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("en"));
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

    const int installed = cLangManager::installTranslators(QCoreApplication::instance());
    QVERIFY(installed >= (language == QLatin1String("de") ? 1 : 0));
    QCOMPARE(QCoreApplication::translate("cMainWindow", "File"), file);
    QCOMPARE(cLangManager::installTranslators(nullptr), 0);
}

QTEST_GUILESS_MAIN(tst_cLangManager)
#include "tst_clangmanager.moc"
