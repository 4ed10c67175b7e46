#pragma once

#include "platform/valuebrowser/tbasevalue.h"

class QCheckBox;

/** A yes/no row with a check box. The two integers are not used. */
class TBoolValue : public TBaseValue
{
public:
    TBoolValue(TValueBrowser *browser, const QString &name, int minimum = -1, int maximum = -1);
    ~TBoolValue() override;
    Q_DISABLE_COPY_MOVE(TBoolValue)

    /** true, non-zero numbers and "true", "yes", "on", "1" (any case) check the box; anything else clears it. */
    void setValue(const QVariant &value) override;
    QVariant value() const override;

private:
    QCheckBox *m_check;
};
