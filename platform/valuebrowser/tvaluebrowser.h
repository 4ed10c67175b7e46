#pragma once

#include <QTreeWidget>

class TBaseGroup;
class TBaseItem;
class TBaseValue;

/**
 * A property browser: names on the left, values edited in place on the right, rows gathered
 * in collapsible groups. Reports every change the operator makes through ItemChanged().
 */
class TValueBrowser : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TValueBrowser)

public:
    enum Option : unsigned int {
        HeaderVisible = 0x02,        // column titles "Name" and "Value"
        AlternatingRowColors = 0x10,
    };

    explicit TValueBrowser(QWidget *parent = nullptr, unsigned int options = HeaderVisible | AlternatingRowColors);
    ~TValueBrowser() override;

    /** Adds a group at the end and makes it the current one; collapsed starts it closed. */
    TBaseGroup *addGroup(const QString &name, const QString &section = QString(), bool collapsed = false);
    /** The group new value rows join; null before the first group. */
    TBaseGroup *currentGroup() const;
    /** Every value row, in display order. */
    QList<TBaseValue *> values() const;
    /** The value row with this property name, or null. */
    TBaseValue *value(const QString &propertyName, const TBaseGroup *group = nullptr) const;

public slots:
    /** Removes every group and row. */
    void clear();

signals:
    void ItemChanged(TBaseItem *item);

private:
    friend class TBaseValue;
    void insertValue(TBaseValue *row);
    void reportChange(TBaseValue *row);

    TBaseGroup *m_current = nullptr;
};
