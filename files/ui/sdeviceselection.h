#pragma once

#include <QStringList>

/** The unit rows the operator selected: current path + "/" + name, files and folders apart. */
struct sDeviceSelection
{
    QStringList files;
    QStringList dirs;
};
