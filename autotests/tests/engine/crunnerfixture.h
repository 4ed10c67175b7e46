#pragma once

#include "platform/port/siodevice.h"
#include "tests/engine/ctestrunner.h"

#include <QList>
#include <QPair>
#include <QStandardItemModel>
#include <QString>
#include <QTemporaryDir>

#include <memory>

/**
 * The runner's signals, re-emitted in the test's thread: a spy on the runner itself would
 * count in the runner's thread, racing with the test that waits on it.
 */
class cRunnerRelay : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cRunnerRelay)

public:
    explicit cRunnerRelay(cTestRunner *runner, QObject *parent = nullptr);

signals:
    void initFinished(int code);
    void deinitFinished(int code);
    void testFinished();
    void testsCanceled();
    void askUser(const QString &testName, const QString &question, const QStringList &fields);
};

/** One message as the log engine keeps it. */
struct sLogged
{
    QString text;
    int level = 0;
    QString source;
    QString group;
};

/**
 * A runner over a temporary application folder whose script folders the test fills, and a
 * test model filled from the runner's list of tests.
 */
class cRunnerFixture
{
public:
    cRunnerFixture();
    ~cRunnerFixture();
    Q_DISABLE_COPY_MOVE(cRunnerFixture)

    QString root() const { return m_dir.path(); }
    QString path(const QString &folder, const QString &file) const;
    void writeScript(const QString &folder, const QString &file, const QByteArray &text);
    /** tests/tests.lua with the named test bodies, enumerated in this order. */
    void writeTests(const QList<QPair<QString, QString>> &tests, const QString &extra = QString());

    /** Creates the runner on first use, initialises it and waits for the result. */
    int start(const sIODevice &device = defaultDevice(), bool ownsPort = false);
    /** The runner, made on first use with the given port ownership. */
    cTestRunner *makeRunner(bool ownsPort);
    cTestRunner *runner() const { return m_runner.get(); }
    cRunnerRelay *relay() const { return m_relay.get(); }
    void destroyRunner();
    /** Destroys the runner and returns how long that took, in ms. */
    qint64 timedDestroy();

    QStandardItemModel *model() const { return m_model.get(); }
    /** Fills the model from enumerateTests(). */
    QStringList fillModel();
    cTestHandle handle(int row) const;
    void queue(int row);
    /** Queues the row and waits until the runner reports a test finished. */
    bool run(int row = 0);
    /** One test 'T' with the body, set up, listed and run. */
    bool runOne(const QString &body);
    void cancel(int row);
    int state(int row) const;
    QString details(int row) const;

    /** Messages logged since the fixture was made (or since mark()). */
    QList<sLogged> logs() const;
    bool logged(const QString &text, int level = -1, const QString &source = QString(),
                const QString &group = QString()) const;
    int count(const QString &text) const;
    bool loggedPrefix(const QString &prefix) const;
    /** Waits until the text is logged. */
    bool waitLogged(const QString &text, int timeoutMs = 30000) const;

    static sIODevice defaultDevice();
    /** 'text' with Lua escapes. */
    static QString luaString(const QString &text);

private:
    void mark();

    QTemporaryDir m_dir;
    std::unique_ptr<cTestRunner> m_runner;
    std::unique_ptr<cRunnerRelay> m_relay;
    std::unique_ptr<QStandardItemModel> m_model;
    int m_logMark = 0;
};
