#include "platform/ztk/cpageselector.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class tst_cPageSelector : public QObject
{
    Q_OBJECT

private slots:
    void buttons();
};

void tst_cPageSelector::buttons()
{
    cPageSelector selector(nullptr, Qt::Vertical);
    QAction first(QStringLiteral("First"));
    QAction second(QStringLiteral("Second"));
    second.setCheckable(true);
    selector.appendAction(&first);
    selector.appendAction(nullptr);
    selector.appendAction(&second);
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));

    // One button per page, top to bottom in the order the pages were added.
    auto firstButton = qobject_cast<QToolButton *>(selector.widgetForAction(&first));
    auto secondButton = qobject_cast<QToolButton *>(selector.widgetForAction(&second));
    QVERIFY(firstButton && secondButton);
    QVERIFY(secondButton->geometry().y() > firstButton->geometry().y());

    QSignalSpy triggered(&second, &QAction::triggered);
    QVERIFY(triggered.isValid());
    QTest::mouseClick(secondButton, Qt::LeftButton);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(second.isChecked() && secondButton->isChecked());
}

QTEST_MAIN(tst_cPageSelector)
#include "tst_cpageselector.moc"
