#pragma once

#include <QByteArray>
#include <QStringList>

/** The GPIO line names a sub-device offers; an empty list lets any well-formed name through. */
class cGpioNames
{
public:
    explicit cGpioNames(const QStringList &names);

    /** True when name may be used; otherwise false with the reason. */
    bool accepts(const QByteArray &name, QString *why) const;
    const QStringList &names() const { return m_names; }

    /** A name is 1..64 printable characters without spaces (it travels inside text requests). */
    static bool isWellFormed(const QByteArray &name);

private:
    QStringList m_names;
};
