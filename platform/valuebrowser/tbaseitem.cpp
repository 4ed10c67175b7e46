#include "platform/valuebrowser/tbaseitem.h"

TBaseItem::TBaseItem(TValueBrowser *browser, Kind kind)
    : QTreeWidgetItem(int(kind))
    , m_browser(browser)
{
}

TBaseItem::~TBaseItem() = default;
