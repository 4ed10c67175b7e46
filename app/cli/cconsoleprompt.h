#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QVariantList>

class QSocketNotifier;

/**
 * Asks the operator a script's question on the terminal, one field at a time, without
 * blocking the event loop. Without a terminal on both stdin and stdout every question is
 * answered at once as cancelled (an empty reply).
 */
class cConsolePrompt : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cConsolePrompt)

public:
    explicit cConsolePrompt(QObject *parent = nullptr);

    bool interactive() const { return m_interactive; }
    /** Forces the non-interactive behaviour (no terminal is used). */
    void setInteractive(bool on) { m_interactive = on && m_notifier; }

public slots:
    void ask(const QString &testName, const QString &question, const QStringList &fields);
    /** Gives up a pending question: it is answered as cancelled. */
    void cancel();

signals:
    /** The answers in field order, or an empty list when the operator cancelled. */
    void replied(const QVariantList &reply);

private:
    void readInput();
    void promptNext();
    void finish(bool cancelled);

    QSocketNotifier *m_notifier = nullptr;
    bool m_interactive = false;
    bool m_pending = false;
    QStringList m_fields;
    QVariantList m_answers;
    QByteArray m_input;
};
