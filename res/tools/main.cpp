// Renders one SVG picture into a PNG of one size or a multi-size ICO, at build time.
//
//   zt-iconrender <input.svg> <output.png> <size>
//   zt-iconrender <input.svg> <output.ico>          (16, 32, 48, 64 and 256 px)

#include "icofile.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QImage render(QSvgRenderer &renderer, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "zt-iconrender: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2 || args.size() > 3)
        return fail(QStringLiteral("usage: zt-iconrender <input.svg> <output.png> <size> | <input.svg> <output.ico>"));

    const QString input = args.at(0);
    const QString output = args.at(1);
    QSvgRenderer renderer(input);
    if (!renderer.isValid())
        return fail(QStringLiteral("cannot read %1").arg(input));

    QByteArray data;
    if (output.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive)) {
        QList<QImage> images;
        for (int size : {16, 32, 48, 64, 256})
            images.append(render(renderer, size));
        data = icoFile(images);
    } else if (output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) && args.size() == 3) {
        bool ok = false;
        const int size = args.at(2).toInt(&ok);
        if (!ok || size < 1 || size > 1024)
            return fail(QStringLiteral("bad size %1").arg(args.at(2)));
        QFile::remove(output);
        if (!render(renderer, size).save(output, "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(output));
        return 0;
    } else {
        return fail(QStringLiteral("output must be .ico, or .png with a size: %1").arg(output));
    }

    if (data.isEmpty())
        return fail(QStringLiteral("cannot encode %1").arg(output));
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return fail(QStringLiteral("cannot write %1").arg(output));
    return 0;
}
