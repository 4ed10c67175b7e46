#pragma once

#include <QString>

class iLogEngine;
class QObject;

namespace logs {

/** The process-wide log engine. */
iLogEngine *get();

/**
 * The engine as a QObject, for its signal newGroup(QString): emitted in the GUI thread
 * the first time a group is seen.
 */
QObject *notifier();

/** Shorthand for get()->addMessage(text, level, now, source, group). */
void add(const QString &text, int level, const QString &source = QStringLiteral("LOCAL"),
         const QString &group = QStringLiteral("LOCAL"));

} // namespace logs
