#include "camdata.h"
#include "testcamera.h"
#include "tiledecoder.h"
#include "tiletext.h"

#include <QImageWriter>
#include <QRandomGenerator>
#include <QTranslator>
#include <QtTest>

#include <turbojpeg.h>

#include <cmath>

namespace {

int markerAt(const QByteArray &jpeg, char marker, int from = 0)
{
    for (int i = from; i + 1 < jpeg.size(); ++i) {
        if (jpeg.at(i) == char(0xFF) && jpeg.at(i + 1) == marker)
            return i;
    }
    return -1;
}

// A small picture whose frame header claims another size, as a hostile sender could send it.
QByteArray claimingSize(const QSize &claimed)
{
    QByteArray jpeg = solidJpeg(QSize(64, 48), QColor(90, 90, 90));
    const int frame = markerAt(jpeg, char(0xC0));
    const auto put = [&jpeg](int at, int value) {
        jpeg[at] = char(value >> 8);
        jpeg[at + 1] = char(value & 0xFF);
    };
    put(frame + 5, claimed.height());
    put(frame + 7, claimed.width());
    return jpeg;
}

// A progressive picture whose last scan repeats until the picture has `scans` of them: each is
// a full pass over the picture.
QByteArray progressiveWithScans(int scans)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    QByteArray jpeg;
    QBuffer device(&jpeg);
    device.open(QIODevice::WriteOnly);
    QImageWriter writer(&device, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    int last = -1;
    int count = 0;
    for (int at = markerAt(jpeg, char(0xDA)); at >= 0; at = markerAt(jpeg, char(0xDA), at + 2)) {
        last = at;
        ++count;
    }
    const int end = markerAt(jpeg, char(0xD9), last);
    if (last < 0 || end < 0)
        return {};
    const QByteArray scan = jpeg.mid(last, end - last);
    return jpeg.left(end) + scan.repeated(scans - count) + jpeg.mid(end);
}

QPixmap solidPixmap(const QSize &size, const QColor &colour)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

bool near(QRgb pixel, const QColor &colour)
{
    return qAbs(qRed(pixel) - colour.red()) < 12 && qAbs(qGreen(pixel) - colour.green()) < 12
        && qAbs(qBlue(pixel) - colour.blue()) < 12;
}

int pixelsNear(const QImage &image, const QRect &area, const QColor &colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x)
            count += near(image.pixel(x, y), colour) ? 1 : 0;
    return count;
}

// Pixels of the area that stand out from the text colour as WCAG asks of text (contrast 3:1):
// where there are enough of them around the text, the text can be read.
int pixelsContrasting(const QImage &image, const QRect &area, const QColor &text)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double textLuminance = luminance(text);
    int count = 0;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
            const double pixel = luminance(QColor(image.pixel(x, y)));
            const double ratio = (std::max(pixel, textLuminance) + 0.05) / (std::min(pixel, textLuminance) + 0.05);
            count += ratio >= 3 ? 1 : 0;
        }
    return count;
}

}  // namespace

class tst_tileRender : public QObject {
    Q_OBJECT

private slots:
    void decodeSizes_data();
    void decodeSizes();
    void hostilePictures_data();
    void hostilePictures();
    void scaledAsFastTransformation_data();
    void scaledAsFastTransformation();
    void streamedPicture_data();
    void streamedPicture();
    void caption_data();
    void caption();
    void fittedCaption_data();
    void fittedCaption();
    void placeholderWhileUnconnected();
    void placeholderLabel_data();
    void placeholderLabel();
    void unchangedTileDrawnOnce();
    void samePictureNotDecodedAgain();
    void parallelFinish();
    void goodPictureAfterBadOne_data();
    void goodPictureAfterBadOne();
};

void tst_tileRender::decodeSizes_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("tile");
    QTest::addColumn<int>("scaleMode");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("mode 0 fills the tile") << QSize(640, 480) << QSize(320, 300) << 0 << QSize(320, 300);
    QTest::newRow("mode 1 fits the width") << QSize(640, 480) << QSize(320, 300) << 1 << QSize(320, 240);
    QTest::newRow("mode 2 fits the height") << QSize(640, 480) << QSize(320, 300) << 2 << QSize(400, 300);
    QTest::newRow("eighth scale exactly") << QSize(640, 480) << QSize(80, 60) << 0 << QSize(80, 60);
    QTest::newRow("wide picture") << QSize(1280, 720) << QSize(426, 240) << 1 << QSize(426, 240);
    QTest::newRow("enlarged") << QSize(160, 120) << QSize(640, 400) << 1 << QSize(640, 480);
}

