#pragma once

#include <QString>

/** Levels of the log engine's messages, as the test engine writes them. */
enum eLogLevel : int { LogTrace = 0, LogNotify = 1, LogWarning = 2, LogError = 3, LogDebug = 4 };

/** The test engine's messages to the log engine. */
namespace testlog {

/** A runner message: source and group "LOCAL". */
void note(const QString &text, eLogLevel level = LogDebug);

/** A message about one test: the test's name as source, group "TEST". */
void noteTest(const QString &text, eLogLevel level, const QString &test);

/** The seven-character tag of a level in the log text. */
QString levelTag(int level);

} // namespace testlog
