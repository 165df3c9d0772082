// The whole program under load: the viewer with 20 simulated cameras in a 5 × 4 grid. Measures the
// process CPU time (decode threads included), the pictures extracted and displayed per camera and
// the regularity of the 40 ms tick, then lets ffmpeg decode the same 20 streams as a yardstick.
// Everything talks to 127.0.0.x only; run it inside `unshare -n` with lo up
// (bench/run-viewer-bench.sh does that).
#include "appoptions.h"
#include "camdata.h"
#include "owncam.h"
#include "benchpictures.h"
#include "benchsimulator.h"
#include "benchtools.h"

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
using namespace benchTools;

constexpr int cameraCount = 20;
constexpr int gridColumns = 5;
constexpr int gridRows = 4;
constexpr int picturesPerSecond = 25;
constexpr int areaWidth = 1600;  // picture area: 320×240 tiles in the 5 × 4 grid
constexpr int areaHeight = 960;

struct benchOptions {
    QString folder;
    QString size = QStringLiteral("640x480");
    int seconds = 30;
    int warmUp = 10;
    bool skipFfmpeg = false;
    bool log = false;
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
    const QCommandLineOption warmUp(QStringLiteral("warmup"), QStringLiteral("Seconds of streaming before measuring (default 10)."),
                                    QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Trace switch on while measuring (its cost)."));
    parser.addOptions({seconds, size, skipFfmpeg, warmUp, log});
    parser.process(arguments);

    const QByteArray fromEnvironment = qgetenv("DXCAM_BENCH_DATA");
    options.folder = !parser.positionalArguments().isEmpty() ? parser.positionalArguments().first()
        : fromEnvironment.isEmpty()                          ? QStringLiteral("build/bench-data")
                                                             : QString::fromLocal8Bit(fromEnvironment);
    options.size = parser.value(size);
    options.seconds = parser.value(seconds).toInt();
    options.skipFfmpeg = parser.isSet(skipFfmpeg);
    options.warmUp = parser.value(warmUp).toInt();
    options.log = parser.isSet(log);
    // Any size with a picture folder will do; the reference set has 640x480 and 1280x720.
    static const QRegularExpression sizePattern(QStringLiteral("^\\d+x\\d+$"));
    if (options.seconds < 1 || !sizePattern.match(options.size).hasMatch()) {
        std::fprintf(stderr, "bad --seconds or --size\n");
        return false;
    }
    return true;
}

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
    QList<qint64> extracted;
    QList<qint64> displayed;
    QSizeF tile;
    qint64 intervals = 0;
    qint64 late = 0;
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
    if (!waitUntil([&] { return !viewer->ticks().firstTick && !viewer->ticks().startupPending; }, 10000)) {
        std::fprintf(stderr, "the viewer did not finish start-up\n");
        return false;
    }
    viewer->StartAll_CAM();
    const bool delivering = waitUntil(
        [&] {
            return std::all_of(viewer->state().cameras().cbegin(), viewer->state().cameras().cend(),
                               [](const camData *cam) { return cam->framesDisplayed >= 2 * picturesPerSecond; });
        },
        40000);
    if (!delivering || viewer->state().cameras().size() != cameraCount) {
        std::fprintf(stderr, "not all %d cameras delivered (%lld cameras)\n", cameraCount,
                     qlonglong(viewer->state().cameras().size()));
        return false;
    }
    figures.tile = viewer->state().cameras().first()->tileRect().size();
    // Steady state: every camera's receive buffer has been written once (at 25 pictures of
    // 47 KB a second that takes 7 s), so that first touches of its pages are not measured.
    runFor(options.warmUp * 1000);
    viewer->state().setTraceSwitch(options.log);

    QList<qint64> extractedBefore;
    QList<qint64> displayedBefore;
    for (const camData *cam : std::as_const(viewer->state().cameras())) {
        extractedBefore.append(cam->framesExtracted);
        displayedBefore.append(cam->framesDisplayed);
    }
    const double simulatorBefore = processCpuSeconds(simulatorPid);
    const QMap<QByteArray, double> threadsBefore = threadCpuByName();
    const double guiBefore = threadCpuSeconds();
    const double cpuBefore = selfCpuSeconds();
    // A picture counts as displayed whenever new bytes arrived since the last tick; when those
    // bytes did not complete a picture, the newest one is shown (and decoded) again.
    std::vector<const char *> newestShown(viewer->state().cameras().size(), nullptr);
    std::vector<qint64> displayedSeen(displayedBefore.cbegin(), displayedBefore.cend());
    app.afterTick = [&] {
        for (int i = 0; i < viewer->state().cameras().size(); ++i) {
            const camData *cam = viewer->state().cameras()[i];
            const char *newest = cam->hasFrame() ? cam->frames().last().constData() : nullptr;
            if (cam->framesDisplayed > displayedSeen[i] && newest == newestShown[i])
                ++figures.repeatedPictures;
            displayedSeen[i] = cam->framesDisplayed;
            newestShown[i] = newest;
        }
    };
    app.resetCounters();
    viewer->tickTimes().reset();
    QElapsedTimer wall;
    wall.start();

