#include "platform/valuebrowser/ttextvalue.h"

#include "platform/valuebrowser/tvaluebrowser.h"

#include <QLineEdit>

namespace {
constexpr int kLineEditLimit = 32767;
} // namespace

TTextValue::TTextValue(TValueBrowser *browser, const QString &name, int, int maximum)
    : TBaseValue(browser, name)
    , m_edit(new QLineEdit(browser))
{
    m_edit->setMaxLength(maximum > 0 ? qMin(maximum, kLineEditLimit) : kLineEditLimit);
    m_edit->setFrame(false);
    QObject::connect(m_edit, &QLineEdit::textEdited, context(), [this] { reportChange(); });
    attachEditor(m_edit);
}

TTextValue::~TTextValue() = default;

void TTextValue::setValue(const QVariant &value)
{
    QString text;
    // An unquoted "a, b" in a settings file reads back as a list.
    if (value.typeId() == QMetaType::QStringList)
        text = value.toStringList().join(QStringLiteral(", "));
    else if (value.canConvert<QString>())
        text = value.toString();
    m_edit->setText(text.left(m_edit->maxLength()));
}

QVariant TTextValue::value() const { return QVariant(m_edit->text()); }
