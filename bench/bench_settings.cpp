// The settings dialog with 20 modules streaming: how long the tray entry takes to show the
// dialog (the first time and again), how long "Übernehmen" takes to have the INI file written,
// and how regular the 40 ms tick stays while the dialog is open and while Apply rebuilds and
// writes the file. The viewer runs in this process in an X11 window; dxsim serves 20 cameras on
// 127.0.0.2 ... 127.0.0.21 and writes the INI. Run it through bench/run-settings-bench.sh, which
// gives it a network namespace of its own with only lo up and an Xvfb display.
//
//   bench_settings [picture folder] [--runs N] [--open-seconds N] [--fps N] [--size WxH]
#include "appoptions.h"
#include "benchsimulator.h"
#include "camdata.h"
#include "einstdia.h"
#include "owncam.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using benchSimulator::runFor;
using benchSimulator::waitUntil;

constexpr int cameraCount = 20;
constexpr qint64 toleranceUs = 10000;

struct benchOptions {
    QString folder;
    QString size = QStringLiteral("640x480");
    int runs = 5;
    int openSeconds = 5;
    int fps = 10;
};

bool parseOptions(const QStringList &arguments, benchOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The settings dialog opened and applied with 20 modules."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Reference pictures (default $DXCAM_BENCH_DATA or build/bench-data)."));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Openings and applies (default 5)."),
                                  QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption openSeconds(QStringLiteral("open-seconds"),
                                         QStringLiteral("Seconds the dialog stays open per run (default 5)."),
                                         QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Pictures per second and camera (default 10)."),
                                 QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size (default 640x480)."),
                                  QStringLiteral("WxH"), QStringLiteral("640x480"));
    parser.addOptions({runs, openSeconds, fps, size});
    parser.process(arguments);
    const QByteArray fromEnvironment = qgetenv("DXCAM_BENCH_DATA");
    options.folder = !parser.positionalArguments().isEmpty() ? parser.positionalArguments().first()
        : fromEnvironment.isEmpty()                          ? QStringLiteral("build/bench-data")
                                                             : QString::fromLocal8Bit(fromEnvironment);
    options.runs = parser.value(runs).toInt();
    options.openSeconds = parser.value(openSeconds).toInt();
    options.fps = parser.value(fps).toInt();
    options.size = parser.value(size);
    if (options.runs < 1 || options.openSeconds < 1 || options.fps < 1) {
        std::fprintf(stderr, "bad --runs, --open-seconds or --fps\n");
        return false;
    }
    return true;
}

// Times the main window's timer events (its ticks) and every other event of the GUI thread, so
// that a slow tick can be told from a late one.
class timedApplication : public QApplication {
public:
    using QApplication::QApplication;

    QObject *viewer = nullptr;
    qint64 longestTickNs = 0;
    qint64 longestTickCpuNs = 0;  // the thread's CPU time: what the tick costs however busy the machine
    qint64 tickCpuNs = 0;
    int ticks = 0;
    qint64 longestOtherNs = 0;

    void resetCounters() { longestTickNs = longestTickCpuNs = tickCpuNs = longestOtherNs = ticks = 0; }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (depth > 0 || QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        ++depth;
        QElapsedTimer wall;
        wall.start();
        const qint64 cpuBefore = threadCpuNs();
        const bool result = QApplication::notify(receiver, event);
        if (receiver == viewer && event->type() == QEvent::Timer) {
            longestTickNs = std::max(longestTickNs, wall.nsecsElapsed());
            const qint64 cpu = threadCpuNs() - cpuBefore;
            longestTickCpuNs = std::max(longestTickCpuNs, cpu);
            tickCpuNs += cpu;
            ++ticks;
        } else {
            longestOtherNs = std::max(longestOtherNs, wall.nsecsElapsed());
        }
        --depth;
        return result;
    }

    static qint64 threadCpuNs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

private:
    int depth = 0;
};

void dropDebugOutput(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The moment the dialog's first paint after a show arrives: what the user sees as "shown".
class paintWatch : public QObject {
public:
    QElapsedTimer clock;
    qint64 paintedNs = -1;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && paintedNs < 0)
            paintedNs = clock.nsecsElapsed();
        return false;
    }
};

