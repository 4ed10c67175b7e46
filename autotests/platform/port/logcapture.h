#pragma once

#include <QObject>
#include <QStringList>

/** Collects the texts that reach the log engine while it lives. */
class cLogCapture : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLogCapture)

public:
    explicit cLogCapture(QObject *parent = nullptr);

    /** Every text logged so far (drains the engine's queue first). */
    QStringList texts();
    /** True when one text contains all the parts. */
    bool contains(const QStringList &parts);
    int count(const QString &part);

private:
    QStringList m_texts;
};
