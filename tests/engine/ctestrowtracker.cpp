#include "ctestrowtracker.h"

#include "tests/engine/testroles.h"

#include <QAbstractItemModel>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>

namespace {

// True when the index lies in rows (or columns) first..last of parent, or below one of them.
bool isInside(QModelIndex index, const QModelIndex &parent, int first, int last, bool columns)
{
    while (index.isValid()) {
        const QModelIndex up = index.parent();
        const int pos = columns ? index.column() : index.row();
        if (up == parent && pos >= first && pos <= last)
            return true;
        index = up;
    }
    return false;
}

} // namespace

int sTrackerGate::post(sPostedWrites message)
{
    QMutexLocker locker(&lock);
    if (!tracker)
        return -1;
    int emptied = 0;
    if (!message.drop) {
        const auto replaced = [&message](const sCellWrite &older) {
            return std::any_of(message.writes.cbegin(), message.writes.cend(), [&older](const sCellWrite &newer) {
                return newer.cell == older.cell && newer.role == older.role;
            });
        };
        for (qsizetype i = mailbox.size() - 1; i >= 0; --i) {
            sPostedWrites &waiting = mailbox[i];
            if (waiting.id != message.id || waiting.drop)
                continue;
            waiting.writes.removeIf(replaced);
            if (waiting.writes.isEmpty()) {
                mailbox.removeAt(i);
                ++emptied;
            }
        }
    }
    mailbox.append(std::move(message));
    if (!drainPosted) {
        drainPosted = true;
        // By name: Qt builds and delivers the call itself, nothing of ours rides in its queue.
        QMetaObject::invokeMethod(tracker, "drain", Qt::QueuedConnection);
    }
    return emptied;
}

sTestRowState::~sTestRowState()
{
    // The persistent indexes must die in the model's thread, so the tracker drops them there.
    sPostedWrites message;
    message.id = id;
    message.drop = true;
    gate->post(std::move(message));
}

void sTestRowState::postLocked(QList<sCellWrite> writes)
{
    sPostedWrites message;
    message.id = id;
    message.writes = std::move(writes);
    const int emptied = gate->post(std::move(message));
    if (emptied < 0)
        valid = false;  // the model is gone
    else
        pendingWrites += 1 - emptied;
}

cTestRowTracker *cTestRowTracker::forModel(QAbstractItemModel *model)
{
    if (!model || model->thread() != QThread::currentThread())
        return nullptr;
    if (auto *tracker = model->findChild<cTestRowTracker *>(QString(), Qt::FindDirectChildrenOnly))
        return tracker;
    return new cTestRowTracker(model);  // owned by the model
}

cTestRowTracker::cTestRowTracker(QAbstractItemModel *model)
    : QObject(model), m_model(model), m_gate(std::make_shared<sTrackerGate>())
{
    m_gate->tracker = this;
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) { rowsGoing(parent, first, last); });
    connect(model, &QAbstractItemModel::columnsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) { columnsGoing(parent, first, last); });
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { invalidateAll(); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { revalidate(); });
    connect(model, &QAbstractItemModel::columnsRemoved, this, [this] { revalidate(); });
    connect(model, &QAbstractItemModel::rowsMoved, this, [this] { revalidate(); });
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] { revalidate(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { revalidate(); });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                dataChanged(topLeft, bottomRight);
            });
}

cTestRowTracker::~cTestRowTracker()
{
    QList<sPostedWrites> dropped;
    {
        QMutexLocker locker(&m_gate->lock);
        m_gate->tracker = nullptr;
        dropped.swap(m_gate->mailbox);
    }
    invalidateAll();
}

void cTestRowTracker::drain()
{
    QList<sPostedWrites> messages;
    {
        QMutexLocker locker(&m_gate->lock);
        messages.swap(m_gate->mailbox);
        m_gate->drainPosted = false;
    }
    for (const sPostedWrites &message : messages) {
        if (message.drop)
            drop(message.id);
        else
            apply(message.id, message.writes);
    }
}

