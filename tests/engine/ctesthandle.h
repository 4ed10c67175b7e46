#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

#include <initializer_list>
#include <memory>

class QModelIndex;
struct sTestRowState;

/**
 * One row of the test model as the test engine sees it while tests run.
 *
 * A handle is made in the model's thread from the five cells of a row. Reads come from a
 * record shared by every handle of that row, so any thread may read without touching the
 * model; writes update that record at once and reach the model in the model's thread, in
 * the order they were made (queued, never blocking). A removed row, a reset or destroyed
 * model make the handle invalid: reads then give "- empty -" or 0 and writes do nothing.
 * Copies share the record; every operation takes the record's lock.
 */
class cTestHandle
{
public:
    /** An empty (invalid) handle. */
    cTestHandle();
    /**
     * A handle for the row of these cells, given in the order name, status, time, info,
     * statistics. Must be made in the model's thread. When valid, the row's start and end
     * times are cleared, its statistics text emptied and its failed flag set.
     */
    cTestHandle(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                const QModelIndex &info, const QModelIndex &statistics);
    cTestHandle(const cTestHandle &other);
    cTestHandle &operator=(const cTestHandle &other);
    ~cTestHandle();

    /** The handle of the row that holds this cell, by the test model's column layout. */
    static cTestHandle forRow(const QModelIndex &anyCellOfRow);

    bool isValid() const;
    /** Equal when both stand for the same row (or both are empty). */
    bool operator==(const cTestHandle &other) const;
    bool operator!=(const cTestHandle &other) const { return !(*this == other); }

    /** The name cell's text; "- empty -" when it is empty or the handle is invalid. */
    QString name() const;
    int status() const;
    void setStatus(int status);
    /**
     * A script's status change to code: taken when the status is none, queued or running,
     * when it is OK and code is warning or error, and always for error. Returns the status.
     */
    int changeStatus(int code);
    /** Sets the status to `to` when it is one of `from`, in one step; true when it did. */
    bool exchangeStatus(std::initializer_list<int> from, int to);
    QString details() const;
    void setDetails(const QString &details);
    int progress() const;
    void setProgress(int percent);
    QDateTime startTime() const;
    QDateTime endTime() const;

    /**
     * Status running, start time now, end time cleared; false, changing nothing, when a
     * cancel request is already waiting (status canceling).
     */
    bool markStarted();
    void markEnded();
    void clearTimes();
    /** Notes that the test wrote log output. */
    void markOutput();
    /** "Runs: %1, OK: %2" in the statistics cell, with the counts and the failed flag. */
    void setStatistics(int runs, int ok);

    /** The time cell's text as the test model shows it: "hh:mm:ss - hh:mm:ss". */
    QString timeText() const;
    /** "name, time, status text[, details]". */
    QString resultLine() const;

    /** Status text of result lines and reports: "OK", "ERROR", "WARNING", "CANCELED" or "?". */
    static QString statusText(int status);

private:
    std::shared_ptr<sTestRowState> d;
};

Q_DECLARE_METATYPE(cTestHandle)
