#include "platform/valuebrowser/tvaluebrowser.h"

#include "platform/valuebrowser/tbasegroup.h"
#include "platform/valuebrowser/tbasevalue.h"

#include <QHeaderView>

TValueBrowser::TValueBrowser(QWidget *parent, unsigned int options)
    : QTreeWidget(parent)
{
    qRegisterMetaType<TBaseItem *>(); // for queued receivers and spies of ItemChanged
    setColumnCount(2);
    setHeaderLabels({tr("Name"), tr("Value")});
    setHeaderHidden(!(options & HeaderVisible));
    setAlternatingRowColors(options & AlternatingRowColors);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // the rows' own editors do the editing
    setUniformRowHeights(false);
    header()->setSectionResizeMode(0, QHeaderView::Interactive);
    header()->setStretchLastSection(true);
    header()->resizeSection(0, 220);
}

TValueBrowser::~TValueBrowser() = default;

TBaseGroup *TValueBrowser::addGroup(const QString &name, const QString &section, bool collapsed)
{
    auto group = new TBaseGroup(this, name);
    addTopLevelItem(group);
    // Spanning and expanding need the item in the tree.
    group->setSectionName(section);
    group->setExpanded(!collapsed);
    m_current = group;
    return group;
}

TBaseGroup *TValueBrowser::currentGroup() const { return m_current; }

QList<TBaseValue *> TValueBrowser::values() const
{
    QList<TBaseValue *> rows;
    for (QTreeWidgetItemIterator it(const_cast<TValueBrowser *>(this)); *it; ++it) {
        if ((*it)->type() == TBaseItem::ValueKind)
            rows.append(static_cast<TBaseValue *>(*it));
    }
    return rows;
}

TBaseValue *TValueBrowser::value(const QString &propertyName, const TBaseGroup *group) const
{
    for (TBaseValue *row : values()) {
        if (row->propertyName() == propertyName && (!group || row->parent() == group))
            return row;
    }
    return nullptr;
}

void TValueBrowser::clear()
{
    m_current = nullptr;
    QTreeWidget::clear();
}

void TValueBrowser::insertValue(TBaseValue *row)
{
    if (m_current)
        m_current->addChild(row);
    else
        addTopLevelItem(row);
}

void TValueBrowser::reportChange(TBaseValue *row)
{
    emit ItemChanged(row);
}
