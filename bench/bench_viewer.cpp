// The whole program under load: the viewer with 20 simulated cameras in a 5 × 4 grid. Measures the
// process CPU time (decode threads included), the pictures extracted and displayed per camera and
// the regularity of the 40 ms tick, then lets ffmpeg decode the same 20 streams as a yardstick.
// Everything talks to 127.0.0.x only; run it inside `unshare -n` with lo up
// (bench/run-viewer-bench.sh does that).
#include "appoptions.h"
#include "camdata.h"
#include "owncam.h"
#include "benchsimulator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

namespace {

using benchSimulator::percentOfCore;
using benchSimulator::processCpuSeconds;
using benchSimulator::runFor;
using benchSimulator::setIniValues;
using benchSimulator::stopProcess;
using benchSimulator::waitUntil;

constexpr int cameraCount = 20;
constexpr int gridColumns = 5;
constexpr int gridRows = 4;
constexpr int picturesPerSecond = 25;
constexpr int areaWidth = 1600;  // picture area: 320×240 tiles in the 5 × 4 grid
constexpr int areaHeight = 960;
constexpr int ffmpegWarmUpMs = 3000;

struct benchOptions {
    QString folder;
    QString size = QStringLiteral("640x480");
    int seconds = 30;
    bool skipFfmpeg = false;
};

bool parseOptions(const QStringList &arguments, benchOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("20 simulated cameras against the viewer and ffmpeg."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Reference pictures (default $DXCAM_BENCH_DATA or build/bench-data)."));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Measuring time (default 30)."),
                                     QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size, a folder of the reference set (default 640x480)."),
                                  QStringLiteral("WxH"), QStringLiteral("640x480"));
    const QCommandLineOption skipFfmpeg(QStringLiteral("skip-ffmpeg"), QStringLiteral("Measure the viewer only."));
    parser.addOptions({seconds, size, skipFfmpeg});
    parser.process(arguments);

    const QByteArray fromEnvironment = qgetenv("DXCAM_BENCH_DATA");
    options.folder = !parser.positionalArguments().isEmpty() ? parser.positionalArguments().first()
        : fromEnvironment.isEmpty()                          ? QStringLiteral("build/bench-data")
                                                             : QString::fromLocal8Bit(fromEnvironment);
    options.size = parser.value(size);
    options.seconds = parser.value(seconds).toInt();
    options.skipFfmpeg = parser.isSet(skipFfmpeg);
    // Any size with a picture folder will do; the reference set has 640x480 and 1280x720.
    static const QRegularExpression sizePattern(QStringLiteral("^\\d+x\\d+$"));
    if (options.seconds < 1 || !sizePattern.match(options.size).hasMatch()) {
        std::fprintf(stderr, "bad --seconds or --size\n");
        return false;
    }
    return true;
}

// ---- CPU clocks -------------------------------------------------------------------------------

double selfCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// CPU time of this process's threads, summed by thread name (the toolkit names its pooled
// threads and its network threads), to tell decoding from HTTP reception.
QMap<QByteArray, double> threadCpuByName()
{
    QMap<QByteArray, double> byName;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QByteArray name = comm.readAll().trimmed();
        byName[name] += processCpuSeconds(task.toLongLong(), QStringLiteral("/proc/self/task/%1/stat"));
    }
    return byName;
}

// ---- event loop helpers -----------------------------------------------------------------------

// Where the GUI thread's CPU time goes: top-level events by kind, timed with the thread's CPU
// clock. The main window's timer events are its ticks (decode work of other threads excluded).
// Widget painting is timed apart, at whatever depth it happens.
class timedApplication : public QApplication {
public:
    using QApplication::QApplication;

    enum kind { tickEvents, otherEvents, kindCount };
    QObject *viewer = nullptr;
    std::function<void()> afterTick;
    double cpu[kindCount] = {};
    double paintCpu = 0;
    int paints = 0;
    qint64 longestTickNs = 0;
    qint64 tickWallNs = 0;
    int ticks = 0;

