#pragma once

#include <functional>

/**
 * Lets the event loop run until done() holds or boundMs have passed; true when done() held.
 * The screenshot steps wait with it for pages that fill themselves from the simulated unit.
 */
bool settleUntil(const std::function<bool()> &done, int boundMs);
