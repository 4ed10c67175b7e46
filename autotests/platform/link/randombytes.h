#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Seeded, so a failing transfer can be repeated with the same bytes; all 256 values occur,
// the link's marker bytes included.
inline QByteArray randomBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, Qt::Uninitialized);
    for (char &c : b)
        c = char(g.generate());
    return b;
}
