#pragma once

#include "logs/core/clogrecord.h"

#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

/**
 * Turns one log line into the typed status records it holds. The record patterns are fixed by
 * the unit's firmware; recognize() picks the one candidate pattern by the line's leading name
 * instead of trying them all, and gives the same records as recognizePlain(), which does.
 */
class cLogRecognizer
{
public:
    using Records = QVarLengthArray<sLogRecord, 2>;

    /** Appends the records of line to out, in the order of the recognising steps. */
    static void recognize(const QString &line, Records *out);
    /** The reference: every step tries its patterns on the line, as the firmware's tool always did. */
    static void recognizePlain(const QString &line, Records *out);

    using Kinds = QVarLengthArray<sLogRecord::eKind, 2>;
    /**
     * Only the kinds of the records a line holds, straight from the unit's bytes (Latin-1),
     * without converting their values: for counting a large log quickly.
     */
    static void classify(QByteArrayView line, Kinds *out);

    /** The line without trailing white space, as the log view shows it. */
    static QString trimmedForView(const QString &line);
};
