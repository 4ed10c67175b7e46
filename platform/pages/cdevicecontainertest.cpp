#include "cdevicecontainertest.h"

cDeviceContainerTest::cDeviceContainerTest(QWidget *parent)
    : cPlaceholderPage(QStringLiteral("cDeviceContainerTest"), tr("This page runs the built-in self-tests of the attached unit."), parent)
{
}
