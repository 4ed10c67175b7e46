#pragma once

#include "platform/pages/cplaceholderpage.h"

/** The firmware flashing page. */
class cFlashPage : public cPlaceholderPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cFlashPage)

public:
    explicit cFlashPage(QWidget *parent);
};
