#include "icofile.h"

#include <QBuffer>
#include <QDataStream>
#include <QImage>

namespace {

constexpr int kDirHeaderSize = 6;
constexpr int kDirEntrySize = 16;
constexpr int kBmpHeaderSize = 40;

QByteArray pngEntry(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QByteArray();
    return data;
}

// A BMP entry is a BITMAPINFOHEADER whose height counts the colour rows and the mask rows,
// then the bottom-up BGRA rows, then the 1-bit AND mask rows padded to 32 bits.
QByteArray bmpEntry(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskStride = ((size + 31) / 32) * 4;

    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(kBmpHeaderSize) << qint32(size) << qint32(size * 2) << quint16(1) << quint16(32)
        << quint32(0) << quint32(size * size * 4 + maskStride * size) << qint32(0) << qint32(0)
        << quint32(0) << quint32(0);

    for (int y = size - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < size; ++x)
            out << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]))
                << quint8(qAlpha(line[x]));
    }
    for (int y = size - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < size; ++x) {
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(quint8(row[x / 8]) | (0x80 >> (x % 8)));
        }
        out.writeRawData(row.constData(), row.size());
    }
    return data;
}

} // namespace

QByteArray icoFile(const QList<QImage> &images)
{
    if (images.isEmpty() || images.size() > 0xffff)
        return QByteArray();

    QList<QByteArray> entries;
    for (const QImage &image : images) {
        if (image.isNull() || image.width() != image.height() || image.width() > 256)
            return QByteArray();
        const QByteArray entry = image.width() == 256 ? pngEntry(image) : bmpEntry(image);
        if (entry.isEmpty())
            return QByteArray();
        entries.append(entry);
    }

    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(entries.size());
    quint32 offset = kDirHeaderSize + kDirEntrySize * quint32(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        // 256 does not fit the byte: the container writes it as 0.
        const quint8 side = quint8(images.at(i).width() & 0xff);
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32)
            << quint32(entries.at(i).size()) << offset;
        offset += quint32(entries.at(i).size());
    }
    for (const QByteArray &entry : entries)
        out.writeRawData(entry.constData(), entry.size());
    return file;
}
