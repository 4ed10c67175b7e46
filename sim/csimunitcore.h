#pragma once

#include "sim/csimoptions.h"

#include "platform/link/iunitservices.h"
#include "platform/link/linklimits.h"

#include <QByteArray>
#include <QString>

#include <memory>

class cLinkServer;
class cSimFileSystem;
class cSimHardware;
class cSimLogGenerator;

/**
 * What the simulated unit does with what it hears, on one thread and without a clock of its
 * own: the caller passes the time. Prints its log while not in the command line, answers
 * plain-text commands there, serves framed requests through the link server, and reboots.
 */
class cSimUnitCore final : public iUnitServices
{
public:
    static constexpr int kMaxCommandLine = zlink::kMaxCommandBytes;

    cSimUnitCore(const sSimOptions &options, cSimFileSystem *fs, cSimHardware *hardware);
    ~cSimUnitCore() override;
    Q_DISABLE_COPY_MOVE(cSimUnitCore)

    /** Power-on: boots with the banner; the application is ready options.readyMs later. */
    void powerOn(qint64 nowUs);
    /** Bytes the unit received from the line. */
    void receive(const QByteArray &bytes, qint64 nowUs);
    /**
     * Time passes: prints the log lines that are due. lineBacklog is what the line still holds
     * of earlier output; the log waits while the line is full, as nothing would take it.
     */
    void tick(qint64 nowUs, qint64 lineBacklog);
    /** Up to maxBytes of what the unit sends next. */
    QByteArray takeOutput(int maxBytes);
    /**
     * Microseconds until tick() has something to do (-1: nothing until more input or room on
     * the line); the link server needs short periods while it works.
     */
    qint64 waitUs(qint64 nowUs, qint64 lineBacklog) const;

    bool inCommandLine() const { return m_cli; }
    bool isReady(qint64 nowUs) const { return nowUs >= m_readyUs; }
    quint64 reboots() const { return m_reboots; }
    /** Unit text the link server had to drop because its queue was full. */
    quint64 textDropped() const;

    // iUnitServices
    QByteArray command(const QByteArray &text) override;
    QByteArray listDir(const QByteArray &path) override;
    bool readFile(const QByteArray &path, QByteArray *data, QString *error) override;
    bool writeFile(const QByteArray &path, const QByteArray &data, QString *error) override;
    bool makeDir(const QByteArray &path, QString *error) override;
    bool deleteFile(const QByteArray &path, QString *error) override;
    bool deleteDir(const QByteArray &path, QString *error) override;
    bool renameFile(const QByteArray &from, const QByteArray &to, QString *error) override;
    void plainText(const QByteArray &text) override;

private:
    enum class eReboot { None, Normal, SelfTest };

    /** Runs one command; framed answers carry no prompt. Side effects wait for applyPending. */
    QByteArray execute(const QByteArray &line, bool framed);
    void textLine(const QByteArray &line);
    void applyPending();
    void boot(qint64 nowUs, bool selfTest);
    void print(const QByteArray &text);
    void prompt();

    sSimOptions m_options;
    cSimFileSystem *m_fs;
    std::unique_ptr<cSimLogGenerator> m_log;
    std::unique_ptr<cLinkServer> m_link;
    qint64 m_nowUs = 0;
    qint64 m_readyUs = 0;
    qint64 m_nextLogUs = 0;
    bool m_announcedReady = false;
    bool m_cli = false;
    bool m_selfTest = false;
    bool m_lineTooLong = false;
    bool m_lastWasCr = false;
    eReboot m_pendingReboot = eReboot::None;
    int m_pendingCli = 0;   // +1 enter, -1 leave, after the current request
    QByteArray m_line;
    quint64 m_reboots = 0;
};
