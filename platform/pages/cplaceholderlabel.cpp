#include "cplaceholderlabel.h"

cPlaceholderLabel::cPlaceholderLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setObjectName(QStringLiteral("placeholderLabel"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setMargin(24);
}
