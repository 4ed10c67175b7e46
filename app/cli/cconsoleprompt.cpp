#include "app/cli/cconsoleprompt.h"

#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {
// An operator's answer is a line; anything longer is a paste gone wrong.
constexpr int kMaxLine = 4096;
}

cConsolePrompt::cConsolePrompt(QObject *parent)
    : QObject(parent)
{
    if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO)) {
        m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        m_notifier->setEnabled(false);
        connect(m_notifier, &QSocketNotifier::activated, this, &cConsolePrompt::readInput);
        m_interactive = true;
    }
}

void cConsolePrompt::ask(const QString &testName, const QString &question, const QStringList &fields)
{
    if (m_pending)
        finish(true);
    if (!m_interactive) {
        emit replied(QVariantList());
        return;
    }
    m_pending = true;
    m_fields = fields.isEmpty() ? QStringList{ QStringLiteral("Answer") } : fields;
    m_answers.clear();
    m_input.clear();
    std::fprintf(stdout, "\n[%s] %s\n(an empty line as first answer cancels)\n",
                 testName.toLocal8Bit().constData(), question.toLocal8Bit().constData());
    promptNext();
    m_notifier->setEnabled(true);
}

void cConsolePrompt::cancel()
{
    if (m_pending)
        finish(true);
}

void cConsolePrompt::promptNext()
{
    std::fprintf(stdout, "  %s: ", m_fields.at(m_answers.size()).toLocal8Bit().constData());
    std::fflush(stdout);
}

void cConsolePrompt::readInput()
{
    char buffer[512];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // End of input: no operator will answer any more.
        m_notifier->setEnabled(false);
        m_interactive = false;
        finish(true);
        return;
    }
    m_input.append(buffer, int(n));
    int eol = -1;
    while (m_pending && (eol = m_input.indexOf('\n')) >= 0) {
        QByteArray line = m_input.left(eol);
        m_input.remove(0, eol + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() && m_answers.isEmpty()) {
            finish(true);
            return;
        }
        m_answers << QString::fromLocal8Bit(line);
        if (m_answers.size() == m_fields.size()) {
            finish(false);
            return;
        }
        promptNext();
    }
    if (m_input.size() > kMaxLine)
        m_input.clear();
}

void cConsolePrompt::finish(bool cancelled)
{
    if (!m_pending)
        return;
    m_pending = false;
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (cancelled)
        std::fprintf(stdout, "\n(cancelled)\n");
    std::fflush(stdout);
    emit replied(cancelled ? QVariantList() : m_answers);
}
