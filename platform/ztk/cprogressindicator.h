#pragma once

#include <QColor>
#include <QWidget>

/** A busy spinner; a click on it asks the running work to stop. */
class cProgressIndicator : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cProgressIndicator)

public:
    explicit cProgressIndicator(QWidget *parent = nullptr);

    bool isAnimated() const;
    /** Milliseconds between two steps of the spinner. */
    int animationDelay() const { return m_delay; }
    void setAnimationDelay(int milliseconds);
    void setColor(const QColor &color);
    QColor color() const { return m_color; }

    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

public slots:
    void startAnimation();
    void stopAnimation();

signals:
    void stop();

protected:
    void timerEvent(QTimerEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_angle = 0;
    int m_timerId = -1;
    int m_delay = 60;
    QColor m_color = Qt::darkGray;
};
