#pragma once

// What the 20-camera benchmarks share beyond benchsimulator.h: CPU clocks of this process and of
// another's threads, the simulated cameras of a grid, the ffmpeg yardstick and the cost of one
// captioned tile.

#include "benchsimulator.h"
#include "tiledecoder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QProcess>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

namespace benchTools {

// ---- CPU clocks -------------------------------------------------------------------------------

inline double selfCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// CPU time of a process's threads, summed by thread name (the toolkit names its pooled threads
// and its network threads), to tell decoding from HTTP reception. pid "self" for this process.
inline QMap<QByteArray, double> threadCpuByName(const QString &pid = QStringLiteral("self"))
{
    QMap<QByteArray, double> byName;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + QLatin1Char('/') + task + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QByteArray name = comm.readAll().trimmed();
        byName[name] += benchSimulator::processCpuSeconds(task.toLongLong(), tasks + QStringLiteral("/%1/stat"));
    }
    return byName;
}

inline QMap<QByteArray, double> difference(QMap<QByteArray, double> after, const QMap<QByteArray, double> &before)
{
    for (auto it = after.begin(); it != after.end(); ++it)
        it.value() -= before.value(it.key());
    return after;
}

// ---- simulated cameras ------------------------------------------------------------------------

struct simulation {
    int cameras = 20;
    int columns = 5;
    int rows = 4;
    int fps = 25;
    QString size = QStringLiteral("640x480");
    QString pictureFolder;  // the reference pictures of that size
};

// dxsim serving `sim` on 127.0.0.2… port 80, after it has written the viewer INI to iniPath.
inline std::unique_ptr<QProcess> startSimulator(const simulation &sim, int seconds, const QString &iniPath,
                                                const QString &logPath)
{
    return benchSimulator::startSimulator(
        QStringLiteral(DXSIM_PATH),
        {QStringLiteral("--cameras"), QString::number(sim.cameras), QStringLiteral("--fps"), QString::number(sim.fps),
         QStringLiteral("--size"), sim.size, QStringLiteral("--replay"), sim.pictureFolder, QStringLiteral("--grid"),
         QStringLiteral("%1x%2").arg(sim.columns).arg(sim.rows), QStringLiteral("--duration"), QString::number(seconds)},
        iniPath, logPath);
}

// ---- the ffmpeg yardstick ---------------------------------------------------------------------

struct ffmpegFigures {
    double wall = 0;
    double cpu = 0;
    double simulatorCpu = 0;
    qint64 pictures = 0;
    int finishedEarly = 0;
};

// ffmpeg's -progress lines report the pictures decoded so far.
inline qint64 lastFrameCount(QProcess &process, qint64 previous)
{
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("frame="))
            previous = line.mid(6).trimmed().toLongLong();
    }
    return previous;
}

// One `ffmpeg -f mjpeg -i URL -f null -` per camera stream, measured for `seconds` after a warm-up.
// input gives the arguments before "-f null -" for camera i instead (e.g. an RTSP stream).
inline bool runFfmpeg(int cameras, int seconds, qint64 simulatorPid, ffmpegFigures &figures,
                      const std::function<QStringList(int)> &input = {})
{
    constexpr int warmUpMs = 3000;
    std::vector<std::unique_ptr<QProcess>> decoders;
    for (int i = 0; i < cameras; ++i) {
        auto decoder = std::make_unique<QProcess>();
        decoder->setProgram(QStringLiteral("ffmpeg"));
        const QStringList source = input ? input(i)
                                         : QStringList{QStringLiteral("-f"), QStringLiteral("mjpeg"), QStringLiteral("-i"),
                                                       QStringLiteral("http://127.0.0.%1/mjpg/video.mjpg").arg(2 + i)};
        decoder->setArguments(QStringList{QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                                          QStringLiteral("-progress"), QStringLiteral("pipe:1")}
                              + source + QStringList{QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
        decoder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        decoder->start();
        if (!decoder->waitForStarted()) {
            std::fprintf(stderr, "ffmpeg did not start\n");
            return false;
        }
        decoders.push_back(std::move(decoder));
    }
    std::vector<qint64> frames(decoders.size(), 0);
    const auto readFrames = [&] {
        for (size_t i = 0; i < decoders.size(); ++i)
            frames[i] = lastFrameCount(*decoders[i], frames[i]);
    };
    const auto cpuOfAll = [&] {
        double sum = 0;
        for (const auto &decoder : decoders)
            sum += benchSimulator::processCpuSeconds(decoder->processId());
        return sum;
    };

    benchSimulator::runFor(warmUpMs);
    readFrames();
    const qint64 framesBefore = std::accumulate(frames.begin(), frames.end(), qint64(0));
    const double simulatorBefore = benchSimulator::processCpuSeconds(simulatorPid);
    const double cpuBefore = cpuOfAll();
    QElapsedTimer wall;
    wall.start();

    benchSimulator::runFor(seconds * 1000);

    figures.cpu = cpuOfAll() - cpuBefore;
    figures.wall = wall.nsecsElapsed() / 1e9;
    figures.simulatorCpu = benchSimulator::processCpuSeconds(simulatorPid) - simulatorBefore;
    readFrames();
    figures.pictures = std::accumulate(frames.begin(), frames.end(), qint64(0)) - framesBefore;
    for (const auto &decoder : decoders) {
        if (decoder->state() == QProcess::NotRunning)
            ++figures.finishedEarly;
        decoder->kill();
        decoder->waitForFinished(3000);
    }
    return true;
}

// ---- one captioned tile -----------------------------------------------------------------------

// What the viewer does with one received picture of a tile: decode at the reduced scale, fast
// scale the rest, make it a pixmap and caption it.
class tilePath {
public:
    explicit tilePath(const QSize &tile) : tile(tile)
    {
        font.setFixedPitch(true);
        font.setWeight(QFont::Bold);
        font.setPixelSize(20);
    }

    void operator()(const QByteArray &jpeg)
    {
        QPixmap pixmap = QPixmap::fromImage(tileDecoder::decode(jpeg, tile, 0));
        caption(pixmap);
    }

    void caption(QPixmap &pixmap)
    {
        QPainter painter(&pixmap);
        painter.setFont(font);
        painter.setPen(pen);
        painter.drawText(QRect(10, 10, 350, 30), Qt::AlignLeft, QStringLiteral("> Eingang"));
    }

private:
    QSize tile;
    QFont font;
    QPen pen{Qt::black, 5};
};

// CPU time per picture in microseconds of `work` over the pictures, the best of `rounds`: the
// thread's own CPU clock, so that other processes on the machine add as little as possible.
inline double cpuMicrosecondsPerPicture(const QList<QByteArray> &pictures, const std::function<void(const QByteArray &)> &work,
                                        int rounds = 15)
{
    double best = 1e12;
    for (int round = 0; round < rounds; ++round) {
        const double before = threadCpuSeconds();
        for (const QByteArray &picture : pictures)
            work(picture);
        best = std::min(best, (threadCpuSeconds() - before) * 1e6 / pictures.size());
    }
    return best;
}

} // namespace benchTools
