// The pictures of the application folder, read back the way the program reads them.

#include "platform/appenv/resourcefile.h"

#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QSet>
#include <QTest>

namespace {

const QList<int> kShownSizes{16, 32, 64}; // tool bar, page selectors

struct sLook
{
    double coverage = 0; // share of pixels at least half opaque
    bool transparent = false;
    int colours = 0; // among opaque pixels; one flat colour would not read on light and dark alike
};

sLook look(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    sLook l;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            l.coverage += qAlpha(line[x]) >= 128 ? 1 : 0;
            l.transparent = l.transparent || qAlpha(line[x]) == 0;
            if (qAlpha(line[x]) == 255)
                colours.insert(line[x] & 0xf0f0f0);
        }
    }
    l.coverage /= double(image.width() * image.height());
    l.colours = int(colours.size());
    return l;
}

const QStringList kIcons{
    "app.ico", "download.ico", "params.ico", "p_testing.ico", "cmd.ico", "note.ico", "nuclear.ico", "pda.ico",
    "connect2.ico", "close.ico", "voice.ico", "reboot.ico", "settings-switch.ico", "test_run_single.ico",
    "button-play-green.ico", "test_run_all.ico", "test_stop_single.ico", "button-stop-red.ico", "clear.ico",
    "save.ico", "folder.ico", "file.ico"};

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void icons_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : kIcons)
            QTest::newRow(qPrintable(name)) << name;
    }

    void icons()
    {
        QFETCH(QString, name);
        const QString path = resourceFile(name);
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        // Every entry of the container decodes, square, with its transparency intact.
        QImageReader reader(path, "ico");
        QList<int> sizes;
        for (int i = 0; i < reader.imageCount(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            const QImage image = reader.read();
            QVERIFY2(!image.isNull() && image.width() == image.height(), qPrintable(reader.errorString()));
            const sLook l = look(image);
            QVERIFY2(image.hasAlphaChannel() && l.transparent && l.coverage > 0.1 && l.coverage < 1.0 && l.colours >= 2,
                     qPrintable(QStringLiteral("%1 px: cover %2, %3 colours").arg(image.width()).arg(l.coverage).arg(l.colours)));
            sizes.append(image.width());
        }
        std::sort(sizes.begin(), sizes.end());
        QCOMPARE(sizes, QList<int>({16, 32, 48, 64, 256}));

        // The way the pages load them: QIcon from the file, asked for the shown sizes.
        const QIcon icon(path);
        for (int size : kShownSizes) {
            const QPixmap pixmap = icon.pixmap(QSize(size, size));
            QVERIFY2(pixmap.size() == QSize(size, size) && look(pixmap.toImage()).coverage > 0.1,
                     qPrintable(QString::number(size)));
        }
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        for (const char *state : {"connected", "disconnected", "disconnected-err"}) {
            QTest::newRow(state) << QStringLiteral("%1.png").arg(QLatin1String(state)) << 16;
            QTest::addRow("%s@2x", state) << QStringLiteral("%1@2x.png").arg(QLatin1String(state)) << 32;
        }
        QTest::newRow("about") << QStringLiteral("about.png") << 128;
        QTest::newRow("app") << QStringLiteral("app.png") << 256;
    }

    // Single pictures are shown as they are (status bar, About dialog), so their own size matters.
    void pictures()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        const QPixmap pixmap(resourceFile(name));
        QCOMPARE(pixmap.size(), QSize(size, size));
        const sLook l = look(pixmap.toImage());
        QVERIFY(pixmap.hasAlphaChannel() && l.transparent && l.coverage > 0.1);
    }

    // A rendering rule that pointed two pictures at one source would pass every other check; and a
    // name that is not there gives an empty picture, not a stale one.
    void picturesAreDistinct()
    {
        QHash<QByteArray, QString> seen;
        for (const QString &name : kIcons + QStringList{"connected.png", "disconnected.png", "disconnected-err.png"}) {
            const QImage image = QIcon(resourceFile(name)).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(!image.isNull(), qPrintable(name));
            const QByteArray pixels(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
            QVERIFY2(!seen.contains(pixels), qPrintable(name + QLatin1String(" = ") + seen.value(pixels)));
            seen.insert(pixels, name);
        }
        QVERIFY(resourceFile(QString()).isEmpty());
        QVERIFY(QPixmap(resourceFile(QStringLiteral("no-such-picture.png"))).isNull());
    }
};

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
