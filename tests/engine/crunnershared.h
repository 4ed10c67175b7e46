#pragma once

#include "tests/engine/ctesthandle.h"

#include <atomic>

class cTestRunner;

/**
 * What the whole process shares about the one test runner: its instance, its action, the
 * test it runs and its flags. The registered Lua functions and the plug-in manager's cancel
 * query find the runner here.
 */
class cRunnerShared
{
public:
    enum eAction : int { ActionNone = 0, ActionIdle = 1, ActionInit = 2, ActionTest = 3,
                         ActionDeinit = 4, ActionStop = 5, ActionClosePort = 6 };

    static int action();
    static void setAction(int action);

    static cTestHandle currentTest();
    static void setCurrentTest(const cTestHandle &test);

    static bool stopRequested();
    static void setStopRequest(bool stop);
    /** The flag itself, for the Lua state's hook that ends a set-up on request. */
    static const std::atomic<bool> *stopRequestFlag();

    static bool errorSeen();
    static void setErrorSeen(bool seen);

    static cTestRunner *instance();
    /** Makes runner the instance; false when another runner was the instance. */
    static bool setInstance(cTestRunner *runner);
    /** Forgets runner when it is the instance. */
    static void releaseInstance(cTestRunner *runner);

    /**
     * The cancel rule of was_canceled: in tests and deinit the current test's status is
     * canceling or canceled, in init the stop request; quitting always cancels.
     */
    static bool cancelRule(bool quitting);
    /** The cancel query given to the plug-in manager: the live runner's answer, or false. */
    static bool cancelQueryEntry();
};
