// Picture cutting throughput: the worker's cutter (memchr search) against a plain byte-by-byte
// scan of the same rules, both fed the same realistic MJPEG body in network-sized reads.
#include "benchpictures.h"
#include "framecutter.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The cutting rules as a straightforward byte loop: the yardstick. Like the worker's cutter it
// copies a picture out once its end marker has come (to be shown) and adds the lines that follow
// it when the next one begins (to be queued and recorded).
class byteLoopCutter {
public:
    byteLoopCutter() : buffer(new unsigned char[frameCutter::payloadSize + frameCutter::slackSize]) {}

    qint64 prepareRead(qint64 available)
    {
        if (fill + available > frameCutter::maxFill) {
            fill = scanPos = 0;
            prevStart = completeEnd = -1;
            complete = QByteArray();
        }
        return qMin<qint64>(available, frameCutter::maxFill - fill);
    }
    unsigned char *writePosition() { return buffer.get() + fill; }
    void commitRead(qint64 n) { fill += int(n); }
    bool hasUnscanned() const { return scanPos < fill; }

    int extractFrames()
    {
        const unsigned char *data = buffer.get();
        int cut = 0;
        for (; scanPos < fill; ++scanPos) {
            if (data[scanPos] != 0xFF)
                continue;
            if (scanPos + 1 >= fill)
                break;
            if (data[scanPos + 1] == 0xD8 && scanPos != 0)
                cut += start(data);
            else if (data[scanPos + 1] == 0xD9)
                end(data);
        }
        return cut;
    }

private:
    int start(const unsigned char *data)
    {
        int cut = 0;
        if (prevStart >= 0 && scanPos - prevStart > frameCutter::falseStartLimit) {
            QByteArray picture;
            if (completeEnd > prevStart) {
                picture = std::move(complete);
                picture.append(reinterpret_cast<const char *>(data) + completeEnd, scanPos - completeEnd);
            } else {
                picture = QByteArray(reinterpret_cast<const char *>(data) + prevStart, scanPos - prevStart);
            }
            queue.append(std::move(picture));
            if (queue.size() > frameCutter::maxQueued)
                queue.removeFirst();
            cut = 1;
        }
        complete = QByteArray();
        completeEnd = -1;
        prevStart = scanPos;
        return cut;
    }

    void end(const unsigned char *data)
    {
        const int length = scanPos + 2 - prevStart;
        if (prevStart < 0 || completeEnd >= 0 || length <= frameCutter::falseStartLimit)
            return;
        complete.reserve(length + frameCutter::trailerReserve);
        complete.append(reinterpret_cast<const char *>(data) + prevStart, length);
        completeEnd = scanPos + 2;
    }

    std::unique_ptr<unsigned char[]> buffer;
    int fill = 0;
    int scanPos = 0;
    int prevStart = -1;
    int completeEnd = -1;
    QByteArray complete;
    QList<QByteArray> queue;
};

QByteArray realisticStream(const QList<QByteArray> &pictures, qint64 size)
{
    QByteArray stream;
    stream.reserve(size + 200000);
    for (int i = 0;; ++i) {
        const QByteArray &picture = pictures[i % pictures.size()];
        const QByteArray part = "--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: "
            + QByteArray::number(picture.size()) + "\r\n\r\n" + picture + "\r\n";
        if (stream.size() + part.size() > size)
            return stream;
        stream += part;
    }
}

// Reads as a camera connection delivers them to a 40 ms tick: a few to some tens of KiB.
std::vector<int> networkReads(qint64 total)
{
    QRandomGenerator random(42);
    std::vector<int> reads;
    for (qint64 done = 0; done < total;) {
        const int n = 8191 + int(random.bounded(57345));
        reads.push_back(n);
        done += n;
    }
    return reads;
}

template <typename cutter, typename writer>
int run(cutter &c, const QByteArray &stream, const std::vector<int> &reads, writer write)
{
    int cut = 0;
    qint64 offset = 0;
    for (int n : reads) {
        const qint64 wanted = c.prepareRead(qMin<qint64>(n, stream.size() - offset));
        if (wanted <= 0)
            break;
        write(c, stream.constData() + offset, wanted);
        c.commitRead(wanted);
        offset += wanted;
        if (c.hasUnscanned())
            cut += c.extractFrames();
    }
    return cut;
}

template <typename cutter, typename writer>
double bestMegabytesPerSecond(const QByteArray &stream, const std::vector<int> &reads, writer write, int *cut)
{
    double best = 0;
    for (int round = 0; round < 7; ++round) {
        auto c = std::make_unique<cutter>();
        QElapsedTimer timer;
        timer.start();
        *cut = run(*c, stream, reads, write);
        const double seconds = timer.nsecsElapsed() / 1e9;
        best = std::max(best, stream.size() / 1e6 / seconds);
    }
    return best;
}

}  // namespace

int main(int argc, char **argv)
{
    const QString folder = benchPictures::folder(argc, argv);
    const QList<QByteArray> pictures = benchPictures::load(folder, QStringLiteral("640x480"));
    if (pictures.isEmpty())
        return 1;
    const QByteArray stream = realisticStream(pictures, frameCutter::maxFill);
    const std::vector<int> reads = networkReads(stream.size());

    int cutMemchr = 0;
    int cutBytes = 0;
    const double memchrRate = bestMegabytesPerSecond<frameCutter>(
        stream, reads,
        [](frameCutter &c, const char *data, qint64 n) { std::memcpy(c.writePosition(), data, size_t(n)); },
        &cutMemchr);
    const double byteRate = bestMegabytesPerSecond<byteLoopCutter>(
        stream, reads,
        [](byteLoopCutter &c, const char *data, qint64 n) { std::memcpy(c.writePosition(), data, size_t(n)); },
        &cutBytes);

    std::printf("stream %.2f MiB, %d reads, pictures cut: cutter %d, byte loop %d\n",
                stream.size() / 1048576.0, int(reads.size()), cutMemchr, cutBytes);
    std::printf("frame cutter (memchr): %8.0f MB/s\n", memchrRate);
    std::printf("byte-by-byte scan:     %8.0f MB/s\n", byteRate);
    std::printf("speed-up:              %8.2fx (target >= 2x)\n", memchrRate / byteRate);
    return cutMemchr == cutBytes ? 0 : 2;
}