void tst_tileRender::decodeSizes()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, tile);
    QFETCH(int, scaleMode);
    const QColor colour(200, 40, 90);
    const QImage image = tileDecoder::decode(solidJpeg(picture, colour), tile, scaleMode);
    QTEST(image.size(), "expected");
    QCOMPARE(image.format(), QImage::Format_RGB32);
    // Channel order and alpha: the picture's colour, opaque.
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    QVERIFY2(near(centre, colour), qPrintable(QColor(centre).name()));
    QCOMPARE(qAlpha(centre), 255);
}

void tst_tileRender::hostilePictures_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("65500 x 65500") << claimingSize(QSize(65500, 65500)) << false;
    QTest::newRow("8193 wide") << claimingSize(QSize(8193, 100)) << false;
    QTest::newRow("8193 high") << claimingSize(QSize(100, 8193)) << false;
    QTest::newRow("40 megapixels and a row") << claimingSize(QSize(8000, 5001)) << false;
    QTest::newRow("8192 x 4800 is taken") << claimingSize(QSize(8192, 4800)) << true;
    QTest::newRow("progressive, 500 scans taken") << progressiveWithScans(500) << true;
    QTest::newRow("progressive, 501 scans") << progressiveWithScans(501) << false;
}

// Such pictures count as undecodable: each would cost hundreds of megabytes or seconds.
void tst_tileRender::hostilePictures()
{
    QFETCH(QByteArray, picture);
    QFETCH(bool, decoded);
    QVERIFY(picture.size() < 100000);
    QCOMPARE(!tileDecoder::decode(picture, QSize(80, 60), 0).isNull(), decoded);
}

void tst_tileRender::scaledAsFastTransformation_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("tile");
    QTest::addColumn<QSize>("reduced");  // the decoder's 1/2^n size that covers the tile
    QTest::newRow("640x480 to 128x120") << QSize(640, 480) << QSize(128, 120) << QSize(160, 120);
    QTest::newRow("1280x720 to 426x240") << QSize(1280, 720) << QSize(426, 240) << QSize(640, 360);
    QTest::newRow("640x480 to 300x200") << QSize(640, 480) << QSize(300, 200) << QSize(320, 240);
    QTest::newRow("640x480 to 320x240, no scaling") << QSize(640, 480) << QSize(320, 240) << QSize(320, 240);
}

// The pixels are those of a reduced decode scaled by QImage::scaled() with the fast
// transformation, also when written into the memory of an earlier picture.
void tst_tileRender::scaledAsFastTransformation()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, tile);
    QFETCH(QSize, reduced);
    QImage source(picture, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            source.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 3) & 0xFF, ((x ^ y) * 5) & 0xFF));
    const QByteArray jpeg = encodeJpeg(source);

    tjhandle handle = tjInitDecompress();
    QImage decoded(reduced, QImage::Format_RGB32);
    QCOMPARE(tjDecompress2(handle, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                           static_cast<unsigned long>(jpeg.size()), decoded.bits(), reduced.width(),
                           int(decoded.bytesPerLine()), reduced.height(),
                           Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? TJPF_BGRA : TJPF_ARGB, 0),
             0);
    tjDestroy(handle);
    const QImage expected = decoded.scaled(tile, Qt::IgnoreAspectRatio, Qt::FastTransformation);

    QCOMPARE(tileDecoder::decode(jpeg, tile, 0), expected);
    QImage earlier(tile, QImage::Format_RGB32);
    earlier.fill(Qt::magenta);
    const uchar *memory = earlier.constBits();
    const QImage reused = tileDecoder::decode(jpeg, tile, 0, std::move(earlier));
    QCOMPARE(reused, expected);
    QCOMPARE(reused.constBits(), memory);
}

void tst_tileRender::streamedPicture_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QSize>("shown");

    QByteArray garbage(20000, 'x');
    garbage[0] = char(0xFF);
    garbage[1] = char(0xD8);
    QTest::newRow("picture to width") << solidJpeg(QSize(640, 480), QColor(30, 60, 220)) << QSize(320, 240);
    QTest::newRow("undecodable gives an empty tile") << garbage << QSize(0, 0);
    // Padded: a camera is read in chunks of more than 8190 bytes.
    QTest::newRow("oversized frame header gives an empty tile")
        << claimingSize(QSize(65500, 65500)) + QByteArray(2000, '\0') << QSize(0, 0);
}

