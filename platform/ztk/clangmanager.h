#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

/**
 * The operator's language: which ones the application ships, which one is chosen (kept in the
 * settings store) and the translators that bring it into the application at start.
 * A language is offered when <root>/translations holds its zovan_<code>.qm; "en" always is.
 */
class cLangManager
{
public:
    /** Codes of the offered languages, "en" first, the others sorted. */
    static QStringList languages();
    /** The language's own name for itself ("Deutsch"); the code itself when Qt knows no name. */
    static QString langName(const QString &code);
    /** The chosen language; "en" when none is stored or the stored one is not offered. */
    static QString currentLanguage();
    /** Stores the choice for the next start; false (and nothing stored) for a code not offered. */
    static bool setCurrentLanguage(const QString &code);
    /** Folder searched for the application's translation files. */
    static QString translationsDir();
    /**
     * Installs the translators of the current language into the application: ours and Qt's
     * own base translation when present. Returns how many were installed.
     */
    static int installTranslators(QCoreApplication *app);
};
