#include "platform/valuebrowser/tboolvalue.h"

#include "platform/valuebrowser/tvaluebrowser.h"

#include <QCheckBox>

#include <cmath>

TBoolValue::TBoolValue(TValueBrowser *browser, const QString &name, int, int)
    : TBaseValue(browser, name)
    , m_check(new QCheckBox(browser))
{
    // clicked, not toggled: only the operator's changes are reported.
    QObject::connect(m_check, &QCheckBox::clicked, context(), [this] { reportChange(); });
    attachEditor(m_check);
}

TBoolValue::~TBoolValue() = default;

void TBoolValue::setValue(const QVariant &value)
{
    bool on = false;
    switch (value.typeId()) {
    case QMetaType::Bool:
        on = value.toBool();
        break;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        // QVariant would call any text but "false" and "0" true, "garbage" included.
        const QString text = value.toString().trimmed().toLower();
        on = text == QLatin1String("true") || text == QLatin1String("yes") || text == QLatin1String("on")
             || text == QLatin1String("1");
        break;
    }
    default: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        on = ok && d != 0.0 && !std::isnan(d);
        break;
    }
    }
    m_check->setChecked(on);
}

QVariant TBoolValue::value() const { return QVariant(m_check->isChecked()); }