// The INI file is replaced as a whole (a new inode) whenever it is written.
struct fileStamp {
    ino_t inode = 0;
    qint64 modifiedNs = 0;
    bool operator==(const fileStamp &other) const { return inode == other.inode && modifiedNs == other.modifiedNs; }
};

fileStamp stampOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {info.st_ino, qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

struct tickFigures {
    qint64 longestUs = 0;
    int intervals = 0;
    int late = 0;
    qint64 longestTickNs = 0;
    qint64 longestTickCpuNs = 0;
    qint64 tickCpuNs = 0;
    int ticks = 0;
    qint64 longestOtherNs = 0;
    qint64 shown = 0;  // pictures displayed by all cameras
    qint64 wallMs = 0;

    // Pictures displayed so far, by all cameras.
    static qint64 displayed(const ownCam &viewer)
    {
        qint64 sum = 0;
        for (const camData *cam : viewer.state().cameras())
            sum += cam->framesDisplayed;
        return sum;
    }
    void add(const tickTiming &timing, const timedApplication &app, qint64 shownSince, qint64 msSince)
    {
        shown += shownSince;
        wallMs += msSince;
        tickCpuNs += app.tickCpuNs;
        ticks += app.ticks;
        longestUs = std::max(longestUs, timing.longestUs());
        intervals += timing.intervals();
        late += timing.lateIntervals();
        longestTickNs = std::max(longestTickNs, app.longestTickNs);
        longestTickCpuNs = std::max(longestTickCpuNs, app.longestTickCpuNs);
        longestOtherNs = std::max(longestOtherNs, app.longestOtherNs);
    }
    void print(const char *what) const
    {
        std::printf("%s\n    longest interval %.1f ms, %d of %d outside 40 +- 10 ms; longest tick %.1f ms "
                    "(CPU: longest %.1f ms, mean %.2f ms); longest other event %.1f ms; %.0f pictures/s shown\n",
                    what, longestUs / 1000.0, late, intervals, longestTickNs / 1e6, longestTickCpuNs / 1e6,
                    ticks ? tickCpuNs / 1e6 / ticks : 0.0, longestOtherNs / 1e6,
                    wallMs ? shown * 1000.0 / wallMs : 0.0);
    }
};

// A stretch of measuring: ticks, events and pictures shown from now on.
struct measuring {
    ownCam &viewer;
    timedApplication &app;
    qint64 shownBefore;
    QElapsedTimer clock;

    measuring(ownCam &viewer, timedApplication &app)
        : viewer(viewer), app(app), shownBefore(tickFigures::displayed(viewer))
    {
        viewer.tickTimes().reset();
        app.resetCounters();
        clock.start();
    }
    void into(tickFigures &figures) const
    {
        figures.add(viewer.tickTimes(), app, tickFigures::displayed(viewer) - shownBefore, clock.elapsed());
    }
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printTimes(const char *what, const std::vector<double> &ms)
{
    if (ms.empty())
        return;
    std::printf("%-34s median %7.1f ms, max %7.1f ms over %zu\n", what, median(ms),
                *std::max_element(ms.begin(), ms.end()), ms.size());
}

// Shows the dialog through the tray entry's slot; milliseconds until its first paint.
double openDialog(ownCam &viewer, paintWatch &watch)
{
    watch.paintedNs = -1;
    watch.clock.restart();
    viewer.einstellFun();
    if (!waitUntil([&] { return watch.paintedNs >= 0; }, 10000))
        return -1;
    return watch.paintedNs / 1e6;
}

int run(const benchOptions &options, timedApplication &app)
{
    QTemporaryDir dir;
    const QString iniPath = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    auto simulator = benchSimulator::startSimulator(
        QStringLiteral(DXSIM_PATH),
        {QStringLiteral("--cameras"), QString::number(cameraCount), QStringLiteral("--fps"), QString::number(options.fps),
         QStringLiteral("--size"), options.size, QStringLiteral("--replay"),
         options.folder + QLatin1Char('/') + options.size, QStringLiteral("--grid"), QStringLiteral("5x4"),
         QStringLiteral("--duration"), QString::number(120 + options.runs * (options.openSeconds + 10))},
        iniPath, dir.filePath(QStringLiteral("dxsim.log")));
    const QString window = QStringLiteral("Window");
    if (!simulator
        || !benchSimulator::setIniValues(iniPath, {{window, QStringLiteral("x"), QStringLiteral("0.0")},
                                                   {window, QStringLiteral("y"), QStringLiteral("0.0")},
                                                   {window, QStringLiteral("width"), QStringLiteral("1280.0")},
                                                   {window, QStringLiteral("height"), QStringLiteral("768.0")},
                                                   {window, QStringLiteral("Autohide"), QStringLiteral("0")},
                                                   {QStringLiteral("System"), QStringLiteral("HideStartEn"),
                                                    QStringLiteral("0")}}))
        return 1;

    appOptions viewerOptions;
    viewerOptions.configFile = iniPath;
    auto viewer = std::make_unique<ownCam>(viewerOptions, [] { return true; });
    viewer->show();
    const bool delivering = waitUntil(
        [&] {
            return std::all_of(viewer->state().cameras().cbegin(), viewer->state().cameras().cend(),
                               [](const camData *cam) { return cam->framesDisplayed > 0; });
        },
        30000);
    if (viewer->state().cameras().size() != cameraCount || !delivering) {
        std::fprintf(stderr, "the 20 cameras did not all deliver (%lld modules)\n",
                     (long long)viewer->state().cameras().size());
        benchSimulator::stopProcess(*simulator);
        return 1;
    }
    app.viewer = viewer.get();
    runFor(2000);
    // As long closed as it will be open, so that both see as many ticks.
    tickFigures closed;
    for (int i = 0; i < options.runs; ++i) {
        const measuring stretch(*viewer, app);
        runFor(options.openSeconds * 1000);
        stretch.into(closed);
    }

    EinstDia *dialog = viewer->settingsDialog();
    paintWatch watch;
    dialog->installEventFilter(&watch);
    QPushButton *apply = dialog->findChild<QPushButton *>(QStringLiteral("anwPB"));

    std::vector<double> firstOpen, againOpen, toFile;
    tickFigures open, applying;
    for (int i = 0; i < options.runs; ++i) {
        const measuring opened(*viewer, app);
        const double shownMs = openDialog(*viewer, watch);
        (i == 0 ? firstOpen : againOpen).push_back(shownMs);
        runFor(options.openSeconds * 1000);
        opened.into(open);

        const fileStamp before = stampOf(iniPath);
        const measuring applied(*viewer, app);
        QElapsedTimer clock;
        clock.start();
        apply->click();
        if (!waitUntil([&] { return !(stampOf(iniPath) == before); }, 10000)) {
            std::fprintf(stderr, "Apply did not write the file\n");
            return 1;
        }
        toFile.push_back(clock.nsecsElapsed() / 1e6);
        runFor(400);
        applied.into(applying);
        dialog->hide();
        runFor(1000);
    }

    std::printf("settings dialog, %d modules streaming %s at %d pictures/s, %d runs\n", cameraCount,
                qPrintable(options.size), options.fps, options.runs);
    printTimes("tray entry to dialog shown, first", firstOpen);
    printTimes("tray entry to dialog shown, again", againOpen);
    printTimes("Apply to file written", toFile);
    closed.print("dialog closed (baseline):");
    open.print("dialog open:");
    applying.print("from Apply to 0.4 s after the file was written:");
    const bool met = open.longestUs <= 40000 + toleranceUs && applying.longestUs <= 40000 + toleranceUs;
    std::printf("target: the tick stays within 40 +- 10 ms: %s\n", met ? "met" : "missed");
    viewer.reset();
    benchSimulator::stopProcess(*simulator);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    timedApplication app(argc, argv);
    benchOptions options;
    if (!parseOptions(QApplication::arguments(), options))
        return 2;
    qInstallMessageHandler(dropDebugOutput);
    return run(options, app);
}
