#include "platform/logging/clogengine.h"
#include "platform/logging/clogmodel.h"

#include <QAbstractItemModel>
#include <QTest>

namespace {

QStringList texts(const QAbstractItemModel *model)
{
    QStringList result;
    for (int row = 0; model && row < model->rowCount(); ++row)
        result << model->index(row, cLogModel::TextColumn).data().toString();
    return result;
}

} // namespace

class tst_cLogEngine : public QObject
{
    Q_OBJECT

private slots:
    void laterModelStartsWithHistory_data();
    void laterModelStartsWithHistory();
};

void tst_cLogEngine::laterModelStartsWithHistory_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<bool>("takesNext");   // whether "a3" (group A, source S2), logged after, is shown
    QTest::newRow("all messages") << "ALL" << "ALL" << QStringList{"a1", "b1", "a2"} << true;
    QTest::newRow("all groups, one source") << "ALL" << "S1" << QStringList{"a1", "b1"} << false;
    QTest::newRow("one group") << "A" << "ALL" << QStringList{"a1", "a2"} << true;
    QTest::newRow("one group, one source") << "A" << "S2" << QStringList{"a2"} << true;
    QTest::newRow("group not seen yet") << "C" << "ALL" << QStringList{} << false;
}

void tst_cLogEngine::laterModelStartsWithHistory()
{
    QFETCH(QString, group);
    QFETCH(QString, filter);
    QFETCH(QStringList, history);
    QFETCH(bool, takesNext);
    cLogEngine engine;
    const QDateTime now = QDateTime::currentDateTime();
    engine.addMessage(QStringLiteral("a1"), 1, now, QStringLiteral("S1"), QStringLiteral("A"));
    engine.addMessage(QStringLiteral("b1"), 2, now, QStringLiteral("S1"), QStringLiteral("B"));
    engine.addMessage(QStringLiteral("a2"), 3, now, QStringLiteral("S2"), QStringLiteral("A"));
    engine.flush();
    // The window that asks for the model appears only now.
    const QAbstractItemModel *model = engine.model(group, filter);
    QVERIFY(model);
    QCOMPARE(texts(model), history);
    // And from then on it follows, without the history twice.
    engine.addMessage(QStringLiteral("a3"), 1, now, QStringLiteral("S2"), QStringLiteral("A"));
    engine.flush();
    QCOMPARE(texts(model), takesNext ? history + QStringList{"a3"} : history);
}

QTEST_GUILESS_MAIN(tst_cLogEngine)
#include "tst_clogengine.moc"
