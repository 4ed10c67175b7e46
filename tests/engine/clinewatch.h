#pragma once

#include "platform/port/siodevice.h"

#include <QString>

#include <atomic>

/**
 * Tells when the unit's serial line went away under the runner (a cable pulled, a unit
 * switched off). The port library only notices it when a call on the line fails, so the
 * runner asks after failed calls, whenever a script or plug-in asks whether to cancel, and
 * after each test. A line that a script closed itself is not lost.
 */
class cLineWatch
{
public:
    cLineWatch() = default;
    Q_DISABLE_COPY_MOVE(cLineWatch)

    /** A new connection: nothing lost, nothing closed by a script, the report armed. */
    void reset();
    /** A script closed the line itself (true) or opened it again (false). */
    void setClosedByScript(bool closed);

    /**
     * Looks at the unit's line: true when it is lost. A line that works again (a script
     * opened it anew) clears the loss.
     */
    bool check(const sIODevice &unit);
    bool isLost() const { return m_lost.load(); }

    /** True once per loss, and once more per batch that meets a line still lost. */
    bool takeReport() { return !m_reported.exchange(true); }
    void rearmReport() { m_reported = false; }

    /** How long a script may go on once the line is lost: one that ignores the failures is stopped. */
    static constexpr int kGraceMs = 3000;

    /** Whether the line behind this I/O handle went away (it is held open, but works no more). */
    static bool isGone(void *ioHandle);

    /** The console message when tests meet a lost line. */
    static QString lostMessage(const QString &unitName);
    /** The console message when the set-up meets a lost line. */
    static QString lostInSetUpMessage(const QString &unitName);
    /** The details of the test that met the loss, ahead of the script's own. */
    static QString lostDetails(const QString &scriptDetails);

private:
    std::atomic<bool> m_lost{false};
    std::atomic<bool> m_closedByScript{false};
    std::atomic<bool> m_reported{false};
};
