#pragma once

#include <QObject>

class QSocketNotifier;

/** Turns SIGINT and SIGTERM into a Qt signal in the thread that created the watcher. */
class cSignalWatcher : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cSignalWatcher)

public:
    explicit cSignalWatcher(QObject *parent = nullptr);
    ~cSignalWatcher() override;

signals:
    /** count: how many interrupts arrived so far, 1 for the first. */
    void interrupted(int count);

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
    int m_count = 0;
};
