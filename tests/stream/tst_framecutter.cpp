#include "framecutter.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QtTest>

#include <cstring>

namespace {

using span = QPair<int, int>;  // [start, end) in stream offsets

// Filler without a start-of-image marker, but with 0xFF bytes followed by other values, as
// entropy-coded JPEG data has them.
QByteArray filler(int size)
{
    QByteArray bytes(size, 'a');
    for (int i = 97; i < size; i += 997)
        bytes[i] = char(0xFF);
    return bytes;
}

// A stream of `size` bytes with start-of-image markers and end-of-image markers at the given
// offsets.
QByteArray streamWithMarkers(const QList<int> &markers, int size, const QList<int> &ends = {})
{
    QByteArray stream = filler(size);
    for (int at : markers) {
        stream[at] = char(0xFF);
        stream[at + 1] = char(0xD8);
    }
    for (int at : ends) {
        stream[at] = char(0xFF);
        stream[at + 1] = char(0xD9);
    }
    return stream;
}

// Feeds the stream the way the camera worker does: each read takes what has arrived (the next
// chunk), then the cutter scans.
QList<QByteArray> feed(frameCutter &cutter, const QByteArray &stream, const QList<int> &chunks)
{
    QList<QByteArray> cut;
    cutter.setPictureSink([&cut](const QByteArray &picture) { cut.append(picture); });
    qint64 offset = 0;
    qint64 arrived = 0;
    for (int chunk : chunks) {
        arrived = qMin<qint64>(arrived + chunk, stream.size());
        while (arrived > offset) {
            const qint64 n = cutter.prepareRead(arrived - offset);
            std::memcpy(cutter.writePosition(), stream.constData() + offset, size_t(n));
            cutter.commitRead(n);
            offset += n;
            if (cutter.hasUnscanned())
                cutter.extractFrames();
        }
    }
    return cut;
}

QList<int> evenChunks(int total, int chunk)
{
    QList<int> chunks;
    for (int done = 0; done < total; done += chunk)
        chunks.append(chunk);
    return chunks;
}

// The cutter's rules written as a plain byte loop over a buffer of the same size.
class referenceCutter {
public:
    QList<QByteArray> run(const QByteArray &stream, const QList<int> &chunks)
    {
        QByteArray buffer(frameCutter::payloadSize + frameCutter::slackSize, '\0');
        auto *data = reinterpret_cast<unsigned char *>(buffer.data());
        int fill = 0, scanPos = 0, prevStart = -1;
        QList<QByteArray> cut;
        qint64 offset = 0, arrived = 0;
        for (int chunk : chunks) {
            arrived = qMin<qint64>(arrived + chunk, stream.size());
            while (arrived > offset) {
                qint64 n = arrived - offset;
                if (fill + n > 8388607) {
                    // The picture in progress moves to the front unless it fills more than half.
                    if (prevStart >= 0 && fill - prevStart <= 8388607 / 2) {
                        std::memmove(data, data + prevStart, size_t(fill - prevStart));
                        fill -= prevStart;
                        scanPos -= prevStart;
                        prevStart = 0;
                    } else {
                        fill = scanPos = 0;
                        prevStart = -1;
                    }
                }
                n = qMin<qint64>(n, 8388607 - fill);
                std::memcpy(data + fill, stream.constData() + offset, size_t(n));
                fill += int(n);
                offset += n;
                for (; scanPos < fill; ++scanPos) {
                    if (data[scanPos] == 0xFF && scanPos + 1 >= fill)
                        break;  // wait for the byte after it
                    if (data[scanPos] == 0xFF && data[scanPos + 1] == 0xD8 && scanPos != 0) {
                        if (prevStart >= 0 && scanPos - prevStart > 500)
                            cut.append(QByteArray(buffer.constData() + prevStart, scanPos - prevStart));
                        prevStart = scanPos;
                    }
                }
            }
        }
        return cut;
    }
};

QByteArray jpegPicture(int index, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(quint32(index + 1));
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb((x + index * 7) & 0xFF, (y * 2) & 0xFF, int(random.bounded(64)) + 96);
    }
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    image.save(&device, "JPEG", 80);
    return bytes;
}

// Pictures framed as a camera sends them: boundary and part headers before every picture.
QByteArray multipartStream(qint64 minimumSize, QList<QByteArray> *pictures)
{
    QList<QByteArray> distinct;
    for (int i = 0; i < 12; ++i)
        distinct.append(jpegPicture(i, QSize(320 + 16 * i, 240)));
    QByteArray stream;
    for (int i = 0; stream.size() < minimumSize; ++i) {
        const QByteArray &picture = distinct[i % distinct.size()];
        stream += "--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: "
            + QByteArray::number(picture.size()) + "\r\n\r\n";
        stream += picture;
        stream += "\r\n";
        if (pictures)
            pictures->append(picture);
    }
    return stream;
}