    runFor(options.seconds * 1000);

    figures.wall = wall.nsecsElapsed() / 1e9;
    figures.cpu = selfCpuSeconds() - cpuBefore;
    figures.guiThreadCpu = threadCpuSeconds() - guiBefore;
    figures.simulatorCpu = processCpuSeconds(simulatorPid) - simulatorBefore;
    figures.threadCpu = difference(threadCpuByName(), threadsBefore);
    viewer->state().setTraceSwitch(false);
    std::copy(std::begin(app.cpu), std::end(app.cpu), std::begin(figures.eventCpu));
    for (int i = 0; i < viewer->state().cameras().size(); ++i) {
        figures.extracted.append(viewer->state().cameras()[i]->framesExtracted - extractedBefore[i]);
        figures.displayed.append(viewer->state().cameras()[i]->framesDisplayed - displayedBefore[i]);
    }
    figures.intervals = viewer->tickTimes().intervals();
    figures.late = viewer->tickTimes().lateIntervals();
    figures.meanIntervalUs = viewer->tickTimes().meanUs();
    figures.longestIntervalUs = viewer->tickTimes().longestUs();
    figures.ticks = app.ticks;
    figures.paints = app.paints;
    figures.paintCpu = app.paintCpu;
    figures.meanTickMs = app.ticks ? app.tickWallNs / 1e6 / app.ticks : 0;
    figures.longestTickMs = app.longestTickNs / 1e6;
    app.viewer = nullptr;
    app.afterTick = nullptr;
    return true;
}

// ---- report -----------------------------------------------------------------------------------

void printReport(const benchOptions &options, const viewerFigures &viewer, double tileMicroseconds,
                 const ffmpegFigures *ffmpeg)
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
                std::printf(" %5lld/%-5lld", qlonglong(viewer.extracted[i]), qlonglong(viewer.displayed[i]));
        }
        std::printf("\n");
    }
    std::printf("ticks             %lld intervals, mean %.2f ms, longest %.1f ms, late > 10 ms: %lld (%.2f %%)\n",
                qlonglong(viewer.intervals), viewer.meanIntervalUs / 1000, viewer.longestIntervalUs / 1000.0,
                qlonglong(viewer.late), latePercent);
    std::printf("tick duration     mean %.2f ms, longest %.1f ms (%d ticks); %d paint events\n", viewer.meanTickMs,
                viewer.longestTickMs, viewer.ticks, viewer.paints);
    std::printf("simulator CPU     %5.1f %% of one core (while the viewer ran)\n",
                percentOfCore(viewer.simulatorCpu, viewer.wall));

    const double perPictureMs = displayed ? 1000.0 * viewer.cpu / displayed : 0;
    std::printf("CPU per picture   viewer %.3f ms per displayed picture; one tile (decode, pixmap, caption) %.3f ms"
                " in this session: %.2f (target <= 1.25: %s)\n",
                perPictureMs, tileMicroseconds / 1000, perPictureMs * 1000 / tileMicroseconds,
                perPictureMs * 1000 <= 1.25 * tileMicroseconds ? "met" : "missed");
    std::printf("targets           displayed >= 95 %%: %s; late ticks < 1 %%: %s\n",
                displayedShare >= 95 ? "met" : "missed", latePercent < 1 ? "met" : "missed");
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
    std::printf("viewer / ffmpeg   %.2f (target <= 0.85: %s)\n", ratio, ratio <= 0.85 ? "met" : "missed");
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

    // The yardstick is measured just before and just after the viewer runs, while the
    // simulator serves, so that it sees the same machine as the viewer.
    const QList<QByteArray> pictures = benchPictures::load(options.folder, options.size);
    tilePath tile(QSize(areaWidth / gridColumns, areaHeight / gridRows));
    const double tileBefore = cpuMicrosecondsPerPicture(pictures, std::ref(tile));
    viewerFigures viewer;
    if (!runViewer(app, options, iniPath, simulator->processId(), viewer)) {
        stopProcess(*simulator);
        return 1;
    }
    const double tileMicroseconds = (tileBefore + cpuMicrosecondsPerPicture(pictures, std::ref(tile))) / 2;
    ffmpegFigures ffmpeg;
    const bool withFfmpeg = !options.skipFfmpeg && runFfmpeg(cameraCount, options.seconds, simulator->processId(), ffmpeg);
    stopProcess(*simulator);
    printReport(options, viewer, tileMicroseconds, withFfmpeg ? &ffmpeg : nullptr);
    return 0;
}
