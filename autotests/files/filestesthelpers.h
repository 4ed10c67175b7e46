#pragma once

// Small helpers the Files page tests share.

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>
#include <QString>
#include <QTimer>

namespace filestest {

// Answers the next message box with button, once it is shown.
inline void answerNextBox(QMessageBox::StandardButton button, bool *asked)
{
    QTimer::singleShot(0, [=] {
        auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerNextBox(button, asked);
        *asked = true;
        box->button(button)->click();
    });
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace filestest
