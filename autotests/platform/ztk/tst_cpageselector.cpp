#include "platform/ztk/cpageselector.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class tst_cPageSelector : public QObject
{
    Q_OBJECT

private slots:
    void buttonsInAppendOrder();
    void buttonTriggersAction();
};

void tst_cPageSelector::buttonsInAppendOrder()
{
    cPageSelector selector(nullptr, Qt::Vertical);
    QAction first(QStringLiteral("First"));
    QAction second(QStringLiteral("Second"));
    QAction third(QStringLiteral("Third"));
    selector.appendAction(&first);
    selector.appendAction(nullptr);
    selector.appendAction(&second);
    selector.appendAction(&third);
    QCOMPARE(selector.actions(), QList<QAction *>({&first, &second, &third}));

    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));
    int lastY = -1;
    for (QAction *action : selector.actions()) {
        auto button = qobject_cast<QToolButton *>(selector.widgetForAction(action));
        QVERIFY(button);
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(button->geometry().y() > lastY);
        lastY = button->geometry().y();
    }
}

void tst_cPageSelector::buttonTriggersAction()
{
    cPageSelector selector(nullptr, Qt::Vertical);
    QAction page(QStringLiteral("Logs"));
    page.setCheckable(true);
    selector.appendAction(&page);
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));

    QSignalSpy triggered(&page, &QAction::triggered);
    QVERIFY(triggered.isValid());
    auto button = qobject_cast<QToolButton *>(selector.widgetForAction(&page));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(page.isChecked());
    QVERIFY(button->isChecked());
}

QTEST_MAIN(tst_cPageSelector)
#include "tst_cpageselector.moc"
