#include "cparamcontainer.h"

cParamContainer::cParamContainer(QWidget *parent)
    : cPlaceholderPage(QStringLiteral("cParamContainer"), tr("This page reads, edits and writes the parameters of the attached unit."), parent)
{
}
