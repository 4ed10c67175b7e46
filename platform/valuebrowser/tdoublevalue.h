#pragma once

#include "platform/valuebrowser/tbasevalue.h"

class QDoubleSpinBox;

/**
 * A real-number row with a double spin box, six decimals. minimum and maximum bound it when
 * minimum < maximum; otherwise it takes -1e12 to 1e12.
 */
class TDoubleValue : public TBaseValue
{
public:
    TDoubleValue(TValueBrowser *browser, const QString &name, int minimum = -1, int maximum = -1);
    ~TDoubleValue() override;
    Q_DISABLE_COPY_MOVE(TDoubleValue)

    /** Finite numbers and numeric texts are bounded; NaN, infinities and anything else give 0 (or the minimum). */
    void setValue(const QVariant &value) override;
    QVariant value() const override;

private:
    QDoubleSpinBox *m_spin;
};
