#include "sim/csimunitcore.h"

#include "sim/csimfilesystem.h"
#include "sim/csimhardware.h"
#include "sim/csimloggenerator.h"

#include "platform/link/clinkserver.h"

#include "ztversion.h"

#include <algorithm>

namespace {

// The log waits while the line holds this much of earlier output: a unit whose line nobody
// reads does not pile up text either, it just goes on.
constexpr qint64 kLogBacklog = 8 * 1024;
// Lines per tick when the log runs as fast as the line takes it.
constexpr int kBurstBytes = 4096;
// Silence between reset and the first log line.
constexpr qint64 kBootQuietUs = 200 * 1000;
// The link server wants to be called this often while it has work.
constexpr qint64 kLinkPeriodUs = 10 * 1000;

// The simulated unit runs the firmware of the same release as the tool set.
const char kFirmware[] = ZT_VERSION_STRING;
const char kPrompt[] = "cli> ";

QByteArray firstWord(const QByteArray &line, QByteArray *rest)
{
    const qsizetype sp = line.indexOf(' ');
    if (sp < 0) {
        rest->clear();
        return line.toLower();
    }
    *rest = line.mid(sp + 1).trimmed();
    return line.left(sp).toLower();
}

// The unit stores names as UTF-8, as the host sends them; Latin-1 would garble every
// name that is not ASCII on its way back.
QString pathOf(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace

cSimUnitCore::cSimUnitCore(const sSimOptions &options, cSimFileSystem *fs, cSimHardware *hardware)
    : m_options(options)
    , m_fs(fs)
    , m_log(std::make_unique<cSimLogGenerator>(options.seed, hardware, options.edgeLog))
    , m_link(std::make_unique<cLinkServer>(this))
{
}

cSimUnitCore::~cSimUnitCore() = default;

void cSimUnitCore::powerOn(qint64 nowUs)
{
    boot(nowUs, false);
}

void cSimUnitCore::boot(qint64 nowUs, bool selfTest)
{
    m_nowUs = nowUs;
    m_cli = false;
    m_selfTest = selfTest;
    m_line.clear();
    m_lineTooLong = false;
    m_readyUs = nowUs + qint64(m_options.readyMs) * 1000;
    m_announcedReady = false;
    m_nextLogUs = nowUs + kBootQuietUs;
    m_log->reboot(nowUs, selfTest);
    QByteArray banner = "\r\nZOVAN boot loader 2.1.4\r\nUnit " + m_options.name.toLatin1() + ", firmware "
                        + kFirmware + " (simulated)\r\n";
    if (selfTest)
        banner += "Voice test mode requested\r\n";
    banner += "[APP] starting application\r\n";
    print(banner);
}

void cSimUnitCore::print(const QByteArray &text)
{
    m_link->sendText(text);
}

void cSimUnitCore::prompt()
{
    print(kPrompt);
}

void cSimUnitCore::receive(const QByteArray &bytes, qint64 nowUs)
{
    m_nowUs = nowUs;
    m_link->feed(bytes);
    applyPending();
}

void cSimUnitCore::applyPending()
{
    if (m_pendingCli > 0)
        m_cli = true;
    else if (m_pendingCli < 0)
        m_cli = false;
    m_pendingCli = 0;
    const eReboot reboot = m_pendingReboot;
    m_pendingReboot = eReboot::None;
    if (reboot != eReboot::None) {
        ++m_reboots;
        boot(m_nowUs, reboot == eReboot::SelfTest);
    }
}

void cSimUnitCore::tick(qint64 nowUs, qint64 lineBacklog)
{
    m_nowUs = nowUs;
    if (!m_announcedReady && nowUs >= m_readyUs) {
        m_announcedReady = true;
        if (!m_cli)
            print("[APP] application started\r\n");
    }
    if (m_cli || nowUs < m_nextLogUs) {
        if (m_cli)
            m_nextLogUs = std::max(m_nextLogUs, nowUs);
        return;
    }
    if (m_options.logRate > 0.0) {
        const qint64 interval = std::max<qint64>(1, qint64(1e6 / m_options.logRate));
        int lines = 0;
        while (nowUs >= m_nextLogUs && lines < 1000) {
            // A line that finds the line full is not printed, as if it went out unheard.
            if (lineBacklog < kLogBacklog) {
                const QByteArray line = m_log->nextLine(nowUs);
                lineBacklog += line.size();
                print(line);
            }
            m_nextLogUs += interval;
            ++lines;
        }
        // After a long stall the log goes on from now instead of catching up in a burst.
        if (nowUs - m_nextLogUs > 1000000)
            m_nextLogUs = nowUs + interval;
        return;
    }
    if (m_link->hasWork())
        return;
    qint64 produced = 0;
    while (produced < kBurstBytes && lineBacklog + produced < kLogBacklog) {
        const QByteArray line = m_log->nextLine(nowUs);
        produced += line.size();
        print(line);
    }
}

quint64 cSimUnitCore::textDropped() const
{
    return m_link->stats().textDropped;
}

QByteArray cSimUnitCore::takeOutput(int maxBytes)
{
    return m_link->takeOutput(maxBytes);
}

qint64 cSimUnitCore::waitUs(qint64 nowUs, qint64 lineBacklog) const
{
    qint64 wait = -1;
    const auto atMost = [&wait](qint64 us) { wait = wait < 0 ? us : std::min(wait, us); };
    if (m_link->hasWork())
        atMost(kLinkPeriodUs);
    if (!m_announcedReady)
        atMost(std::max<qint64>(0, m_readyUs - nowUs));
    if (!m_cli) {
        if (nowUs < m_nextLogUs)
            atMost(m_nextLogUs - nowUs);
        else if (m_options.logRate > 0.0 || (!m_link->hasWork() && lineBacklog < kLogBacklog))
            atMost(0);
    }
    return wait;
}

void cSimUnitCore::plainText(const QByteArray &text)
{
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            const bool pairEnd = c == '\n' && m_lastWasCr;
            m_lastWasCr = c == '\r';
            if (pairEnd)
                continue;
            const QByteArray line = m_line;
            const bool tooLong = m_lineTooLong;
            m_line.clear();
            m_lineTooLong = false;
            if (tooLong) {
                if (m_cli) {
                    print("Command line too long\r\n");
                    prompt();
                }
                continue;
            }
            textLine(line);
            continue;
        }
        m_lastWasCr = false;
        if (c == '\b' || c == '\x7f') {
            m_line.chop(1);
            continue;
        }
        if (quint8(c) < 0x20 && c != '\t')
            continue;
        if (m_line.size() >= kMaxCommandLine) {
            m_lineTooLong = true;
            continue;
        }
        m_line.append(c);
    }
}

