#pragma once

#include "platform/port/siodevice.h"

#include <QList>
#include <QObject>

/** Enumerates the units on offer in its own thread, so a slow scan never stalls the GUI. */
class cPortScanner : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPortScanner)

public:
    explicit cPortScanner(QObject *parent = nullptr);

public slots:
    void scan();

signals:
    void scanned(const QList<sIODevice> &devices);
};
