#include "platform/valuebrowser/tintegervalue.h"

#include "platform/valuebrowser/tvaluebrowser.h"

#include <QSpinBox>

#include <climits>
#include <cmath>

TIntegerValue::TIntegerValue(TValueBrowser *browser, const QString &name, int minimum, int maximum)
    : TBaseValue(browser, name)
    , m_spin(new QSpinBox(browser))
{
    if (minimum < maximum)
        m_spin->setRange(minimum, maximum);
    else
        m_spin->setRange(INT_MIN, INT_MAX);
    m_spin->setValue(qBound(m_spin->minimum(), 0, m_spin->maximum()));
    m_spin->setFrame(false);
    m_spin->setAccelerated(true);
    QObject::connect(m_spin, &QSpinBox::valueChanged, context(), [this] { reportChange(); });
    attachEditor(m_spin);
}

TIntegerValue::~TIntegerValue() = default;

void TIntegerValue::setValue(const QVariant &value)
{
    const double low = m_spin->minimum();
    const double high = m_spin->maximum();
    double number = qBound(low, 0.0, high);
    bool ok = false;
    const qlonglong whole = value.toLongLong(&ok);
    if (ok) {
        number = double(whole);
    } else {
        // "12.7" or 12.7 were meant as numbers too; NaN and text are not.
        const double d = value.toDouble(&ok);
        if (ok && std::isfinite(d))
            number = std::round(d);
    }
    const QSignalBlocker quiet(m_spin);
    m_spin->setValue(int(qBound(low, number, high)));
}

QVariant TIntegerValue::value() const { return QVariant(m_spin->value()); }
