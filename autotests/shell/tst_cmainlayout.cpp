#include "shell/cmainlayout.h"

#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QTest>

#include <functional>

namespace {
using tPlace = std::function<void(cMainLayout &, QWidget *)>;
}
Q_DECLARE_METATYPE(tPlace)

class tst_cMainLayout : public QObject
{
    Q_OBJECT

private slots:
    void placing_data();
    void placing();
    void frameLook();
};

void tst_cMainLayout::placing_data()
{
    QTest::addColumn<tPlace>("place");
    QTest::addColumn<QString>("frame");

    QTest::newRow("page selector") << tPlace(&cMainLayout::setPageSelectorWidget) << "pageSelectorFrame";
    QTest::newRow("main selector") << tPlace(&cMainLayout::setMainSelectorWidget) << "mainSelectorFrame";
    QTest::newRow("page") << tPlace(&cMainLayout::setPageWidget) << "pageFrame";
}

void tst_cMainLayout::placing()
{
    QFETCH(tPlace, place);
    QFETCH(QString, frame);
    cMainLayout layout;
    layout.show();
    const auto area = layout.findChild<QFrame *>(frame);
    QVERIFY(area);
    const auto visibleIn = [area](QWidget *w) { return w->parentWidget() == area && w->isVisible(); };

    QWidget owner;
    QPointer<QLabel> first = new QLabel(QStringLiteral("first"), &owner);
    QPointer<QLabel> second = new QLabel(QStringLiteral("second"), &owner);

    place(layout, first);
    QVERIFY(visibleIn(first));

    // The next widget replaces the first, which is hidden but left alive for its page.
    place(layout, second);
    QVERIFY(visibleIn(second));
    QVERIFY(first);
    QVERIFY(first->isHidden());

    // Placing the same widget twice keeps it once.
    place(layout, second);
    QVERIFY(visibleIn(second));
    int held = 0;
    for (QLayout *inner : area->findChildren<QLayout *>())
        held += inner->indexOf(second) >= 0 ? 1 : 0;
    QCOMPARE(held, 1);

    // Null empties the area.
    place(layout, nullptr);
    QVERIFY(second);
    QVERIFY(second->isHidden());
    QVERIFY(!visibleIn(first) && !visibleIn(second));

    place(layout, first);
    QVERIFY(visibleIn(first));
}

void tst_cMainLayout::frameLook()
{
    cMainLayout layout;
    const auto frame = layout.findChild<QFrame *>(QStringLiteral("pageSelectorFrame"));
    layout.setPageSelectorFramed(false);
    QCOMPARE(frame->frameShape(), QFrame::NoFrame);
    QCOMPARE(frame->frameShadow(), QFrame::Plain);
    layout.setPageSelectorFramed(true);
    QCOMPARE(frame->frameShape(), QFrame::StyledPanel);
    QCOMPARE(frame->frameShadow(), QFrame::Raised);
    // The other frames never change look.
    layout.setPageSelectorFramed(false);
    QCOMPARE(layout.findChild<QFrame *>(QStringLiteral("pageFrame"))->frameShape(), QFrame::StyledPanel);
}

QTEST_MAIN(tst_cMainLayout)
#include "tst_cmainlayout.moc"
