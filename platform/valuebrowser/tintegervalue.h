#pragma once

#include "platform/valuebrowser/tbasevalue.h"

class QSpinBox;

/**
 * An integer row with a spin box. minimum and maximum bound it when minimum < maximum;
 * otherwise (e.g. -1, -1) it takes any 32-bit integer.
 */
class TIntegerValue : public TBaseValue
{
public:
    TIntegerValue(TValueBrowser *browser, const QString &name, int minimum = -1, int maximum = -1);
    ~TIntegerValue() override;
    Q_DISABLE_COPY_MOVE(TIntegerValue)

    /** Numbers and numeric texts are rounded and bounded; anything else gives 0 (or the minimum). */
    void setValue(const QVariant &value) override;
    QVariant value() const override;

private:
    QSpinBox *m_spin;
};
