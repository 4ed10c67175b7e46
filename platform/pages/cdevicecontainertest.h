#pragma once

#include "platform/pages/cplaceholderpage.h"
#include "platform/pages/idevicecontainer.h"

/** The page of the unit's built-in self-tests. */
class cDeviceContainerTest : public cPlaceholderPage, public iDeviceContainer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDeviceContainerTest)

public:
    explicit cDeviceContainerTest(QWidget *parent);
};
