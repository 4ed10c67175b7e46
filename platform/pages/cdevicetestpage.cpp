#include "cdevicetestpage.h"

cDeviceTestPage::cDeviceTestPage(QWidget *parent)
    : cPlaceholderPage(QStringLiteral("cDeviceTestPage"),
                       tr("This page gives engineers direct access to the test functions of the attached unit."), parent)
{
}
