#include "tests/engine/testroles.h"
#include "tests/model/ctestmodel.h"
#include "tests/ui/ctestdelegate.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace testmodel;

namespace {
const QColor kBase(250, 250, 250);
const QColor kWindowText(10, 10, 10);
const QSize kCell(120, 24);
}

class tst_cTestDelegate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void statusCell_data();
    void statusCell();
    void progressBar_data();
    void progressBar();
    void statisticsColour_data();
    void statisticsColour();
    void sizeHints();

private:
    QImage render(int column);
    bool hasColour(const QImage &image, const QColor &colour, const QRect &area) const;

    std::unique_ptr<cTestModel> m_model;
    cTestDelegate m_delegate;
};

void tst_cTestDelegate::initTestCase()
{
    m_model = std::make_unique<cTestModel>(nullptr, nullptr);
    m_model->appendTest(QStringLiteral("t"), true);
}

QImage tst_cTestDelegate::render(int column)
{
    QImage image(kCell, QImage::Format_RGB32);
    image.fill(Qt::black);
    QStyleOptionViewItem option;
    option.rect = QRect(QPoint(0, 0), kCell);
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    option.palette.setColor(QPalette::Base, kBase);
    option.palette.setColor(QPalette::WindowText, kWindowText);
    option.font = QApplication::font();
    QPainter painter(&image);
    m_delegate.paint(&painter, option, m_model->index(0, column));
    return image;
}

bool tst_cTestDelegate::hasColour(const QImage &image, const QColor &colour, const QRect &area) const
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

void tst_cTestDelegate::statusCell_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<bool>("frame");

    QTest::newRow("ok") << 1 << QColor(240, 255, 240) << QColor(90, 200, 90) << true;
    QTest::newRow("error") << 2 << QColor(255, 240, 240) << QColor(255, 90, 90) << true;
    QTest::newRow("warning") << 3 << QColor(240, 240, 255) << QColor(90, 90, 255) << true;
    QTest::newRow("enqueued") << 4 << kBase << QColor(180, 180, 180) << false;
    QTest::newRow("running without progress") << 5 << kBase << QColor(100, 100, 100) << false;
    QTest::newRow("canceling") << 6 << kBase << QColor(255, 130, 30) << false;
    QTest::newRow("canceled") << 7 << QColor(255, 240, 230) << QColor(255, 130, 30) << true;
    QTest::newRow("none") << 0 << kBase << QColor() << false;
    QTest::newRow("out of range") << 9 << kBase << QColor() << false;
}

void tst_cTestDelegate::statusCell()
{
    QFETCH(int, state);
    QFETCH(QColor, background);
    QFETCH(QColor, text);
    QFETCH(bool, frame);

    m_model->setData(m_model->index(0, StatusColumn), state, StateRole);
    m_model->setData(m_model->index(0, StatusColumn), -1, ProgressRole);
    const QImage image = render(StatusColumn);

    QCOMPARE(image.pixelColor(0, 0), background);
    QCOMPARE(image.pixelColor(2, 2), background);
    // The frame runs 1 pixel inside the cell.
    QCOMPARE(image.pixelColor(1, kCell.height() / 2), frame ? text : background);
    QCOMPARE(image.pixelColor(kCell.width() - 2, 1), frame ? text : background);
    const QRect textArea(4, 2, kCell.width() - 8, kCell.height() - 4);
    if (text.isValid()) {
        // Antialiased glyphs still reach their full colour somewhere near the middle.
        QVERIFY(hasColour(image, text, textArea.adjusted(1, 1, -1, -1)));
    } else {
        for (int y = 0; y < kCell.height(); ++y)
            for (int x = 0; x < kCell.width(); ++x)
                QCOMPARE(image.pixelColor(x, y), kBase);
    }
}

void tst_cTestDelegate::progressBar_data()
{
    QTest::addColumn<int>("progress");
    QTest::newRow("0 %") << 0;
    QTest::newRow("40 %") << 40;
    QTest::newRow("100 %") << 100;
}

void tst_cTestDelegate::progressBar()
{
    QFETCH(int, progress);
    m_model->setData(m_model->index(0, StatusColumn), int(StateRunning), StateRole);
    m_model->setData(m_model->index(0, StatusColumn), progress, ProgressRole);
    const QImage image = render(StatusColumn);

    const QColor outline(150, 70, 150), done(230, 130, 230), todo(255, 240, 255);
    const QRect bar(7, kCell.height() / 2 - 4, kCell.width() - 14, 8);
    QCOMPARE(image.pixelColor(bar.left(), bar.center().y()), outline);
    QCOMPARE(image.pixelColor(bar.right(), bar.center().y()), outline);
    QCOMPARE(image.pixelColor(bar.center().x(), bar.top()), outline);
    QCOMPARE(image.pixelColor(bar.center().x(), bar.bottom()), outline);
    QCOMPARE(image.pixelColor(bar.left() - 1, bar.center().y()), kBase);
    QCOMPARE(image.pixelColor(bar.center().x(), bar.top() - 1), kBase);
    const int filled = bar.width() * progress / 100;
    for (int x = bar.left() + 1; x < bar.right(); ++x)
        QCOMPARE(image.pixelColor(x, bar.center().y()), x < bar.left() + filled ? done : todo);
    // No text beside a bar.
    QVERIFY(!hasColour(image, QColor(100, 100, 100), image.rect()));
}

void tst_cTestDelegate::statisticsColour_data()
{
    QTest::addColumn<bool>("failed");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("failed") << true << QColor(255, 90, 90);
    QTest::newRow("all ok") << false << QColor(90, 200, 90);
}

void tst_cTestDelegate::statisticsColour()
{
    QFETCH(bool, failed);
    QFETCH(QColor, colour);
    m_model->setData(m_model->index(0, StatisticsColumn), QStringLiteral("Runs: 8, OK: 8"), Qt::DisplayRole);
    m_model->setData(m_model->index(0, StatisticsColumn), failed, FailedRole);
    QVERIFY(hasColour(render(StatisticsColumn), colour, QRect(QPoint(0, 0), kCell)));
}

void tst_cTestDelegate::sizeHints()
{
    QStyleOptionViewItem option;
    option.font = QApplication::font();
    const QFontMetrics metrics(option.font);
    const auto hint = [&](int column) { return m_delegate.sizeHint(option, m_model->index(0, column)); };
    QCOMPARE(hint(StatusColumn).width(),
             std::max(metrics.horizontalAdvance(QStringLiteral("Warning")), metrics.horizontalAdvance(QStringLiteral("Canceling"))) + 32);
    QCOMPARE(hint(StatusColumn).height(), std::max(20, metrics.height() + 4));
    QCOMPARE(hint(TimeColumn).width(), std::max(50, metrics.horizontalAdvance(QStringLiteral("00:00:00 - 00:00:00")) + 10));
    QCOMPARE(hint(InfoColumn).width(), 60);
    QVERIFY(hint(StatisticsColumn).width() >= metrics.horizontalAdvance(QStringLiteral("Runs: 10000, OK: 10000")));
    QVERIFY(hint(StatisticsColumn).height() >= 20);
}

QTEST_MAIN(tst_cTestDelegate)
#include "tst_ctestdelegate.moc"
