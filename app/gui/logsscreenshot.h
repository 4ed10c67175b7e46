#pragma once

#include <QString>

class QMainWindow;

/**
 * Before the page pictures are taken: lets the Logs page read the first unit on offer (the
 * simulated one with --sim) until lines and values show, and saves its "State" tab as
 * LogsState.png in dir. Without a unit on offer it does nothing. False when a picture could
 * not be written.
 */
bool prepareLogsScreenshot(QMainWindow &window, const QString &dir);
