#include "clangmanager.h"

#include "platform/appenv/resourcefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QTranslator>

namespace {

const QString defaultLanguage = QStringLiteral("en");
const QString settingsKey = QStringLiteral("Language/Current");
const QString filePrefix = QStringLiteral("zovan_");

} // namespace

QString cLangManager::translationsDir()
{
    return appSubDir(QStringLiteral("translations"));
}

QStringList cLangManager::languages()
{
    // Codes are plain ISO language codes, optionally with a territory ("pt_BR").
    static const QRegularExpression codePattern(QStringLiteral("^zovan_([a-z]{2,3}(?:_[A-Z]{2})?)\\.qm$"));
    QStringList codes;
    const QStringList files = QDir(translationsDir()).entryList({QStringLiteral("zovan_*.qm")}, QDir::Files);
    for (const QString &file : files) {
        const QRegularExpressionMatch match = codePattern.match(file);
        if (match.hasMatch() && match.captured(1) != defaultLanguage)
            codes.append(match.captured(1));
    }
    codes.sort();
    codes.prepend(defaultLanguage);
    return codes;
}

QString cLangManager::langName(const QString &code)
{
    const QLocale locale(code);
    if (locale.language() == QLocale::C)
        return code;
    // For English Qt names the territory variant ("American English"); the plain name reads better.
    QString name = locale.language() == QLocale::English ? QLocale::languageToString(QLocale::English)
                                                         : locale.nativeLanguageName();
    if (name.isEmpty())
        return code;
    name[0] = name.at(0).toUpper();
    return name;
}

QString cLangManager::currentLanguage()
{
    const QString stored = QSettings().value(settingsKey).toString();
    return languages().contains(stored) ? stored : defaultLanguage;
}

bool cLangManager::setCurrentLanguage(const QString &code)
{
    if (!languages().contains(code))
        return false;
    QSettings settings;
    settings.setValue(settingsKey, code);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

int cLangManager::installTranslators(QCoreApplication *app)
{
    if (!app)
        return 0;
    const QString code = currentLanguage();
    int installed = 0;

    auto ours = new QTranslator(app);
    if (ours->load(filePrefix + code, translationsDir()) && QCoreApplication::installTranslator(ours))
        ++installed;
    else
        delete ours;

    auto qt = new QTranslator(app);
    if (qt->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(qt))
        ++installed;
    else
        delete qt;
    return installed;
}