    void resetCounters()
    {
        std::fill(std::begin(cpu), std::end(cpu), 0.0);
        paintCpu = 0;
        longestTickNs = tickWallNs = 0;
        ticks = paints = 0;
    }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        if (event->type() == QEvent::Paint)
            return timedPaint(receiver, event);
        if (depth > 0)
            return QApplication::notify(receiver, event);
        const kind which = classify(receiver, event);
        ++depth;
        const double cpuBefore = threadCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        const bool result = QApplication::notify(receiver, event);
        const qint64 wallNs = wall.nsecsElapsed();
        cpu[which] += threadCpuSeconds() - cpuBefore;
        --depth;
        if (which == tickEvents) {
            if (afterTick)
                afterTick();
            ++ticks;
            tickWallNs += wallNs;
            longestTickNs = std::max(longestTickNs, wallNs);
        }
        return result;
    }

private:
    bool timedPaint(QObject *receiver, QEvent *event)
    {
        ++paints;
        ++depth;
        const double cpuBefore = threadCpuSeconds();
        const bool result = QApplication::notify(receiver, event);
        paintCpu += threadCpuSeconds() - cpuBefore;
        --depth;
        return result;
    }

    kind classify(QObject *receiver, QEvent *event) const
    {
        return event->type() == QEvent::Timer && receiver == viewer ? tickEvents : otherEvents;
    }

    int depth = 0;
};

