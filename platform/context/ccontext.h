#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QVariant>

/** A key/value store that workers hand to plug-ins; safe to use from several threads. */
class cContext
{
public:
    cContext() = default;
    Q_DISABLE_COPY_MOVE(cContext)

    void setValue(const QString &key, const QVariant &value);
    QVariant value(const QString &key, const QVariant &defaultValue = QVariant()) const;
    bool contains(const QString &key) const;
    void remove(const QString &key);
    void clear();
    QStringList keys() const;

private:
    mutable QMutex m_lock;
    QHash<QString, QVariant> m_values;
};
