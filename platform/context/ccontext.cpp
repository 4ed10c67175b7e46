#include "ccontext.h"

#include <QMutexLocker>

void cContext::setValue(const QString &key, const QVariant &value)
{
    QMutexLocker locker(&m_lock);
    m_values.insert(key, value);
}

QVariant cContext::value(const QString &key, const QVariant &defaultValue) const
{
    QMutexLocker locker(&m_lock);
    return m_values.value(key, defaultValue);
}

bool cContext::contains(const QString &key) const
{
    QMutexLocker locker(&m_lock);
    return m_values.contains(key);
}

void cContext::remove(const QString &key)
{
    QMutexLocker locker(&m_lock);
    m_values.remove(key);
}

void cContext::clear()
{
    QMutexLocker locker(&m_lock);
    m_values.clear();
}

QStringList cContext::keys() const
{
    QMutexLocker locker(&m_lock);
    return m_values.keys();
}
