#include "ctesthandle.h"

#include "platform/logging/logs.h"
#include "tests/engine/ctestrowtracker.h"
#include "tests/engine/stestrowstate.h"
#include "tests/engine/testlog.h"
#include "tests/engine/testroles.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QMutexLocker>

using namespace testmodel;

cTestHandle::cTestHandle() = default;

cTestHandle::cTestHandle(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                         const QModelIndex &info, const QModelIndex &statistics)
{
    const cTestRowTracker::tCells cells{name, status, time, info, statistics};
    const QAbstractItemModel *model = name.model();
    for (const QModelIndex &cell : cells) {
        if (!cell.isValid() || cell.model() != model)
            return;
    }
    cTestRowTracker *tracker = cTestRowTracker::forModel(const_cast<QAbstractItemModel *>(model));
    if (!tracker) {
        logs::add(QStringLiteral("Test handle made outside the model's thread: ignored"), LogWarning);
        return;
    }
    d = tracker->stateFor(cells);
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    d->start = QDateTime();
    d->end = QDateTime();
    d->postLocked({{CellTime, StartTimeRole, QDateTime()},
                   {CellTime, EndTimeRole, QDateTime()},
                   {CellStatistics, Qt::DisplayRole, QString()},
                   {CellStatistics, FailedRole, true}});
}

cTestHandle::cTestHandle(const cTestHandle &other) = default;
cTestHandle &cTestHandle::operator=(const cTestHandle &other) = default;
cTestHandle::~cTestHandle() = default;

cTestHandle cTestHandle::forRow(const QModelIndex &anyCellOfRow)
{
    if (!anyCellOfRow.isValid())
        return cTestHandle();
    const int row = anyCellOfRow.row();
    const QModelIndex parent = anyCellOfRow.parent();
    const QAbstractItemModel *model = anyCellOfRow.model();
    return cTestHandle(model->index(row, NameColumn, parent), model->index(row, StatusColumn, parent),
                       model->index(row, TimeColumn, parent), model->index(row, InfoColumn, parent),
                       model->index(row, StatisticsColumn, parent));
}

bool cTestHandle::isValid() const
{
    if (!d)
        return false;
    QMutexLocker locker(&d->lock);
    return d->valid;
}

bool cTestHandle::operator==(const cTestHandle &other) const
{
    return d == other.d;
}

QString cTestHandle::name() const
{
    QString text;
    if (d) {
        QMutexLocker locker(&d->lock);
        if (d->valid)
            text = d->name;
    }
    if (text.isEmpty())
        return QCoreApplication::translate("cTestHandle", "- empty -");
    return text;
}

int cTestHandle::status() const
{
    if (!d)
        return 0;
    QMutexLocker locker(&d->lock);
    return d->valid ? d->status : 0;
}

void cTestHandle::setStatus(int status)
{
    if (!d)
        return;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    d->status = status;
    d->postLocked({{CellStatus, StateRole, status}});
}

int cTestHandle::changeStatus(int code)
{
    if (!d)
        return 0;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return 0;
    const int old = d->status;
    const bool taken = (old == StateOk && (code == StateWarning || code == StateError))
                       || code == StateError || old == StateNone || old == StateRunning
                       || old == StateQueued;
    if (taken && old != code) {
        d->status = code;
        d->postLocked({{CellStatus, StateRole, code}});
    }
    return d->status;
}

bool cTestHandle::exchangeStatus(std::initializer_list<int> from, int to)
{
    if (!d)
        return false;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return false;
    bool match = false;
    for (const int s : from)
        match = match || s == d->status;
    if (!match)
        return false;
    d->status = to;
    d->postLocked({{CellStatus, StateRole, to}});
    return true;
}

QString cTestHandle::details() const
{
    if (!d)
        return QString();
    QMutexLocker locker(&d->lock);
    return d->valid ? d->details : QString();
}

void cTestHandle::setDetails(const QString &details)
{
    if (!d)
        return;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    d->details = details;
    d->postLocked({{CellInfo, DetailsRole, details}});
}

int cTestHandle::progress() const
{
    if (!d)
        return 0;
    QMutexLocker locker(&d->lock);
    return d->valid ? d->progress : 0;
}

void cTestHandle::setProgress(int percent)
{
    if (!d)
        return;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    d->progress = percent;
    d->postLocked({{CellStatus, ProgressRole, percent}});
}

QDateTime cTestHandle::startTime() const
{
    if (!d)
        return QDateTime();
    QMutexLocker locker(&d->lock);
    return d->valid ? d->start : QDateTime();
}

QDateTime cTestHandle::endTime() const
{
    if (!d)
        return QDateTime();
    QMutexLocker locker(&d->lock);
    return d->valid ? d->end : QDateTime();
}

bool cTestHandle::markStarted()
{
    if (!d)
        return true;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return true;
    if (d->status == StateCanceling)
        return false;
    d->status = StateRunning;
    d->start = QDateTime::currentDateTime();
    d->end = QDateTime();
    d->postLocked({{CellStatus, StateRole, int(StateRunning)},
                   {CellTime, StartTimeRole, d->start},
                   {CellTime, EndTimeRole, QDateTime()}});
    return true;
}

void cTestHandle::markEnded()
{
    if (!d)
        return;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    d->end = QDateTime::currentDateTime();
    d->postLocked({{CellTime, EndTimeRole, d->end}});
}

void cTestHandle::clearTimes()
{
    if (!d)
        return;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    d->start = QDateTime();
    d->end = QDateTime();
    d->postLocked({{CellTime, StartTimeRole, QDateTime()}, {CellTime, EndTimeRole, QDateTime()}});
}

void cTestHandle::markOutput()
{
    if (!d)
        return;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    d->postLocked({{CellInfo, OutputRole, true}});
}

void cTestHandle::setStatistics(int runs, int ok)
{
    if (!d)
        return;
    QMutexLocker locker(&d->lock);
    if (!d->valid)
        return;
    const QString text = QStringLiteral("Runs: %1, OK: %2").arg(runs).arg(ok);
    d->postLocked({{CellStatistics, Qt::DisplayRole, text},
                   {CellStatistics, RunsRole, runs},
                   {CellStatistics, OkRole, ok},
                   {CellStatistics, FailedRole, runs != ok}});
}

QString cTestHandle::timeText() const
{
    QDateTime start;
    QDateTime end;
    if (d) {
        QMutexLocker locker(&d->lock);
        if (d->valid) {
            start = d->start;
            end = d->end;
        }
    }
    const QString format = QStringLiteral("hh:mm:ss");
    return QStringLiteral("%1%2%3")
        .arg(start.isValid() ? start.toString(format) : QString(),
             start.isValid() ? QStringLiteral(" - ") : QString(),
             end.isValid() ? end.toString(format) : QString());
}

QString cTestHandle::resultLine() const
{
    QString details;
    int state = 0;
    if (d) {
        QMutexLocker locker(&d->lock);
        if (d->valid) {
            details = d->details;
            state = d->status;
        }
    }
    QString line = name() + QStringLiteral(", ") + timeText() + QStringLiteral(", ") + statusText(state);
    if (!details.isEmpty())
        line += QStringLiteral(", ") + details;
    return line;
}

QString cTestHandle::statusText(int status)
{
    switch (status) {
    case StateOk:
        return QStringLiteral("OK");
    case StateError:
        return QStringLiteral("ERROR");
    case StateWarning:
        return QStringLiteral("WARNING");
    case StateCanceled:
        return QStringLiteral("CANCELED");
    default:
        return QStringLiteral("?");
    }
}