void dropDebugOutput(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // The viewer traces every start and layout on the debug channel; only warnings matter here.
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

// ---- simulator and INI ------------------------------------------------------------------------

bool adjustIni(const QString &path)
{
    const QString window = QStringLiteral("Window");
    return setIniValues(path, {{window, QStringLiteral("x"), QStringLiteral("0.0")},
                               {window, QStringLiteral("y"), QStringLiteral("0.0")},
                               {window, QStringLiteral("width"), QString::number(areaWidth) + QStringLiteral(".0")},
                               {window, QStringLiteral("height"), QString::number(areaHeight) + QStringLiteral(".0")},
                               {window, QStringLiteral("Autohide"), QStringLiteral("0")},
                               {QStringLiteral("System"), QStringLiteral("HideStartEn"), QStringLiteral("0")}});
}

std::unique_ptr<QProcess> startSimulator(const benchOptions &options, const QString &iniPath, const QString &logPath)
{
    const int duration = 60 + 2 * options.seconds + 120;
    return benchSimulator::startSimulator(
        QStringLiteral(DXSIM_PATH),
        {QStringLiteral("--cameras"), QString::number(cameraCount), QStringLiteral("--fps"),
         QString::number(picturesPerSecond), QStringLiteral("--size"), options.size, QStringLiteral("--replay"),
         options.folder + QLatin1Char('/') + options.size, QStringLiteral("--grid"),
         QStringLiteral("%1x%2").arg(gridColumns).arg(gridRows), QStringLiteral("--duration"),
         QString::number(duration)},
        iniPath, logPath);
}

// ---- the viewer run ---------------------------------------------------------------------------

struct viewerFigures {
    double wall = 0;
    double cpu = 0;
    double guiThreadCpu = 0;
    double eventCpu[timedApplication::kindCount] = {};
    double paintCpu = 0;
    double simulatorCpu = 0;
    QMap<QByteArray, double> threadCpu;  // by thread name
    QList<int> extracted;
    QList<int> displayed;
    QSizeF tile;
    int intervals = 0;
    int late = 0;
    double meanIntervalUs = 0;
    qint64 longestIntervalUs = 0;
    int ticks = 0;
    int paints = 0;
    int repeatedPictures = 0;
    double meanTickMs = 0;
    double longestTickMs = 0;
};

bool runViewer(timedApplication &app, const benchOptions &options, const QString &iniPath, qint64 simulatorPid,
               viewerFigures &figures)
{
    appOptions viewerOptions;
    viewerOptions.configFile = iniPath;
    auto viewer = std::make_unique<ownCam>(viewerOptions, [] { return true; });
    app.viewer = viewer.get();
    viewer->show();
    // With the window visible the cameras would connect by themselves after the stall time;
    // start them as soon as start-up is through.
    if (!waitUntil([&] { return !viewer->firstTick && !viewer->startupPending; }, 10000)) {
        std::fprintf(stderr, "the viewer did not finish start-up\n");
        return false;
    }
    viewer->StartAll_CAM();
    const bool delivering = waitUntil(
        [&] {
            return std::all_of(viewer->cameras.cbegin(), viewer->cameras.cend(),
                               [](const camData *cam) { return cam->framesDisplayed >= 2 * picturesPerSecond; });
        },
        40000);
    if (!delivering || viewer->cameras.size() != cameraCount) {
        std::fprintf(stderr, "not all %d cameras delivered (%lld cameras)\n", cameraCount,
                     qlonglong(viewer->cameras.size()));
        return false;
    }
    figures.tile = viewer->cameras.first()->tileRect().size();

    QList<int> extractedBefore;
    QList<int> displayedBefore;
    for (const camData *cam : std::as_const(viewer->cameras)) {
        extractedBefore.append(cam->framesExtracted);
        displayedBefore.append(cam->framesDisplayed);
    }
    const double simulatorBefore = processCpuSeconds(simulatorPid);
    const QMap<QByteArray, double> threadsBefore = threadCpuByName();
    const double guiBefore = threadCpuSeconds();
    const double cpuBefore = selfCpuSeconds();
    // A picture counts as displayed whenever new bytes arrived since the last tick; when those
    // bytes did not complete a picture, the newest one is shown (and decoded) again.
    std::vector<const char *> newestShown(viewer->cameras.size(), nullptr);
    std::vector<int> displayedSeen(displayedBefore.cbegin(), displayedBefore.cend());
    app.afterTick = [&] {
        for (int i = 0; i < viewer->cameras.size(); ++i) {
            const camData *cam = viewer->cameras[i];
            const char *newest = cam->hasFrame() ? cam->frames().last().constData() : nullptr;
            if (cam->framesDisplayed > displayedSeen[i] && newest == newestShown[i])
                ++figures.repeatedPictures;
            displayedSeen[i] = cam->framesDisplayed;
            newestShown[i] = newest;
        }
    };
    app.resetCounters();
    viewer->tickTimes.reset();
    QElapsedTimer wall;
    wall.start();

    runFor(options.seconds * 1000);

    figures.wall = wall.nsecsElapsed() / 1e9;
    figures.cpu = selfCpuSeconds() - cpuBefore;
    figures.guiThreadCpu = threadCpuSeconds() - guiBefore;
    figures.simulatorCpu = processCpuSeconds(simulatorPid) - simulatorBefore;
    figures.threadCpu = threadCpuByName();
    for (auto it = figures.threadCpu.begin(); it != figures.threadCpu.end(); ++it)
        it.value() -= threadsBefore.value(it.key());
    std::copy(std::begin(app.cpu), std::end(app.cpu), std::begin(figures.eventCpu));
    for (int i = 0; i < viewer->cameras.size(); ++i) {
        figures.extracted.append(viewer->cameras[i]->framesExtracted - extractedBefore[i]);
        figures.displayed.append(viewer->cameras[i]->framesDisplayed - displayedBefore[i]);
    }
    figures.intervals = viewer->tickTimes.intervals();
    figures.late = viewer->tickTimes.lateIntervals();
    figures.meanIntervalUs = viewer->tickTimes.meanUs();
    figures.longestIntervalUs = viewer->tickTimes.longestUs();
    figures.ticks = app.ticks;
    figures.paints = app.paints;
    figures.paintCpu = app.paintCpu;
    figures.meanTickMs = app.ticks ? app.tickWallNs / 1e6 / app.ticks : 0;
    figures.longestTickMs = app.longestTickNs / 1e6;
    app.viewer = nullptr;
    app.afterTick = nullptr;
    return true;
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
qint64 lastFrameCount(QProcess &process, qint64 previous)
{
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("frame="))
            previous = line.mid(6).trimmed().toLongLong();
    }
    return previous;
}

