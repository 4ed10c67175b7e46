// The pictures of the application folder, read back the way the program reads them.

#include "shell/resource/resourcefile.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QSet>
#include <QTest>

namespace {

const QList<int> kIcoSizes{16, 32, 48, 64, 256};
const QList<int> kShownSizes{16, 32, 64};

// Share of pixels that are at least half opaque.
double coverage(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    qint64 opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(line[x]) >= 128 ? 1 : 0;
    }
    return double(opaque) / double(image.width() * image.height());
}

bool hasTransparentPixel(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                return true;
        }
    }
    return false;
}

// Distinct colours among the opaque pixels: a picture drawn in one flat colour would not
// read at 16 px against both light and dark backgrounds.
int opaqueColours(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 255)
                colours.insert(line[x] & 0xf0f0f0);
        }
    }
    return int(colours.size());
}

QStringList icoNames()
{
    return {QStringLiteral("app.ico"),           QStringLiteral("download.ico"),
            QStringLiteral("params.ico"),        QStringLiteral("p_testing.ico"),
            QStringLiteral("cmd.ico"),           QStringLiteral("note.ico"),
            QStringLiteral("nuclear.ico"),       QStringLiteral("pda.ico"),
            QStringLiteral("connect2.ico"),      QStringLiteral("close.ico"),
            QStringLiteral("voice.ico"),         QStringLiteral("reboot.ico"),
            QStringLiteral("settings-switch.ico"), QStringLiteral("test_run_single.ico"),
            QStringLiteral("button-play-green.ico"), QStringLiteral("test_run_all.ico"),
            QStringLiteral("test_stop_single.ico"), QStringLiteral("button-stop-red.ico"),
            QStringLiteral("clear.ico"),         QStringLiteral("save.ico"),
            QStringLiteral("folder.ico"),        QStringLiteral("file.ico")};
}

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void icoHoldsEverySize_data();
    void icoHoldsEverySize();
    void iconOffersShownSizes_data();
    void iconOffersShownSizes();
    void pictureHasItsSize_data();
    void pictureHasItsSize();
    void picturesAreDistinct();
    void emptyOrUnknownNameGivesEmptyIcon();
};

void tst_Pictures::icoHoldsEverySize_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : icoNames())
        QTest::newRow(qPrintable(name)) << name;
}

// Every entry of the container must decode, in its own size, with its transparency intact.
void tst_Pictures::icoHoldsEverySize()
{
    QFETCH(QString, name);
    const QString path = resourceFile(name);
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));

    QImageReader reader(path, "ico");
    QCOMPARE(reader.imageCount(), kIcoSizes.size());
    QList<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        QVERIFY2(image.hasAlphaChannel(), qPrintable(QString::number(image.width())));
        QVERIFY2(hasTransparentPixel(image), qPrintable(QString::number(image.width())));
        const double covered = coverage(image);
        QVERIFY2(covered > 0.1 && covered < 1.0, qPrintable(QString::number(covered)));
        QVERIFY2(opaqueColours(image) >= 2, qPrintable(QString::number(image.width())));
        sizes.append(image.width());
    }
    std::sort(sizes.begin(), sizes.end());
    QCOMPARE(sizes, kIcoSizes);
}

void tst_Pictures::iconOffersShownSizes_data()
{
    icoHoldsEverySize_data();
}

// The way the pages load them: QIcon from the file, asked for the tool-bar and selector sizes.
void tst_Pictures::iconOffersShownSizes()
{
    QFETCH(QString, name);
    const QIcon icon(resourceFile(name));
    QVERIFY(!icon.isNull());
    const QList<QSize> available = icon.availableSizes();
    for (int size : kShownSizes) {
        QVERIFY2(available.contains(QSize(size, size)), qPrintable(QString::number(size)));
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        QCOMPARE(pixmap.size(), QSize(size, size));
        QVERIFY(coverage(pixmap.toImage()) > 0.1);
    }
}

void tst_Pictures::pictureHasItsSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::newRow("connected") << QStringLiteral("connected.png") << 16;
    QTest::newRow("disconnected") << QStringLiteral("disconnected.png") << 16;
    QTest::newRow("disconnected-err") << QStringLiteral("disconnected-err.png") << 16;
    QTest::newRow("connected@2x") << QStringLiteral("connected@2x.png") << 32;
    QTest::newRow("disconnected@2x") << QStringLiteral("disconnected@2x.png") << 32;
    QTest::newRow("disconnected-err@2x") << QStringLiteral("disconnected-err@2x.png") << 32;
    QTest::newRow("about") << QStringLiteral("about.png") << 128;
    QTest::newRow("app") << QStringLiteral("app.png") << 256;
}

// Single pictures are shown as they are (status bar, About dialog), so their own size matters;
// scaled to the shown sizes they must still carry a picture.
void tst_Pictures::pictureHasItsSize()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    const QPixmap pixmap(resourceFile(name));
    QVERIFY2(!pixmap.isNull(), qPrintable(resourceFile(name)));
    QCOMPARE(pixmap.size(), QSize(size, size));
    QVERIFY(pixmap.hasAlphaChannel());
    QVERIFY(hasTransparentPixel(pixmap.toImage()));
    for (int shown : kShownSizes) {
        const QImage scaled = pixmap.toImage().scaled(shown, shown, Qt::IgnoreAspectRatio,
                                                      Qt::SmoothTransformation);
        QVERIFY2(coverage(scaled) > 0.1, qPrintable(QString::number(shown)));
    }
}

// A rendering rule that pointed two pictures at one source would pass every other check.
void tst_Pictures::picturesAreDistinct()
{
    QStringList names = icoNames();
    names << QStringLiteral("connected.png") << QStringLiteral("disconnected.png")
          << QStringLiteral("disconnected-err.png");
    QHash<QByteArray, QString> seen;
    for (const QString &name : names) {
        const QImage image = QIcon(resourceFile(name)).pixmap(16, 16).toImage().convertToFormat(
            QImage::Format_ARGB32);
        QVERIFY2(!image.isNull(), qPrintable(name));
        const QByteArray hash = QCryptographicHash::hash(
            QByteArrayView(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()),
            QCryptographicHash::Sha1);
        QVERIFY2(!seen.contains(hash), qPrintable(name + QLatin1String(" = ") + seen.value(hash)));
        seen.insert(hash, name);
    }
}

void tst_Pictures::emptyOrUnknownNameGivesEmptyIcon()
{
    QVERIFY(resourceFile(QString()).isEmpty());
    QVERIFY(QIcon(resourceFile(QString())).isNull());
    QVERIFY(QPixmap(resourceFile(QStringLiteral("no-such-picture.png"))).isNull());
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