QList<int> randomChunks(qint64 total, quint32 seed)
{
    QRandomGenerator random(seed);
    QList<int> chunks;
    for (qint64 done = 0; done < total;) {
        const int chunk = 1000 + int(random.bounded(60000));
        chunks.append(chunk);
        done += chunk;
    }
    return chunks;
}

}  // namespace

class tst_frameCutter : public QObject {
    Q_OBJECT

private slots:
    void cutsPictures_data();
    void cutsPictures();
    void queueKeepsNewestFive();
    void wrapKeepsPictureInProgress_data();
    void wrapKeepsPictureInProgress();
    void matchesByteLoop_data();
    void matchesByteLoop();
};

void tst_frameCutter::cutsPictures_data()
{
    QTest::addColumn<QList<int>>("markers");
    QTest::addColumn<QList<int>>("ends");  // end-of-image markers
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("chunks");
    QTest::addColumn<QList<span>>("expected");
    QTest::addColumn<span>("shown");  // the newest complete picture at the end; {0, 0}: none

    const QList<int> even = evenChunks(90000, 10000);
    const QList<int> none;
    QTest::newRow("consecutive pictures") << QList<int>{10, 20010, 40010} << none << 60000 << even
                                          << QList<span>{{10, 20010}, {20010, 40010}} << span{20010, 40010};
    QTest::newRow("false start 500 bytes before") << QList<int>{10, 510, 20510, 40510} << none << 60000 << even
                                                  << QList<span>{{510, 20510}, {20510, 40510}} << span{20510, 40510};
    QTest::newRow("501 bytes is a picture") << QList<int>{10, 511, 20511} << none << 40000 << even
                                            << QList<span>{{10, 511}, {511, 20511}} << span{511, 20511};
    QTest::newRow("first marker never closes") << QList<int>{10} << none << 60000 << even << QList<span>{}
                                               << span{0, 0};
    QTest::newRow("marker at buffer start is not a start")
        << QList<int>{0, 20000, 40000, 60000} << none << 70000 << even << QList<span>{{20000, 40000}, {40000, 60000}}
        << span{40000, 60000};
    // The first read ends between 0xFF and 0xD8.
    QTest::newRow("marker split across reads")
        << QList<int>{10, 20000, 40000, 60000} << none << 70000 << QList<int>{20001, 9000, 9000, 12000, 20000}
        << QList<span>{{10, 20000}, {20000, 40000}, {40000, 60000}} << span{40000, 60000};
    QTest::newRow("reads of 3000 bytes") << QList<int>{10, 20010, 40010} << none << 50000 << evenChunks(50000, 3000)
                                         << QList<span>{{10, 20010}, {20010, 40010}} << span{20010, 40010};
    // A picture is shown once its end marker is there, before the next one begins; it is cut,
    // with the lines that follow it, when the next one begins.
    QTest::newRow("complete at its end marker") << QList<int>{10} << QList<int>{6010} << 6100 << QList<int>{6100}
                                                << QList<span>{} << span{10, 6012};
    QTest::newRow("end marker split across reads") << QList<int>{10} << QList<int>{6010} << 6100
                                                   << QList<int>{6011, 89} << QList<span>{} << span{10, 6012};
    QTest::newRow("end 500 bytes after the start is none") << QList<int>{10} << QList<int>{508} << 6100
                                                           << QList<int>{6100} << QList<span>{} << span{0, 0};
    QTest::newRow("complete, then cut with what follows")
        << QList<int>{10, 6110} << QList<int>{6010} << 7000 << QList<int>{6050, 950} << QList<span>{{10, 6110}}
        << span{10, 6110};
    QTest::newRow("pictures of 6 KB, one per read")
        << QList<int>{10, 6010, 12010} << QList<int>{6000, 12000, 18000} << 18100 << evenChunks(18100, 6005)
        << QList<span>{{10, 6010}, {6010, 12010}} << span{12010, 18002};
    // The next picture is much smaller: it is not held back until as many bytes arrived again.
    QTest::newRow("small picture after a large one")
        << QList<int>{10, 200010} << QList<int>{200000, 206000} << 206100 << QList<int>{200100, 6000}
        << QList<span>{{10, 200010}} << span{200010, 206002};
}

