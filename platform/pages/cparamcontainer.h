#pragma once

#include "platform/pages/cplaceholderpage.h"

/** The unit parameters page. */
class cParamContainer : public cPlaceholderPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cParamContainer)

public:
    explicit cParamContainer(QWidget *parent);
};
