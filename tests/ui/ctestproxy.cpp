#include "ctestproxy.h"

cTestProxy::cTestProxy(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}
