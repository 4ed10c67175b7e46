#include "cprogressindicator.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

namespace {
constexpr int spokes = 12;
constexpr int stepDegrees = 360 / spokes;
} // namespace

cProgressIndicator::cProgressIndicator(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

bool cProgressIndicator::isAnimated() const
{
    return m_timerId != -1;
}

void cProgressIndicator::setAnimationDelay(int milliseconds)
{
    m_delay = std::max(10, milliseconds);
    if (isAnimated()) {
        killTimer(m_timerId);
        m_timerId = startTimer(m_delay);
    }
}

void cProgressIndicator::setColor(const QColor &color)
{
    m_color = color;
    update();
}

QSize cProgressIndicator::sizeHint() const
{
    return QSize(24, 24);
}

int cProgressIndicator::heightForWidth(int width) const
{
    return width;
}

void cProgressIndicator::startAnimation()
{
    m_angle = 0;
    if (!isAnimated())
        m_timerId = startTimer(m_delay);
    update();
}

void cProgressIndicator::stopAnimation()
{
    if (isAnimated())
        killTimer(m_timerId);
    m_timerId = -1;
    update();
}

void cProgressIndicator::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    m_angle = (m_angle + stepDegrees) % 360;
    update();
}

void cProgressIndicator::paintEvent(QPaintEvent *)
{
    // Nothing is drawn while idle, so the indicator disappears without changing the layout.
    if (!isAnimated())
        return;

    const int side = std::min(width(), height());
    const qreal outer = side * 0.5;
    const qreal inner = outer * 0.5;
    const qreal spokeWidth = std::max<qreal>(1.0, side / 12.0);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < spokes; ++i) {
        QColor spokeColor = m_color;
        // The leading spoke is solid, the ones behind it fade out.
        spokeColor.setAlphaF(1.0f - float(i) / spokes);
        painter.save();
        painter.rotate(m_angle - i * stepDegrees);
        painter.setPen(QPen(spokeColor, spokeWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -inner), QPointF(0, -outer + spokeWidth));
        painter.restore();
    }
}

void cProgressIndicator::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit stop();
    QWidget::mouseReleaseEvent(event);
}
