#include "platform/port/widgets/cportscanner.h"

#include "platform/port/port.h"

cPortScanner::cPortScanner(QObject *parent) : QObject(parent) {}

void cPortScanner::scan()
{
    emit scanned(port::enumerate());
}