void tst_tileRender::streamedPicture()
{
    QFETCH(QByteArray, picture);
    QFETCH(QSize, shown);
    cameraStub server;
    server.picture = picture;
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));

    wiredCamera wired(solidPixmap(QSize(200, 100), Qt::gray));
    wired.settings.scaleMode = 1;
    wired.camera.setTileRect(QRectF(0, 0, 320, 300));
    wired.start(server.url("/stream"));
    QTRY_VERIFY(wired.tickShown());
    const QImage image = wired.camera.displayPixmap().toImage();
    QCOMPARE(image.size(), shown);
    QCOMPARE(wired.camera.lastPictureRect(), QRect(QPoint(0, 0), shown));
    if (!shown.isEmpty())
        QVERIFY(near(image.pixel(image.width() / 2, image.height() - 5), QColor(30, 60, 220)));
}

void tst_tileRender::caption_data()
{
    QTest::addColumn<bool>("receiving");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("callForced");
    QTest::addColumn<bool>("input1");
    QTest::addColumn<bool>("input2");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("picture");

    const QString call = QStringLiteral("Eingehender Ruf von ");
    const QColor white(Qt::white);
    QTest::newRow("unconnected") << false << true << false << false << false << "!UNCONNECTED! -> Eingang" << white;
    QTest::newRow("selected") << true << true << false << false << false << "> Eingang" << white;
    QTest::newRow("plain") << true << false << false << false << false << "Eingang" << white;
    QTest::newRow("intercom call") << true << true << true << false << false << "> " + call + "Eingang" << white;
    QTest::newRow("input 1") << true << false << false << true << false << call + "Eingang" << white;
    QTest::newRow("input 2 while unconnected") << false << false << false << false << true
                                               << "!UNCONNECTED! -> " + call + "Eingang" << white;
    // Black text on a dark picture, green text on a bright one: readable all the same.
    QTest::newRow("plain on a black picture") << true << false << false << false << false << "Eingang"
                                              << QColor(Qt::black);
    QTest::newRow("unconnected on a dark picture") << false << false << false << false << false
                                                   << "!UNCONNECTED! -> Eingang" << QColor(40, 40, 44);
    QTest::newRow("call on a bright picture") << true << false << true << false << false << call + "Eingang"
                                              << QColor(230, 240, 230);
}

void tst_tileRender::caption()
{
    QFETCH(bool, receiving);
    QFETCH(bool, selected);
    QFETCH(bool, callForced);
    QFETCH(bool, input1);
    QFETCH(bool, input2);
    QFETCH(QColor, picture);

    wiredCamera wired(solidPixmap(QSize(400, 300), picture));
    camData &camera = wired.camera;
    camera.setTileRect(QRectF(0, 0, 400, 300));
    camDataProbe::receiving(camera) = receiving;
    camera.sipModuleRec.status.callForced = callForced;
    camera.camModule.status.input1Active = input1;
    camera.camModule.status.input2Active = input2;
    camera.camModule.status.popupRequest = true;
    camera.tick(selected);
    QTEST(camera.caption(), "caption");
    QVERIFY(camera.showRequest() && !camera.camModule.status.popupRequest);
    QCOMPARE(camera.input1Copy(), input1);
    QCOMPARE(camera.input2Copy(), input2);

    // The caption is the one of the tick, whatever changes before the pixels are finished.
    camera.sipModuleRec.status.callForced = !callForced;
    camera.camModule.camName = QStringLiteral("Hof");
    camera.finishRender();
    const QImage shown = camera.displayPixmap().toImage();
    const QRect captionArea(10, 10, 350, 30);
    const bool green = callForced || input1 || input2;
    const QColor text = green ? Qt::green : Qt::black;
    QCOMPARE(pixelsNear(shown, captionArea, Qt::green) > 20, green);
    QVERIFY(pixelsNear(shown, captionArea, text) > 20);
    QVERIFY2(pixelsContrasting(shown, captionArea, text) > 400,
             qPrintable(QString::number(pixelsContrasting(shown, captionArea, text))));
    QCOMPARE(pixelsNear(shown, QRect(0, 60, 400, 240), picture), 400 * 240);
}

void tst_tileRender::fittedCaption_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("room");  // what the width leaves room for
    QTest::addColumn<QString>("expected");  // "whole", "shortened prefix", "name", "shortened name"
    const QString unconnected = QStringLiteral("!UNCONNECTED! -> ");
    const QString call = QStringLiteral("> Eingehender Ruf von ");
    QTest::newRow("fits") << unconnected << "everything" << "whole";
    QTest::newRow("unconnected, narrow") << unconnected << "name and four" << "shortened prefix";
    QTest::newRow("call, narrow") << call << "name and four" << "shortened prefix";
    QTest::newRow("room for the name only") << call << "name" << "name";
    QTest::newRow("narrower than the name") << unconnected << "half the name" << "shortened name";
}

