#pragma once

#include "platform/valuebrowser/tbasevalue.h"

class QLineEdit;

/**
 * A text row with a line edit. maximum, when above 0, is the longest text it holds; otherwise
 * 32767 characters (the line edit's own limit). minimum is not used.
 */
class TTextValue : public TBaseValue
{
public:
    TTextValue(TValueBrowser *browser, const QString &name, int minimum = -1, int maximum = -1);
    ~TTextValue() override;
    Q_DISABLE_COPY_MOVE(TTextValue)

    /** Texts and numbers as they read, lists joined with ", ", anything else empty; cut at the limit. */
    void setValue(const QVariant &value) override;
    QVariant value() const override;

private:
    QLineEdit *m_edit;
};