std::shared_ptr<sTestRowState> cTestRowTracker::stateFor(const tCells &cells)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        bool same = true;
        for (int i = 0; i < CellCount && same; ++i)
            same = it->cells[i] == cells[i];
        if (!same)
            continue;
        if (std::shared_ptr<sTestRowState> state = it->state.lock()) {
            syncFromModel(*it);
            return state;
        }
    }
    const quint64 id = m_nextId++;
    auto state = std::make_shared<sTestRowState>(id, m_gate);
    sEntry entry;
    for (int i = 0; i < CellCount; ++i)
        entry.cells[i] = QPersistentModelIndex(cells[i]);
    entry.state = state;
    auto it = m_entries.insert(id, entry);
    syncFromModel(*it);
    return state;
}

void cTestRowTracker::apply(quint64 id, const QList<sCellWrite> &writes)
{
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    // Copies: setData may emit signals that change the entries.
    const std::array<QPersistentModelIndex, CellCount> cells = it->cells;
    const std::weak_ptr<sTestRowState> weak = it->state;
    // A row that lost any of its cells is gone for the engine: none of its writes land.
    bool whole = true;
    for (const QPersistentModelIndex &index : cells)
        whole = whole && index.isValid();
    m_applying = true;
    for (const sCellWrite &write : writes) {
        if (!whole)
            break;
        m_model->setData(cells[write.cell], write.value, write.role);
    }
    m_applying = false;
    if (std::shared_ptr<sTestRowState> state = weak.lock()) {
        QMutexLocker locker(&state->lock);
        --state->pendingWrites;
    }
}

void cTestRowTracker::drop(quint64 id)
{
    auto it = m_entries.find(id);
    if (it != m_entries.end() && it->state.expired())
        m_entries.erase(it);
}

void cTestRowTracker::syncFromModel(sEntry &entry)
{
    std::shared_ptr<sTestRowState> state = entry.state.lock();
    if (!state)
        return;
    for (const QPersistentModelIndex &cell : entry.cells) {
        if (!cell.isValid()) {
            invalidate(entry);
            return;
        }
    }
    // Read first, then take the lock: a write made meanwhile is newer than what was read.
    const QString name = entry.cells[CellName].data(Qt::DisplayRole).toString();
    const int status = entry.cells[CellStatus].data(testmodel::StateRole).toInt();
    const QVariant progress = entry.cells[CellStatus].data(testmodel::ProgressRole);
    const QString details = entry.cells[CellInfo].data(testmodel::DetailsRole).toString();
    const QDateTime start = entry.cells[CellTime].data(testmodel::StartTimeRole).toDateTime();
    const QDateTime end = entry.cells[CellTime].data(testmodel::EndTimeRole).toDateTime();

    QMutexLocker locker(&state->lock);
    state->name = name;  // written only here, so pending writes cannot be newer
    if (state->pendingWrites > 0 || !state->valid)
        return;
    state->status = status;
    state->progress = progress.isValid() ? progress.toInt() : -1;
    state->details = details;
    state->start = start;
    state->end = end;
}

void cTestRowTracker::invalidate(sEntry &entry)
{
    if (std::shared_ptr<sTestRowState> state = entry.state.lock()) {
        QMutexLocker locker(&state->lock);
        state->valid = false;
    }
}

void cTestRowTracker::invalidateAll()
{
    for (sEntry &entry : m_entries)
        invalidate(entry);
}

void cTestRowTracker::revalidate()
{
    for (sEntry &entry : m_entries) {
        for (const QPersistentModelIndex &cell : entry.cells) {
            if (!cell.isValid()) {
                invalidate(entry);
                break;
            }
        }
    }
}

void cTestRowTracker::rowsGoing(const QModelIndex &parent, int first, int last)
{
    for (sEntry &entry : m_entries) {
        for (const QPersistentModelIndex &cell : entry.cells) {
            if (isInside(cell, parent, first, last, false)) {
                invalidate(entry);
                break;
            }
        }
    }
}

void cTestRowTracker::columnsGoing(const QModelIndex &parent, int first, int last)
{
    for (sEntry &entry : m_entries) {
        for (const QPersistentModelIndex &cell : entry.cells) {
            if (isInside(cell, parent, first, last, true)) {
                invalidate(entry);
                break;
            }
        }
    }
}

void cTestRowTracker::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (m_applying)
        return;
    const QModelIndex parent = topLeft.parent();
    for (sEntry &entry : m_entries) {
        const QPersistentModelIndex &name = entry.cells[CellName];
        if (name.parent() == parent && name.row() >= topLeft.row() && name.row() <= bottomRight.row())
            syncFromModel(entry);
    }
}
