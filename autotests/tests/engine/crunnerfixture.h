#pragma once

#include "platform/port/siodevice.h"
#include "tests/engine/ctestrunner.h"

#include <QList>
#include <QPair>
#include <QStandardItemModel>
#include <QString>
#include <QTemporaryDir>

#include <memory>

/** The runner's signals re-emitted in the test's thread, so that spies do not race the runner. */
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

struct sLogged
{
    QString text;
    int level = 0;
    QString source;
    QString group;
};

/** A runner over a temporary application folder, and a test model filled from its tests. */
class cRunnerFixture
{
public:
    cRunnerFixture();
    ~cRunnerFixture() { destroyRunner(); }
    Q_DISABLE_COPY_MOVE(cRunnerFixture)

    QString path(const QString &folder, const QString &file) const;
    void writeScript(const QString &folder, const QString &file, const QByteArray &text);
    /** tests/tests.lua with the named test bodies, enumerated in this order. */
    void writeTests(const QList<QPair<QString, QString>> &tests, const QString &extra = QString());

    /** Initialises the runner (made on first use) and returns its result code, -1 on time-out. */
    int start(const sIODevice &device = defaultDevice(), bool ownsPort = false);
    cTestRunner *makeRunner(bool ownsPort);
    cTestRunner *runner() const { return m_runner.get(); }
    cRunnerRelay *relay() const { return m_relay.get(); }
    void destroyRunner();

    QStandardItemModel *model() const { return m_model.get(); }
    QStringList fillModel();
    cTestHandle handle(int row) const;
    void queue(int row, bool cancel = false);
    void cancel(int row) { queue(row, true); }
    /** One test 'T' with the body, set up, listed, run and finished. */
    bool runOne(const QString &body);
    int state(int row) const;
    QString details(int row) const;

    /** Messages since the fixture was made whose text contains the part. */
    QList<sLogged> logsWith(const QString &part) const;
    bool logged(const QString &text, int level = -1, const QString &source = QString(),
                const QString &group = QString()) const;
    bool waitLogged(const QString &text) const;

    static sIODevice defaultDevice();
    static QString luaString(const QString &text);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<cTestRunner> m_runner;
    std::unique_ptr<cRunnerRelay> m_relay;
    std::unique_ptr<QStandardItemModel> m_model;
    int m_logMark = 0;
};
