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
    void spinClickStop();
};

void tst_cProgressIndicator::spinClickStop()
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
    QVERIFY(hasRed(indicator));
    const QImage first = picture(indicator);
    QTRY_VERIFY_WITH_TIMEOUT(picture(indicator) != first, 5000);

    // A left click asks the owner to stop; stopping the work is the owner's call, not the indicator's.
    QSignalSpy stop(&indicator, &cProgressIndicator::stop);
    QVERIFY(stop.isValid());
    QTest::mouseClick(&indicator, Qt::RightButton);
    QTest::mouseClick(&indicator, Qt::LeftButton);
    QCOMPARE(stop.count(), 1);
    QVERIFY(indicator.isAnimated());

    // One stop ends it however often it was started.
    indicator.stopAnimation();
    QVERIFY(!indicator.isAnimated());
    QVERIFY(!hasRed(indicator));
}

QTEST_MAIN(tst_cProgressIndicator)
#include "tst_cprogressindicator.moc"
