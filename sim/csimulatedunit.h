#pragma once

#include "sim/csimoptions.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

/** Counters of a running simulated unit. */
struct sSimUnitStats
{
    quint64 bytesFromHost = 0;   // read from the line
    quint64 bytesToHost = 0;     // written to the line
    quint64 flippedBytes = 0;    // both directions
    quint64 droppedBytes = 0;    // both directions
    quint64 reboots = 0;
    quint64 linkTextDropped = 0; // unit text the link server could not queue
};

/**
 * A ZOVAN unit on the far end of a pseudo-terminal, with its GPIO lines and I2C devices on a
 * Unix socket. It runs on a thread of its own and needs no event loop in the caller's thread,
 * so it can live inside the GUI, the command-line tool or a test program.
 *
 * Options are "KEY=VALUE" texts (see optionHelp()); set them before start().
 */
class cSimulatedUnit : public QObject
{
    Q_OBJECT

public:
    explicit cSimulatedUnit(QObject *parent = nullptr);
    ~cSimulatedUnit() override;
    Q_DISABLE_COPY_MOVE(cSimulatedUnit)

    /** Replaces the options; false (and errorString()) for an unknown or malformed one. */
    bool setOptions(const QStringList &options);
    sSimOptions options() const;
    QString errorString() const;

    /** Opens the line and the adapter socket and boots the unit; false and errorString() on failure. */
    bool start();
    /** Stops the unit within a bounded time and removes its socket; safe to call twice. */
    void stop();
    bool isRunning() const;

    /** The path a port library opens (e.g. /dev/pts/4); empty while stopped. */
    QString ptyPath() const;
    /** The adapter channel's socket path; empty while stopped. */
    QString adapterSocketPath() const;
    /** True once the line was closed by the hang-up option. */
    bool isHungUp() const;
    sSimUnitStats stats() const;

    /** One line per option, for --help texts. */
    static QStringList optionHelp();

signals:
    /**
     * The line was closed after the configured number of bytes. Emitted on the unit's thread:
     * connect before start(), queued or to a thread-safe slot.
     */
    void hungUp();

private:
    struct sImpl;
    std::unique_ptr<sImpl> d;
};
