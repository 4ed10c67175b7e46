#pragma once

#include <QChar>

// Character tests shared by the record recogniser and the record builder; they read a line as
// text or as the unit's Latin-1 bytes alike.
namespace logchars {

// One character code, from a line as text or as the unit's Latin-1 bytes.
inline char16_t uc(QChar c)
{
    return c.unicode();
}

inline char16_t uc(QLatin1Char c)
{
    return c.unicode();
}

inline char16_t uc(char c)
{
    return static_cast<unsigned char>(c);
}

// ASCII white space as the patterns' \s sees it.
template<class C>
inline bool isBlank(C c)
{
    const char16_t u = uc(c);
    return u == ' ' || (u >= '\t' && u <= '\r');
}

template<class C>
inline bool isDigit(C c)
{
    return uc(c) >= '0' && uc(c) <= '9';
}

} // namespace logchars
