#include "platform/ztk/cprogressindicator.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage picture(cProgressIndicator &indicator)
{
    return indicator.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

bool hasRed(cProgressIndicator &indicator)
{
    const QImage image = picture(indicator);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_cProgressIndicator : public QObject
{
    Q_OBJECT

private slots:
    void startSpinStop();
    void click_data();
    void click();
};

void tst_cProgressIndicator::startSpinStop()
{
    cProgressIndicator indicator;
    indicator.resize(32, 32);
    indicator.setColor(Qt::red);
    indicator.setAnimationDelay(0);
    QVERIFY(indicator.animationDelay() > 0); // a zero delay would spin the event loop
    indicator.setAnimationDelay(20);
    indicator.show();
    QVERIFY(QTest::qWaitForWindowExposed(&indicator));
    QVERIFY(!hasRed(indicator)); // idle draws nothing

    indicator.startAnimation();
    indicator.startAnimation();
    QVERIFY(indicator.isAnimated());
    QVERIFY(hasRed(indicator));
    const QImage first = picture(indicator);
    QTRY_VERIFY_WITH_TIMEOUT(picture(indicator) != first, 5000);

    // One stop ends it however often it was started.
    indicator.stopAnimation();
    QVERIFY(!indicator.isAnimated());
    QVERIFY(!hasRed(indicator));
}

void tst_cProgressIndicator::click_data()
{
    QTest::addColumn<bool>("animated");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("stops");
    QTest::newRow("left while spinning") << true << Qt::LeftButton << 1;
    QTest::newRow("left while idle") << false << Qt::LeftButton << 1;
    QTest::newRow("right") << true << Qt::RightButton << 0;
}

void tst_cProgressIndicator::click()
{
    QFETCH(bool, animated);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, stops);
    cProgressIndicator indicator;
    indicator.resize(24, 24);
    indicator.show();
    QVERIFY(QTest::qWaitForWindowExposed(&indicator));
    if (animated)
        indicator.startAnimation();
    QSignalSpy stop(&indicator, &cProgressIndicator::stop);
    QVERIFY(stop.isValid());
    QTest::mouseClick(&indicator, button);
    QCOMPARE(stop.count(), stops);
    // Stopping the work is the owner's call, not the indicator's.
    QCOMPARE(indicator.isAnimated(), animated);
}

QTEST_MAIN(tst_cProgressIndicator)
#include "tst_cprogressindicator.moc"
