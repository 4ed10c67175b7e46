#pragma once

#include <QByteArray>
#include <QtEndian>

/** Little-endian fields of request arguments and answers, the same on both ends of the link. */
namespace zlink {

inline void put16(QByteArray *b, quint16 v)
{
    char t[2];
    qToLittleEndian(v, t);
    b->append(t, 2);
}

inline void put32(QByteArray *b, quint32 v)
{
    char t[4];
    qToLittleEndian(v, t);
    b->append(t, 4);
}

// Callers check the length first: these read without bounds.
inline quint16 u16(const QByteArray &b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }
inline quint32 u32(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }

} // namespace zlink
