#include "platform/valuebrowser/tdoublevalue.h"

#include "platform/valuebrowser/tvaluebrowser.h"

#include <QDoubleSpinBox>

#include <cmath>

namespace {
constexpr double kLimit = 1e12; // wide, yet the spin box stays a sane width
constexpr int kDecimals = 6;
} // namespace

TDoubleValue::TDoubleValue(TValueBrowser *browser, const QString &name, int minimum, int maximum)
    : TBaseValue(browser, name)
    , m_spin(new QDoubleSpinBox(browser))
{
    m_spin->setDecimals(kDecimals);
    if (minimum < maximum)
        m_spin->setRange(minimum, maximum);
    else
        m_spin->setRange(-kLimit, kLimit);
    m_spin->setValue(qBound(m_spin->minimum(), 0.0, m_spin->maximum()));
    m_spin->setFrame(false);
    m_spin->setAccelerated(true);
    QObject::connect(m_spin, &QDoubleSpinBox::valueChanged, context(), [this] { reportChange(); });
    attachEditor(m_spin);
}

TDoubleValue::~TDoubleValue() = default;

void TDoubleValue::setValue(const QVariant &value)
{
    double number = qBound(m_spin->minimum(), 0.0, m_spin->maximum());
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (ok && std::isfinite(d))
        number = qBound(m_spin->minimum(), d, m_spin->maximum());
    const QSignalBlocker quiet(m_spin);
    m_spin->setValue(number);
}

QVariant TDoubleValue::value() const { return QVariant(m_spin->value()); }