// A caption too long for its tile keeps the camera's name, the part the user needs.
void tst_tileRender::fittedCaption()
{
    QFETCH(QString, prefix);
    QFETCH(QString, room);
    QFETCH(QString, expected);
    const QString name = QStringLiteral("Kamera Einfahrt Nord");
    QFont font;
    font.setPixelSize(20);
    font.setWeight(QFont::Bold);
    const QFontMetrics metrics(font);
    const QString ellipsis(QChar(0x2026));
    const int nameWidth = metrics.horizontalAdvance(name);
    const int width = room == "everything"      ? metrics.horizontalAdvance(prefix + name)
                      : room == "name and four" ? nameWidth + metrics.horizontalAdvance(prefix.left(4) + ellipsis)
                      : room == "name"          ? nameWidth + 1
                                                : nameWidth / 2;
    const QString shown = tileText::fitted(prefix, name, metrics, width);
    QVERIFY2(metrics.horizontalAdvance(shown) <= width, qPrintable(shown));
    if (expected == "whole")
        QCOMPARE(shown, prefix + name);
    else if (expected == "shortened prefix")
        QVERIFY2(shown.startsWith(prefix.left(3)) && shown.endsWith(ellipsis + name), qPrintable(shown));
    else if (expected == "name")
        QCOMPARE(shown, name);
    else
        QVERIFY2(shown.endsWith(ellipsis) && name.startsWith(shown.chopped(1)) && shown.size() > 3, qPrintable(shown));
}

void tst_tileRender::placeholderWhileUnconnected()
{
    wiredCamera wired(solidPixmap(QSize(200, 100), Qt::gray));
    wired.settings.scaleMode = 1;
    wired.camera.setTileRect(QRectF(0, 0, 300, 300));
    QVERIFY(!wired.tickShown());
    QCOMPARE(wired.camera.displayPixmap().size(), QSize(300, 150));
    QCOMPARE(wired.camera.caption(), QStringLiteral("!UNCONNECTED! -> Eingang"));

    // Without a placeholder picture the tile stays empty.
    wiredCamera bare;
    bare.tickShown();
    QVERIFY(bare.camera.displayPixmap().isNull());
}

void tst_tileRender::placeholderLabel_data()
{
    QTest::addColumn<bool>("builtIn");  // else a picture of the user's own (001.jpg)
    QTest::newRow("built-in picture") << true;
    QTest::newRow("picture of the user's own") << false;
}

// The built-in not-connected picture says so in the language in use, switched at the next tick;
// a picture of the user's own is shown as it is.
void tst_tileRender::placeholderLabel()
{
    QFETCH(bool, builtIn);
    wiredCamera wired(solidPixmap(QSize(400, 300), QColor(40, 40, 44)));
    wired.camera.labelPlaceholder(builtIn);
    wired.camera.setTileRect(QRectF(0, 0, 400, 300));
    const QRect band(0, 200, 400, 50);  // where the built-in picture leaves room for its label
    const QColor label(205, 206, 211);
    wired.tickShown();
    const QImage german = wired.camera.displayPixmap().toImage();
    QCOMPARE(pixelsNear(german, band, label) > 20, builtIn);

    QTranslator english;
    QVERIFY(english.load(QFileInfo(QStringLiteral(DXCAMVIEWER_PATH)).absolutePath() + QStringLiteral("/cam_en.qm")));
    QCoreApplication::installTranslator(&english);
    wired.tickShown();
    const QImage shown = wired.camera.displayPixmap().toImage();
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(shown.copy(band) != german.copy(band), builtIn);
    QCOMPARE(pixelsNear(shown, band, label) > 20, builtIn);
}

// A tick that would draw the same caption over the same pixels leaves the pixmap alone (no copy,
// no repaint of the tile); a change of the caption is still drawn at once.
void tst_tileRender::unchangedTileDrawnOnce()
{
    wiredCamera wired(solidPixmap(QSize(400, 300), Qt::white));
    camData &camera = wired.camera;
    camera.setTileRect(QRectF(0, 0, 400, 300));
    wired.tickShown();
    const qint64 first = camera.displayPixmap().cacheKey();
    wired.tickShown();
    wired.tickShown();
    QCOMPARE(camera.displayPixmap().cacheKey(), first);

    camera.sipModuleRec.status.callForced = true;
    wired.tickShown();
    QVERIFY(camera.displayPixmap().cacheKey() != first);
    QVERIFY(pixelsNear(camera.displayPixmap().toImage(), QRect(10, 10, 350, 30), Qt::green) > 20);

    // Another tile size shows the placeholder anew.
    camera.setTileRect(QRectF(0, 0, 200, 150));
    wired.tickShown();
    QCOMPARE(camera.displayPixmap().size(), QSize(200, 150));
}

