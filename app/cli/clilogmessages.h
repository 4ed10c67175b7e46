#pragma once

#include <QString>

#include <functional>

class QObject;

/**
 * Hands every message the tool logs locally (the log engine's "LOCAL"/"ALL" model) to sink with
 * its level, for as long as receiver lives: a command-line session shows them on stderr.
 */
void forwardCliLogMessages(QObject *receiver, std::function<void(int level, const QString &text)> sink);
