#pragma once

class QWidget;

/**
 * Brings the Tests page of the main window into a state worth a picture: the unit connected,
 * its tests run once, finished ones in their colours. For --screenshot with --sim; false when
 * the page or the unit is not there (the picture then shows the page as it is).
 */
bool prepareTestsPageForScreenshot(QWidget *mainWindow);

/** Disconnects the Tests page again, so that another page can open the unit's port. */
void releaseTestsPageAfterScreenshot(QWidget *mainWindow);
