#pragma once

#include "platform/pages/cplaceholderpage.h"

/** The engineers' device test page. */
class cDeviceTestPage : public cPlaceholderPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDeviceTestPage)

public:
    explicit cDeviceTestPage(QWidget *parent);
};
