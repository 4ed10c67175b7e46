#include "cflashpage.h"

cFlashPage::cFlashPage(QWidget *parent)
    : cPlaceholderPage(QStringLiteral("cFlashPage"), tr("This page writes firmware images into the attached unit."), parent)
{
}
