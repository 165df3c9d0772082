// The picture cutter fed a camera stream in reads of random sizes, as the tick reads a connection,
// against a plain byte-by-byte scan of the cutting rules: both must keep the same pictures, scan
// position and newest complete picture after every read. Checked throughout: every picture starts
// with 0xFF 0xD8 and is longer than 500 bytes, no read passes the end of the buffer, the queue
// never holds more than five, the count of complete pictures never goes back.
//
// The input is a list of operations that build the stream and say when bytes arrive:
//   0 n16      a picture: 0xFF 0xD8, n bytes without 0xFF, 0xFF 0xD9
//   1 n8 ...   n bytes taken from the input as they are
//   2 n16      n * 16 filler bytes without 0xFF
//   3 n8       n * 64 KiB filler bytes (a way to fill the 8 MiB buffer)
//   4 n16      n * 8 bytes of the stream arrive at the connection
//   5          one tick: read what waits, scan what is unscanned
// At the end everything left arrives and ticks run until nothing more is read.
#include "framecutter.h"
#include "fuzzinput.h"

#include <QList>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr qint64 connectionBufferLimit = 4 * 1024 * 1024;  // what the HTTP reply holds unread
constexpr size_t maxStreamBytes = 9 * 1024 * 1024;  // enough to run the 8 MiB buffer over

// The cutting rules as they are written down, one byte at a time. A 0xFF that is the last byte
// received so far waits for the next read, so that a marker split across two reads is seen.
class referenceCutter {
public:
    // One buffer for all inputs (a fresh 8 MiB each time would cost more than the input).
    referenceCutter() : buffer(sharedBuffer()) {}

    qint64 read(const char *source, qint64 available)
    {
        if (fill + available > frameCutter::maxFill)
            wrapAround();
        const qint64 n = std::min<qint64>(available, frameCutter::maxFill - fill);
        std::memcpy(buffer + fill, source, size_t(n));
        fill += int(n);
        return n;
    }

    bool hasUnscanned() const { return scanPos < fill; }

    // The yardstick's own byte loop is neither checked nor a place for the fuzzer to learn from;
    // left uninstrumented it runs ten times faster.
#if defined(__clang__)
    __attribute__((no_sanitize("address", "undefined", "coverage")))
#endif
    void extract()
    {
        for (; scanPos < fill; ++scanPos) {
            if (buffer[scanPos] != 0xFF)
                continue;
            if (scanPos + 1 >= fill)
                return;
            if (buffer[scanPos + 1] == 0xD8 && scanPos != 0)
                marker();
            else if (buffer[scanPos + 1] == 0xD9 && previousStart >= 0 && completeEnd < 0
                     && scanPos + 2 - previousStart > frameCutter::falseStartLimit)
                completeEnd = scanPos + 2;
        }
    }

    // The picture in progress up to its end marker once that came, else the newest cut one.
    QByteArray newest() const
    {
        if (completeEnd >= 0)
            return QByteArray(reinterpret_cast<const char *>(buffer) + previousStart, completeEnd - previousStart);
        return queue.isEmpty() ? QByteArray() : queue.last();
    }

    int fill = 0;
    int scanPos = 0;
    int previousStart = -1;
    int completeEnd = -1;
    QList<QByteArray> queue;

private:
    // The picture in progress moves to the start, unless there is none or it fills more than half
    // of the buffer: then the buffer starts over empty.
    void wrapAround()
    {
        if (previousStart < 0 || fill - previousStart > frameCutter::maxFill / 2) {
            fill = scanPos = 0;
            previousStart = completeEnd = -1;
            return;
        }
        std::memmove(buffer, buffer + previousStart, size_t(fill - previousStart));
        fill -= previousStart;
        scanPos -= previousStart;
        if (completeEnd >= 0)
            completeEnd -= previousStart;
        previousStart = 0;
    }

    void marker()
    {
        if (previousStart >= 0) {
            const int length = scanPos - previousStart;
            if (length > frameCutter::falseStartLimit) {
                queue.append(QByteArray(reinterpret_cast<const char *>(buffer) + previousStart, length));
                if (queue.size() > frameCutter::maxQueued)
                    queue.removeFirst();
            }
        }
        previousStart = scanPos;
        completeEnd = -1;
    }

    static unsigned char *sharedBuffer()
    {
        static const std::unique_ptr<unsigned char[]> bytes(
            new unsigned char[frameCutter::payloadSize + frameCutter::slackSize]);
        return bytes.get();
    }

    unsigned char *buffer;
};