bool runFfmpeg(const benchOptions &options, qint64 simulatorPid, ffmpegFigures &figures)
{
    std::vector<std::unique_ptr<QProcess>> decoders;
    for (int i = 0; i < cameraCount; ++i) {
        auto decoder = std::make_unique<QProcess>();
        decoder->setProgram(QStringLiteral("ffmpeg"));
        decoder->setArguments({QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                               QStringLiteral("-progress"), QStringLiteral("pipe:1"), QStringLiteral("-f"),
                               QStringLiteral("mjpeg"), QStringLiteral("-i"),
                               QStringLiteral("http://127.0.0.%1/mjpg/video.mjpg").arg(2 + i), QStringLiteral("-f"),
                               QStringLiteral("null"), QStringLiteral("-")});
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
            sum += processCpuSeconds(decoder->processId());
        return sum;
    };

    runFor(ffmpegWarmUpMs);
    readFrames();
    const qint64 framesBefore = std::accumulate(frames.begin(), frames.end(), qint64(0));
    const double simulatorBefore = processCpuSeconds(simulatorPid);
    const double cpuBefore = cpuOfAll();
    QElapsedTimer wall;
    wall.start();

    runFor(options.seconds * 1000);

    figures.cpu = cpuOfAll() - cpuBefore;
    figures.wall = wall.nsecsElapsed() / 1e9;
    figures.simulatorCpu = processCpuSeconds(simulatorPid) - simulatorBefore;
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

// ---- report -----------------------------------------------------------------------------------

void printReport(const benchOptions &options, const viewerFigures &viewer, const ffmpegFigures *ffmpeg)
{
    const double perCamera = 1.0 / (cameraCount * viewer.wall);
    const qint64 extracted = std::accumulate(viewer.extracted.begin(), viewer.extracted.end(), qint64(0));
    const qint64 displayed = std::accumulate(viewer.displayed.begin(), viewer.displayed.end(), qint64(0));
    const double displayedShare = extracted ? 100.0 * displayed / extracted : 0;
    const double viewerPercent = percentOfCore(viewer.cpu, viewer.wall);
    const double latePercent = viewer.intervals ? 100.0 * viewer.late / viewer.intervals : 100;

    std::printf("bench_viewer: %d cameras %s at %d/s, grid %dx%d, tiles %.0fx%.0f, %.1f s measured\n", cameraCount,
                qPrintable(options.size), picturesPerSecond, gridColumns, gridRows, viewer.tile.width(),
                viewer.tile.height(), viewer.wall);
    std::printf("viewer CPU        %6.2f s = %5.1f %% of one core\n", viewer.cpu, viewerPercent);
    std::printf("  GUI thread      %5.1f %% (ticks %.1f, other events %.1f; widget painting in them %.1f);"
                " other threads %.1f %%\n",
                percentOfCore(viewer.guiThreadCpu, viewer.wall),
                percentOfCore(viewer.eventCpu[timedApplication::tickEvents], viewer.wall),
                percentOfCore(viewer.eventCpu[timedApplication::otherEvents], viewer.wall),
                percentOfCore(viewer.paintCpu, viewer.wall), percentOfCore(viewer.cpu - viewer.guiThreadCpu, viewer.wall));
    std::printf("  threads by name");
    for (auto it = viewer.threadCpu.cbegin(); it != viewer.threadCpu.cend(); ++it)
        std::printf(" | %s %.1f", it.key().constData(), percentOfCore(it.value(), viewer.wall));
    std::printf("\n");
    std::printf("pictures / s      extracted %.2f, displayed %.2f per camera: %.1f %% displayed\n",
                extracted * perCamera, displayed * perCamera, displayedShare);
    std::printf("                  of the displayed, %lld shown again without a new picture (%.1f %%)\n",
                qlonglong(viewer.repeatedPictures), displayed ? 100.0 * viewer.repeatedPictures / displayed : 0);
    std::printf("per camera        extracted/displayed in %.0f s, grid order:\n", viewer.wall);
    for (int row = 0; row < gridRows; ++row) {
        std::printf("                 ");
        for (int column = 0; column < gridColumns; ++column) {
            const int i = row * gridColumns + column;
            if (i < viewer.extracted.size())
                std::printf(" %5d/%-5d", viewer.extracted[i], viewer.displayed[i]);
        }
        std::printf("\n");
    }
    std::printf("ticks             %d intervals, mean %.2f ms, longest %.1f ms, late > 10 ms: %d (%.2f %%)\n",
                viewer.intervals, viewer.meanIntervalUs / 1000, viewer.longestIntervalUs / 1000.0, viewer.late,
                latePercent);
    std::printf("tick duration     mean %.2f ms, longest %.1f ms (%d ticks); %d paint events\n", viewer.meanTickMs,
                viewer.longestTickMs, viewer.ticks, viewer.paints);
    std::printf("simulator CPU     %5.1f %% of one core (while the viewer ran)\n",
                percentOfCore(viewer.simulatorCpu, viewer.wall));

    std::printf("targets           viewer <= 40 %% of one core: %s; displayed >= 95 %%: %s; late ticks < 1 %%: %s\n",
                viewerPercent <= 40 ? "met" : "missed", displayedShare >= 95 ? "met" : "missed",
                latePercent < 1 ? "met" : "missed");
    if (!ffmpeg)
        return;
    const double ffmpegPercent = percentOfCore(ffmpeg->cpu, ffmpeg->wall);
    const double ratio = ffmpegPercent > 0 ? viewerPercent / ffmpegPercent : 0;
    std::printf("ffmpeg CPU        %6.2f s = %5.1f %% of one core (%d processes, %.2f pictures/s per stream%s)\n",
                ffmpeg->cpu, ffmpegPercent, cameraCount, ffmpeg->pictures / (cameraCount * ffmpeg->wall),
                ffmpeg->finishedEarly ? ", some ended early" : "");
    std::printf("CPU per picture   viewer %.2f ms per displayed picture, ffmpeg %.2f ms per decoded picture\n",
                displayed ? 1000.0 * viewer.cpu / displayed : 0,
                ffmpeg->pictures ? 1000.0 * ffmpeg->cpu / ffmpeg->pictures : 0);
    std::printf("simulator CPU     %5.1f %% of one core (while ffmpeg ran)\n",
                percentOfCore(ffmpeg->simulatorCpu, ffmpeg->wall));
    std::printf("viewer / ffmpeg   %.2f (target <= 0.9: %s)\n", ratio, ratio <= 0.9 ? "met" : "missed");
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropDebugOutput);
    timedApplication app(argc, argv);
    benchOptions options;
    if (!parseOptions(app.arguments(), options))
        return 2;
    if (QDir(options.folder + QLatin1Char('/') + options.size).entryList({QStringLiteral("*.jpg")}).isEmpty()) {
        std::fprintf(stderr, "no pictures in %s/%s (run make-pictures.sh first)\n", qPrintable(options.folder),
                     qPrintable(options.size));
        return 2;
    }
    QTemporaryDir dir;
    const QString iniPath = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    std::unique_ptr<QProcess> simulator =
        startSimulator(options, iniPath, dir.filePath(QStringLiteral("dxsim.log")));
    if (!simulator || !adjustIni(iniPath))
        return 1;

    viewerFigures viewer;
    if (!runViewer(app, options, iniPath, simulator->processId(), viewer)) {
        stopProcess(*simulator);
        return 1;
    }
    ffmpegFigures ffmpeg;
    const bool withFfmpeg = !options.skipFfmpeg && runFfmpeg(options, simulator->processId(), ffmpeg);
    stopProcess(*simulator);
    printReport(options, viewer, withFfmpeg ? &ffmpeg : nullptr);
    return 0;
}
