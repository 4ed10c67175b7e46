#pragma once

#include <QByteArray>
#include <QList>

class QImage;

/**
 * Builds a Windows icon container (.ico) holding one entry per image. Entries below 256 px
 * are 32-bit BMP with an AND mask, so old readers keep the transparency; the 256 px entry is
 * PNG, as the platform's own icons do. Images must be square, 1..256 px; returns an empty
 * array otherwise.
 */
QByteArray icoFile(const QList<QImage> &images);
