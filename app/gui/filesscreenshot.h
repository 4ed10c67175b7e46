#pragma once

class QWidget;

/**
 * Before the pictures are taken: connects the Files page to a simulated unit (one on a
 * pseudo-terminal), opens a folder with files on the unit side and the application folder on
 * the local side. Does nothing when no simulated unit is offered.
 */
void prepareFilesScreenshot(QWidget *mainWindow);

/** Disconnects the Files page again, so that another page can open the unit's port. */
void releaseFilesAfterScreenshot(QWidget *mainWindow);