// One cutter for all inputs, started over for each as a new connection starts it over.
frameCutter &sharedCutter()
{
    static frameCutter cutter;
    cutter.startOver();
    return cutter;
}

struct run {
    QByteArray stream;
    qint64 arrived = 0;  // bytes of the stream that reached the connection
    qint64 consumed = 0; // bytes read from it
    frameCutter &cutter = sharedCutter();
    referenceCutter reference;
    int cutBySink = 0;
    qint64 completeBefore = cutter.pictureCount();

    run()
    {
        cutter.setPictureSink([this](const QByteArray &picture) {
            FUZZ_CHECK(picture.size() > frameCutter::falseStartLimit, "a picture of 500 bytes or less was cut");
            FUZZ_CHECK(picture.startsWith("\xFF\xD8"), "a picture does not start with 0xFF 0xD8");
            ++cutBySink;
        });
    }

    void append(const QByteArray &bytes)
    {
        if (size_t(stream.size() + bytes.size()) <= maxStreamBytes)
            stream += bytes;
    }

    // One tick of the camera worker: read once, then scan.
    bool tick()
    {
        const qint64 available = std::min(arrived - consumed, connectionBufferLimit);
        bool read = false;
        if (available > 0) {
            const qint64 wanted = cutter.prepareRead(available);
            FUZZ_CHECK(wanted > 0 && wanted <= available, "a read of a size nobody offered");
            FUZZ_CHECK(cutter.filled() + wanted <= frameCutter::maxFill, "a read would pass the buffer's end");
            std::memcpy(cutter.writePosition(), stream.constData() + consumed, size_t(wanted));
            cutter.commitRead(wanted);
            FUZZ_CHECK(reference.read(stream.constData() + consumed, available) == wanted,
                       "the read size differs from the rules");
            consumed += wanted;
            read = true;
        }
        const int before = cutBySink;
        if (cutter.hasUnscanned())
            FUZZ_CHECK(cutter.extractFrames() == cutBySink - before, "the cut count differs from the pictures cut");
        if (reference.hasUnscanned())
            reference.extract();
        compare(cutBySink - before);
        return read;
    }

    // Pictures once compared stay as they are; only the newly cut ones are compared byte for byte.
    void compare(int newlyCut)
    {
        FUZZ_CHECK(cutter.filled() == reference.fill, "fill differs from the rules");
        FUZZ_CHECK(cutter.scanPosition() == reference.scanPos, "scan position differs from the rules");
        FUZZ_CHECK(cutter.newestPicture() == reference.newest(), "the newest complete picture differs from the rules");
        FUZZ_CHECK(cutter.pictureCount() >= completeBefore, "the count of complete pictures went back");
        completeBefore = cutter.pictureCount();
        FUZZ_CHECK(cutter.filled() <= frameCutter::maxFill && cutter.scanPosition() <= cutter.filled(),
                   "buffer positions out of range");
        FUZZ_CHECK(cutter.frames().size() <= frameCutter::maxQueued, "more than five pictures queued");
        FUZZ_CHECK(cutter.frames().size() == reference.queue.size(), "the queue length differs from the rules");
        for (qsizetype i = std::max<qsizetype>(0, cutter.frames().size() - newlyCut); i < cutter.frames().size(); ++i)
            FUZZ_CHECK(cutter.frames().at(i) == reference.queue.at(i), "a queued picture differs from the rules");
    }
};

// Bytes without 0xFF, as much as one operation can ask for.
QByteArray filler(qint64 count)
{
    static const QByteArray pattern = [] {
        QByteArray bytes(255 * 65536, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(0x20 + (i * 7) % 0x5F);
        return bytes;
    }();
    return QByteArray::fromRawData(pattern.constData(), std::min<qint64>(count, pattern.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInput input(data, size);
    run r;
    while (!input.empty()) {
        switch (input.byte() % 6) {
        case 0: {
            const QByteArray body = filler(input.word());
            r.append(QByteArray("\xFF\xD8", 2) + body + QByteArray("\xFF\xD9", 2));
            break;
        }
        case 1:
            r.append(input.bytes(input.byte()));
            break;
        case 2:
            r.append(filler(qint64(input.word()) * 16));
            break;
        case 3:
            r.append(filler(qint64(input.byte()) * 65536));
            break;
        case 4:
            r.arrived = std::min<qint64>(r.stream.size(), r.arrived + qint64(input.word()) * 8);
            break;
        default:
            r.tick();
            break;
        }
    }
    r.arrived = r.stream.size();
    while (r.tick()) {
    }
    return 0;
}
