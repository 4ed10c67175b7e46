#include "platform/valuebrowser/tbasegroup.h"

#include <QFont>

TBaseGroup::TBaseGroup(TValueBrowser *browser, const QString &name)
    : TBaseItem(browser, GroupKind)
{
    setText(0, name);
    QFont bold = font(0);
    bold.setBold(true);
    setFont(0, bold);
    setFlags(Qt::ItemIsEnabled);
    setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

TBaseGroup::~TBaseGroup() = default;

QString TBaseGroup::name() const { return text(0); }

QString TBaseGroup::sectionName() const { return text(1); }

void TBaseGroup::setSectionName(const QString &section)
{
    setText(1, section);
    // Without a section the name may use the whole row.
    setFirstColumnSpanned(section.isEmpty());
}
