#pragma once

#include <QMetaType>
#include <QTreeWidgetItem>

class TValueBrowser;

/** A row of the value browser: a group or a value. */
class TBaseItem : public QTreeWidgetItem
{
public:
    enum Kind { GroupKind = QTreeWidgetItem::UserType + 1, ValueKind };

    ~TBaseItem() override;
    Q_DISABLE_COPY_MOVE(TBaseItem)

    TValueBrowser *browser() const { return m_browser; }
    bool isGroup() const { return type() == GroupKind; }

protected:
    TBaseItem(TValueBrowser *browser, Kind kind);

private:
    TValueBrowser *m_browser;
};

Q_DECLARE_METATYPE(TBaseItem *)