void cSimUnitCore::textLine(const QByteArray &raw)
{
    const QByteArray line = raw.trimmed();
    const QByteArray lower = line.toLower();
    if (!m_cli) {
        // In log mode the unit only listens for the way into its command line.
        if (lower == "cli") {
            m_cli = true;
            print("\r\nZOVAN unit " + m_options.name.toLatin1() + " command line, type 'help' for the commands\r\n");
            prompt();
        }
        return;
    }
    if (line.isEmpty()) {
        prompt();
        return;
    }
    print(line + "\r\n");
    if (lower == "exit") {
        m_cli = false;
        print("Leaving command line\r\n");
        return;
    }
    if (lower == "cli") {
        print("Already in command line mode\r\n");
        prompt();
        return;
    }
    const QByteArray answer = execute(line, false);
    print(answer + "\r\n");
    if (m_pendingReboot == eReboot::None)
        prompt();
    // A reboot takes effect before the next line, which the new boot must not see.
    applyPending();
}

QByteArray cSimUnitCore::command(const QByteArray &text)
{
    return execute(text.trimmed(), true);
}

QByteArray cSimUnitCore::execute(const QByteArray &line, bool framed)
{
    QByteArray rest;
    const QByteArray word = firstWord(line, &rest);
    m_log->update(m_nowUs);
    if (word == "help" && rest.isEmpty()) {
        return "Commands:\r\n"
               "  help                 this list\r\n"
               "  version              firmware version\r\n"
               "  GET_APP_RUN_STATE    DONE once the application runs, STARTING before\r\n"
               "  GET_POWER            supply voltages\r\n"
               "  GET_GSM              modem registration\r\n"
               "  GET_STORAGE          record storage counters\r\n"
               "  ECHO <text>          prints the text\r\n"
               "  ls [path]            lists a folder\r\n"
               "  SELF_TEST_ENTER      reboots into the voice test mode\r\n"
               "  restart noboot       reboots the unit\r\n"
               "  exit                 leaves the command line";
    }
    if (word == "version" && rest.isEmpty())
        return "ZOVAN unit " + m_options.name.toLatin1() + ", firmware " + kFirmware
               + " (simulated), boot loader 2.1.4";
    if (word == "get_app_run_state" && rest.isEmpty()) {
        if (!m_options.runState)
            return "Unknown command: " + line;
        return isReady(m_nowUs) ? "DONE" : "STARTING";
    }
    if (word == "self_test_enter" && rest.isEmpty()) {
        m_pendingReboot = eReboot::SelfTest;
        return framed ? QByteArray("OK") : QByteArray("Rebooting into the voice test mode...");
    }
    if (word == "restart" && (rest.isEmpty() || rest.toLower() == "noboot")) {
        m_pendingReboot = eReboot::Normal;
        return framed ? QByteArray("OK") : QByteArray("Restarting...");
    }
    if (framed && word == "cli" && rest.isEmpty()) {
        m_pendingCli = 1;
        return "OK";
    }
    if (framed && word == "exit" && rest.isEmpty()) {
        m_pendingCli = -1;
        return "OK";
    }
    if (word == "echo")
        return rest;
    if (word == "get_power" && rest.isEmpty()) {
        const auto volts = [](quint32 mv) { return QByteArray::number(mv / 1000.0, 'f', 2); };
        return "VBAT=" + volts(m_log->supplyMv()) + " V, VEXT=" + volts(m_log->externalMv())
               + " V, VSCAP=" + volts(m_log->supercapMv()) + " V";
    }
    if (word == "get_gsm" && rest.isEmpty()) {
        if (!m_log->gsmRegistered())
            return "GSM: NOT REGISTERED, searching";
        return "GSM: REGISTERED, NET=" + m_log->gsmNetwork().toLatin1() + ", CSQ=" + QByteArray::number(m_log->gsmCsq());
    }
    if (word == "get_storage" && rest.isEmpty()) {
        return "STORAGE: STORED=" + QByteArray::number(m_log->recordsStored())
               + " SENT=" + QByteArray::number(m_log->recordsSent())
               + " FREE=" + QByteArray::number(m_log->storageFree());
    }
    if (word == "ls") {
        QByteArray answer = listDir(rest.isEmpty() ? QByteArray("/") : rest);
        answer.replace("\n\r", "\r\n");
        return answer;
    }
    return "Unknown command: " + line;
}

