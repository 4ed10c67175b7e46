#pragma once

#include "platform/valuebrowser/tbaseitem.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class QWidget;

/**
 * A typed value row, edited in place in the value column. A row joins the browser's current
 * group (the last one added), or the top level when there is none.
 *
 * setValue() takes any QVariant and shows the nearest value the row can hold; it does not
 * report a change, only the operator's edits do (TValueBrowser::ItemChanged).
 */
class TBaseValue : public TBaseItem
{
public:
    ~TBaseValue() override;
    Q_DISABLE_COPY_MOVE(TBaseValue)

    QString name() const;
    /** The key the row stands for (defaults to its name). */
    QString propertyName() const;
    void setPropertyName(const QString &property);

    virtual void setValue(const QVariant &value) = 0;
    /** The current value, as a QVariant of the row's own type. */
    virtual QVariant value() const = 0;

    /** The in-place editor (spin box, line edit, check box ...). */
    QWidget *editor() const;

protected:
    TBaseValue(TValueBrowser *browser, const QString &name);

    /** Puts the editor into the value column; the view owns it from then on. */
    void attachEditor(QWidget *editor);
    /** Tells the browser that the operator changed the value. */
    void reportChange();
    /** Lives exactly as long as the row: connect editor signals with it as context. */
    QObject *context() { return &m_context; }

private:
    QString m_propertyName;
    QPointer<QWidget> m_editor;
    QObject m_context;
};