void tst_frameCutter::cutsPictures()
{
    QFETCH(QList<int>, markers);
    QFETCH(QList<int>, ends);
    QFETCH(int, size);
    QFETCH(QList<int>, chunks);
    QFETCH(QList<span>, expected);
    QFETCH(span, shown);

    const QByteArray stream = streamWithMarkers(markers, size, ends);
    frameCutter cutter;
    const QList<QByteArray> cut = feed(cutter, stream, chunks);
    QCOMPARE(cut.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(cut[i], stream.mid(expected[i].first, expected[i].second - expected[i].first));
    QCOMPARE(cutter.frames(), cut.mid(qMax(0, int(cut.size()) - frameCutter::maxQueued)));
    QCOMPARE(cutter.newestPicture(), stream.mid(shown.first, shown.second - shown.first));
    // Each picture counts once, whether it was complete before it was cut or not.
    const bool shownUncut = shown.second > shown.first && (expected.isEmpty() || shown != expected.last());
    QCOMPARE(cutter.pictureCount(), qint64(expected.size() + (shownUncut ? 1 : 0)));
}

void tst_frameCutter::queueKeepsNewestFive()
{
    QList<int> markers;
    for (int i = 0; i < 8; ++i)
        markers.append(100 + i * 10000);
    const QByteArray stream = streamWithMarkers(markers, 90000);
    frameCutter cutter;
    const QList<QByteArray> cut = feed(cutter, stream, evenChunks(90000, 9000));
    QCOMPARE(cut.size(), 7);
    QCOMPARE(cutter.frames().size(), frameCutter::maxQueued);
    QCOMPARE(cutter.frames(), cut.mid(2));
}

void tst_frameCutter::wrapKeepsPictureInProgress_data()
{
    QTest::addColumn<int>("pictureSize");
    QTest::addColumn<bool>("kept");
    QTest::newRow("camera picture moves to the front") << 60000 << true;
    QTest::newRow("over half the buffer: restart empty") << frameCutter::maxFill / 2 + 30000 << false;
}

void tst_frameCutter::wrapKeepsPictureInProgress()
{
    QFETCH(int, pictureSize);
    QFETCH(bool, kept);
    // A picture of 40000 bytes, then one still in progress of pictureSize - 20000 bytes when the
    // buffer is nearly full.
    const int inProgressFrom = frameCutter::maxFill - 30000 - (pictureSize - 20000);
    const QByteArray stream = streamWithMarkers({inProgressFrom - 40000, inProgressFrom}, frameCutter::maxFill - 30000);
    frameCutter cutter;
    const QList<QByteArray> before = feed(cutter, stream, QList<int>{int(stream.size())});
    QCOMPARE(before.size(), 1);
    QCOMPARE(cutter.previousMarker().start, inProgressFrom);

    // More than the whole buffer waits: room is made and only what fits is taken.
    const qint64 backlog = frameCutter::payloadSize + 100000;
    const int keptBytes = kept ? int(stream.size()) - inProgressFrom : 0;
    QCOMPARE(cutter.prepareRead(backlog), qint64(frameCutter::maxFill - keptBytes));
    QCOMPARE(cutter.filled(), keptBytes);
    QCOMPARE(cutter.previousMarker().start, kept ? 0 : -1);
    if (!kept)
        return;
    // The rest of the picture and the next marker arrive: the whole picture comes out.
    QByteArray rest = filler(20000);
    rest += QByteArray("\xFF\xD8", 2) + filler(9000);
    std::memcpy(cutter.writePosition(), rest.constData(), size_t(rest.size()));
    cutter.commitRead(rest.size());
    cutter.extractFrames();
    QCOMPARE(cutter.frames().size(), 2);
    QCOMPARE(cutter.frames().last(), stream.mid(inProgressFrom) + filler(20000));
}

void tst_frameCutter::matchesByteLoop_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("one buffer") << qint64(3 * 1024 * 1024) << 11u;
    QTest::newRow("across buffer restarts") << qint64(20 * 1024 * 1024) << 12u;
}

void tst_frameCutter::matchesByteLoop()
{
    QFETCH(qint64, size);
    QFETCH(quint32, seed);
    QList<QByteArray> pictures;
    const QByteArray stream = multipartStream(size, &pictures);
    const QList<int> chunks = randomChunks(stream.size(), seed);

    frameCutter cutter;
    const QList<QByteArray> cut = feed(cutter, stream, chunks);
    const QList<QByteArray> expected = referenceCutter().run(stream, chunks);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(cut.size(), expected.size());
    QVERIFY(cut == expected);
    if (size < frameCutter::maxFill)
        QCOMPARE(cut.size(), pictures.size() - 1);
    // Also across restarts every cut picture is one that was sent, never pieces of two.
    for (const QByteArray &picture : cut)
        QVERIFY(pictures.contains(picture.left(picture.lastIndexOf("--myboundary") - 2)));
}

QTEST_GUILESS_MAIN(tst_frameCutter)
#include "tst_framecutter.moc"
