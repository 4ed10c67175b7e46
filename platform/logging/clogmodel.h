#pragma once

#include "platform/logging/clogmessage.h"

#include <QAbstractTableModel>

#include <deque>

/**
 * The messages of one group (or of all groups) passing a source filter, oldest first.
 * Lives in the GUI thread; holds at most capacity() messages and drops the oldest.
 */
class cLogModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLogModel)

public:
    enum Column { TimeColumn, LevelColumn, SourceColumn, TextColumn, ColumnCount };
    enum Role { LevelRole = Qt::UserRole, GroupRole, TimeRole };

    cLogModel(const QString &group, const QString &filter, int capacity, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    bool accepts(const sLogMessage &message) const;
    /** Appends the accepted messages of a batch in one insertion, trimming the oldest. */
    void append(const QList<sLogMessage> &batch);
    /** The messages held, oldest first. */
    QList<sLogMessage> messages() const;

    QString group() const { return m_group; }
    QString filter() const { return m_filter; }
    int capacity() const { return m_capacity; }
    /** A new bound; the oldest messages beyond it go at once. */
    void setCapacity(int capacity);

    static QString levelName(int level);

private:
    const QString m_group;
    const QString m_filter;
    int m_capacity;
    std::deque<sLogMessage> m_rows;
};
