// RTSP cameras as a user runs them: dxcamviewer in an X11 window (xcb, on the X server named by
// DISPLAY, e.g. Xvfb) showing the grid of N simulated H.264 cameras (`dxsim --rtsp`), with the
// INI as dxsim writes it and the grid view stored. It is kept open by a second start, as in
// bench_x11viewer. After a warm-up its CPU time and memory are read from /proc, and from its own
// timing log (--log) the pictures it displayed and, per picture, the delay from the simulator's
// send (the simulator's sender reports give its clock) and from the end of decoding to the tile.
// In the same session `ffmpeg -rtsp_transport tcp -i URL -vf scale=320:180 -f null -` decodes
// and scales the same streams as the yardstick (the viewer must at least do that much).
// --camera-encoding has the simulator encode as cameras do (x264 veryfast, CABAC, GOP 50,
// 4 Mbit/s); --busy N keeps N busy loops running beside the viewer while it is measured, and the
// pictures sent but not shown are counted. Talks to 127.0.0.x only: run it through bench/run-viewer-bench.sh --rtsp, which
// gives it a network namespace and an Xvfb.
#include "benchsimulator.h"
#include "benchtools.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>
#include <cstdio>

namespace {

using namespace benchTools;
using namespace benchSimulator;

struct benchOptions {
    QString viewer = QStringLiteral(DXCAMVIEWER_PATH);
    QString size = QStringLiteral("640x360");
    int cameras = 20;
    int fps = 25;
    int seconds = 30;
    int warmUp = 10;
    bool skipFfmpeg = false;
    bool cameraEncoding = false;
    int busy = 0;
};

bool parseOptions(const QStringList &arguments, benchOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The real viewer in an X11 window on simulated RTSP cameras."));
    parser.addHelpOption();
    const QCommandLineOption cameras(QStringLiteral("cameras"), QStringLiteral("Cameras (default 20)."), QStringLiteral("N"),
                                     QStringLiteral("20"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size (default 640x360)."),
                                  QStringLiteral("WxH"), QStringLiteral("640x360"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Pictures per second (default 25)."),
                                 QStringLiteral("F"), QStringLiteral("25"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Measuring time (default 30)."),
                                     QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption warmUp(QStringLiteral("warmup"), QStringLiteral("Streaming before measuring (default 10 s)."),
                                    QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption viewer(QStringLiteral("viewer"), QStringLiteral("The viewer program (default the one built)."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption skipFfmpeg(QStringLiteral("skip-ffmpeg"), QStringLiteral("Leave out the ffmpeg yardstick."));
    const QCommandLineOption cameraEncoding(QStringLiteral("camera-encoding"),
                                            QStringLiteral("H.264 as cameras send it (veryfast, CABAC, GOP 50, 4 Mbit/s)."));
    const QCommandLineOption busy(QStringLiteral("busy"), QStringLiteral("Busy loops beside the viewer while measuring (default 0)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions({cameras, size, fps, seconds, warmUp, viewer, skipFfmpeg, cameraEncoding, busy});
    parser.process(arguments);
    options.cameras = parser.value(cameras).toInt();
    options.size = parser.value(size);
    options.fps = parser.value(fps).toInt();
    options.seconds = parser.value(seconds).toInt();
    options.warmUp = parser.value(warmUp).toInt();
    options.skipFfmpeg = parser.isSet(skipFfmpeg);
    options.cameraEncoding = parser.isSet(cameraEncoding);
    options.busy = qBound(0, parser.value(busy).toInt(), 16);
    if (parser.isSet(viewer))
        options.viewer = parser.value(viewer);
    if (options.cameras < 1 || options.cameras > 20 || options.fps < 1 || options.seconds < 1 || options.warmUp < 0) {
        std::fprintf(stderr, "bad --cameras, --fps, --seconds or --warmup\n");
        return false;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "no DISPLAY: run it through bench/run-viewer-bench.sh --rtsp\n");
        return false;
    }
    return true;
}

// The viewer's timing log: per camera the counts of its newest line ("<name> :: n[v=..,rd=<cut>,
// ok=<displayed>] ..."), and the delays of the pictures put on a tile (" Lat=<from send>,<from
// decoded>").
class timingLog {
public:
    explicit timingLog(const QString &path) : file(path) {}

    QHash<QString, qint64> displayed;
    QList<qint64> fromSend;
    QList<qint64> fromDecoded;

    void read()
    {
        static const QRegularExpression counts(QStringLiteral("^(.+?)\\s+ :: n\\[v=\\s*\\d+,rd=\\s*\\d+,ok=\\s*(\\d+)\\]"));
        static const QRegularExpression delay(QStringLiteral(" Lat=(-?\\d+),(-?\\d+) "));
        if (!file.isOpen() && !file.open(QIODevice::ReadOnly))
            return;
        pending += file.readAll();
        const int end = int(pending.lastIndexOf('\n'));
        if (end < 0)
            return;
        for (const QByteArray &bytes : pending.left(end).split('\n')) {
            const QString text = QString::fromLatin1(bytes);
            const QRegularExpressionMatch match = counts.match(text);
            if (!match.hasMatch())
                continue;
            displayed[match.captured(1)] = match.captured(2).toLongLong();
            const QRegularExpressionMatch lat = delay.match(text);
            if (lat.hasMatch()) {
                fromSend.append(lat.captured(1).toLongLong());
                fromDecoded.append(lat.captured(2).toLongLong());
            }
        }
        pending.remove(0, end + 1);
    }

    qint64 total() const
    {
        qint64 sum = 0;
        for (const qint64 n : displayed)
            sum += n;
        return sum;
    }

private:
    QFile file;
    QByteArray pending;
};

qint64 percentile(QList<qint64> values, double p)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(p * double(values.size()))));
}

// kB of a /proc/<pid>/status line such as "VmRSS:".
qint64 statusKb(qint64 pid, const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchOptions options;
    if (!parseOptions(app.arguments(), options))
        return 2;
    const qint64 xServerPid = qEnvironmentVariableIntValue("DXCAM_XSERVER_PID");

    QTemporaryDir dir;
    const QString iniPath = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    const int duration = 90 + options.warmUp + 2 * options.seconds;
    std::unique_ptr<QProcess> simulator = startSimulator(
        QStringLiteral(DXSIM_PATH),
        QStringList{QStringLiteral("--rtsp"), QStringLiteral("--cameras"), QString::number(options.cameras), QStringLiteral("--size"),
         options.size, QStringLiteral("--fps"), QString::number(options.fps), QStringLiteral("--duration"),
         QString::number(duration)}
            + (options.cameraEncoding ? QStringList{QStringLiteral("--camera-encoding")} : QStringList()),
        iniPath, dir.filePath(QStringLiteral("dxsim.log")));
    if (!simulator)
        return 1;
    // The grid view, as stored by a user who left the viewer showing all cameras.
    setIniValues(iniPath, {{QStringLiteral("Window"), QStringLiteral("dispForm"), QStringLiteral("2")}});
    std::printf("bench_rtspviewer: %s, %d RTSP cameras H.264 %s at %d/s (%s), %d s after %d s warm-up\n",
                qPrintable(options.viewer), options.cameras, qPrintable(options.size), options.fps,
                options.cameraEncoding ? "veryfast, CABAC, GOP 50, 4 Mbit/s" : "ultrafast, key picture every second",
                options.seconds, options.warmUp);

    QProcess viewer;
    QByteArray said;
    viewer.setProgram(options.viewer);
    viewer.setArguments({QStringLiteral("--config"), iniPath, QStringLiteral("--log")});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    viewer.setProcessEnvironment(environment);
    viewer.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&viewer, &QProcess::readyRead, [&] {
        said += viewer.readAll();
        if (said.size() > 1 << 20)
            said.remove(0, said.size() - (1 << 19));
    });
    viewer.start();
    if (!viewer.waitForStarted() || !waitUntil([&] { return said.contains("##### first tick"); }, 30000)) {
        std::fprintf(stderr, "the viewer did not start\n");
        return 1;
    }
    QProcess second;
    second.start(options.viewer, {QStringLiteral("--config"), iniPath});
    second.waitForFinished(10000);

    timingLog log(dir.filePath(QStringLiteral("dxcamviewer.log")));
    const bool delivering = waitUntil(
        [&] {
            log.read();
            return log.displayed.size() == options.cameras
                && std::all_of(log.displayed.cbegin(), log.displayed.cend(), [](qint64 n) { return n >= 50; });
        },
        60000);
    if (!delivering) {
        std::fprintf(stderr, "not all cameras delivered:\n%s\n", said.right(2000).constData());
        stopProcess(viewer);
        return 1;
    }
    runFor(options.warmUp * 1000);

    const qint64 pid = viewer.processId();
    log.read();
    log.fromSend.clear();
    log.fromDecoded.clear();
    const qint64 displayedBefore = log.total();
    const double cpuBefore = processCpuSeconds(pid);
    const double xBefore = processCpuSeconds(xServerPid);
    const double simBefore = processCpuSeconds(simulator->processId());
    // Other programs keeping the cores busy, as on a machine that does more than show cameras.
    std::vector<std::unique_ptr<QProcess>> loops;
    for (int i = 0; i < options.busy; ++i) {
        loops.push_back(std::make_unique<QProcess>());
        loops.back()->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    }
    QElapsedTimer wall;
    wall.start();
    runFor(options.seconds * 1000);
    log.read();
    for (auto &loop : loops) {
        loop->kill();
        loop->waitForFinished(2000);
    }
    const double cpu = processCpuSeconds(pid) - cpuBefore;
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double xCpu = processCpuSeconds(xServerPid) - xBefore;
    const double simCpu = processCpuSeconds(simulator->processId()) - simBefore;
    const qint64 displayed = log.total() - displayedBefore;
    const qint64 rss = statusKb(pid, "VmRSS:");
    const qint64 peak = statusKb(pid, "VmHWM:");
    const int threads = int(statusKb(pid, "Threads:"));
    stopProcess(viewer);

    ffmpegFigures ffmpeg;
    const auto rtspInput = [](int i) {
        return QStringList{QStringLiteral("-rtsp_transport"), QStringLiteral("tcp"), QStringLiteral("-i"),
                           QStringLiteral("rtsp://127.0.0.%1:554/stream").arg(2 + i), QStringLiteral("-vf"),
                           QStringLiteral("scale=320:180")};
    };
    const bool withFfmpeg = !options.skipFfmpeg
        && runFfmpeg(options.cameras, options.seconds, simulator->processId(), ffmpeg, rtspInput);
    stopProcess(*simulator);

    const double perPicture = displayed ? 1000.0 * cpu / double(displayed) : 0;
    std::printf("viewer: %.1f %% of one core, %.2f pictures/s per camera displayed, %.3f ms CPU per displayed picture\n",
                percentOfCore(cpu, seconds), double(displayed) / (options.cameras * seconds), perPicture);
    std::printf("   resident memory %.1f MiB (peak %.1f MiB), %d threads; X server %.1f %%, simulator %.1f %%\n",
                rss / 1024.0, peak / 1024.0, threads, percentOfCore(xCpu, seconds), percentOfCore(simCpu, seconds));
    if (withFfmpeg && ffmpeg.pictures) {
        const double ffmpegMs = 1000.0 * ffmpeg.cpu / double(ffmpeg.pictures);
        std::printf("ffmpeg: %.3f ms CPU per decoded picture, %.2f pictures/s per stream%s\n", ffmpegMs,
                    double(ffmpeg.pictures) / (options.cameras * ffmpeg.wall),
                    ffmpeg.finishedEarly ? ", some ended early" : "");
        std::printf("   viewer / ffmpeg, CPU per picture: %.2f (target <= 1.0)\n", perPicture / ffmpegMs);
    }
    const double sent = double(options.cameras) * options.fps * seconds;
    std::printf("   %d busy loops beside it; pictures sent but not shown: %.0f of %.0f (%.1f %%)\n", options.busy,
                qMax(0.0, sent - double(displayed)), sent, sent > 0 ? 100.0 * qMax(0.0, sent - double(displayed)) / sent : 0.0);
    std::printf("delay send -> tile: median %lld ms, p95 %lld ms; decoded -> tile: median %lld ms, p95 %lld ms"
                " (target <= 80 ms, two ticks), %lld pictures\n",
                percentile(log.fromSend, 0.5), percentile(log.fromSend, 0.95), percentile(log.fromDecoded, 0.5),
                percentile(log.fromDecoded, 0.95), qlonglong(log.fromSend.size()));
    return 0;
}
