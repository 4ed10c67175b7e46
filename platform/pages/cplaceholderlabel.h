#pragma once

#include <QLabel>

/** The centred, wrapped sentence that tells what a page not built in this tool set is for. */
class cPlaceholderLabel : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPlaceholderLabel)

public:
    cPlaceholderLabel(const QString &text, QWidget *parent);
};