QByteArray cSimUnitCore::listDir(const QByteArray &path)
{
    if (!m_options.listing)
        return "Unknown command: LIST " + path;
    QList<cSimFileSystem::sEntry> entries;
    const cSimFileSystem::eResult r = m_fs->list(pathOf(path), &entries);
    return cSimFileSystem::listingAnswer(r, entries);
}

namespace {
bool done(cSimFileSystem::eResult r, QString *error)
{
    if (r == cSimFileSystem::eResult::Ok)
        return true;
    if (error)
        *error = cSimFileSystem::resultText(r);
    return false;
}
} // namespace

bool cSimUnitCore::readFile(const QByteArray &path, QByteArray *data, QString *error)
{
    return done(m_fs->read(pathOf(path), data), error);
}

bool cSimUnitCore::writeFile(const QByteArray &path, const QByteArray &data, QString *error)
{
    return done(m_fs->write(pathOf(path), data), error);
}

bool cSimUnitCore::makeDir(const QByteArray &path, QString *error)
{
    return done(m_fs->makeDir(pathOf(path)), error);
}

bool cSimUnitCore::deleteFile(const QByteArray &path, QString *error)
{
    return done(m_fs->removeFile(pathOf(path)), error);
}

bool cSimUnitCore::deleteDir(const QByteArray &path, QString *error)
{
    return done(m_fs->removeDir(pathOf(path)), error);
}

bool cSimUnitCore::renameFile(const QByteArray &from, const QByteArray &to, QString *error)
{
    return done(m_fs->rename(pathOf(from), pathOf(to)), error);
}