// Bytes that complete no new picture show the newest one again: it counts as displayed, but the
// same pixels are not decoded and drawn again, unless the caption changed.
void tst_tileRender::samePictureNotDecodedAgain()
{
    QImage noise(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 37 + y * 11) & 0xFF, (x * y) & 0xFF, (x ^ (y * 3)) & 0xFF));
    cameraStub server;
    server.picture = encodeJpeg(noise);
    server.copies = 2;  // the second is never complete: no marker follows it
    QVERIFY(server.picture.size() > 20000);
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    wiredCamera wired;
    camData &camera = wired.camera;
    wired.start(server.url("/stream"));
    // Until everything has come and a tick shows nothing new.
    const auto settled = [&] {
        const qint64 before = camera.framesDisplayed;
        wired.tickShown();
        return before > 0 && camera.framesDisplayed == before;
    };
    QTRY_VERIFY(settled());
    const qint64 displayed = camera.framesDisplayed;
    const qint64 shown = camera.displayPixmap().cacheKey();

    camDataProbe::newData(camera) = true;  // as a scan of bytes without a new picture leaves it
    wired.tickShown();
    QCOMPARE(camera.framesDisplayed, displayed + 1);
    QCOMPARE(camera.displayPixmap().cacheKey(), shown);

    camDataProbe::newData(camera) = true;
    camera.sipModuleRec.status.callForced = true;
    wired.tickShown();
    QCOMPARE(camera.framesDisplayed, displayed + 2);
    QVERIFY(camera.displayPixmap().cacheKey() != shown);
    QVERIFY(pixelsNear(camera.displayPixmap().toImage(), QRect(10, 10, 350, 30), Qt::green) > 20);
}

void tst_tileRender::parallelFinish()
{
    cameraStub server;
    server.picture = solidJpeg(QSize(640, 480), QColor(30, 200, 60));
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    std::vector<std::unique_ptr<wiredCamera>> wired;
    QList<camData *> cameras;
    for (int i = 0; i < 3; ++i) {
        wired.push_back(std::make_unique<wiredCamera>());
        wired.back()->camera.setTileRect(QRectF(0, 0, 160 + 40 * i, 120));
        wired.back()->start(server.url("/stream"));
        cameras.append(&wired.back()->camera);
    }
    const auto allShown = [&cameras] {
        for (camData *camera : cameras)
            camera->tick(false);
        camData::finishRenders(cameras);
        return std::all_of(cameras.begin(), cameras.end(), [](camData *c) { return c->framesDisplayed > 0; });
    };
    QTRY_VERIFY(allShown());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(cameras[i]->displayPixmap().size(), QSize(160 + 40 * i, 120));
}

void tst_tileRender::goodPictureAfterBadOne_data()
{
    QTest::addColumn<QByteArray>("bad");
    const QByteArray picture = solidJpeg(QSize(160, 120), QColor(200, 40, 40));
    QByteArray noise(3000, Qt::Uninitialized);
    QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    QTest::newRow("noise after a start marker") << QByteArray("\xFF\xD8", 2) + noise;
    QTest::newRow("header cut short") << picture.left(100);
    QTest::newRow("picture cut in its scan") << picture.left(picture.size() - 200);
    QTest::newRow("only a start marker") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("claims 65500 x 65500") << claimingSize(QSize(65500, 65500));
    QTest::newRow("progressive, 501 scans") << progressiveWithScans(501);
}

// Whatever a camera sent before, the next good picture decodes: a bad one must not leave the
// decoder of its thread broken.
void tst_tileRender::goodPictureAfterBadOne()
{
    QFETCH(QByteArray, bad);
    const QByteArray good = solidJpeg(QSize(640, 480), QColor(30, 60, 220));
    tileDecoder::decode(bad, QSize(80, 60), 0);
    tileDecoder::pictureSize(bad);
    QCOMPARE(tileDecoder::pictureSize(good), QSize(640, 480));
    const QImage image = tileDecoder::decode(good, QSize(80, 60), 0);
    QCOMPARE(image.size(), QSize(80, 60));
    QVERIFY(near(image.pixel(40, 30), QColor(30, 60, 220)));
}

QTEST_MAIN(tst_tileRender)
#include "tst_tilerender.moc"
