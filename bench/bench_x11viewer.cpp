// The real program as a user runs it: dxcamviewer in an X11 window (the xcb platform, on the X
// server named by DISPLAY, e.g. Xvfb) on 20 simulated cameras, with the INI exactly as
// `dxsim --write-ini` writes it, once as written (single view stored, dispForm=0) and once with
// the grid view stored (dispForm=2). The viewer starts shown and would hide after the INI's
// time-out of 8 s; it is kept open as a user does it, by starting it a second time, and its
// streams start by themselves. Then, after a warm-up, its CPU time is measured from /proc and the
// pictures it displayed are read from its own timing log (--log). In the same session the
// cost of one captioned tile (bench_display's tile path) and ffmpeg decoding the same streams
// are measured as yardsticks. Talks to 127.0.0.x only: run it through
// bench/run-viewer-bench.sh --x11, which gives it a network namespace and an Xvfb.
#include "benchpictures.h"
#include "benchtools.h"
#include "gridlayout.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace benchTools;
using namespace benchSimulator;

struct benchOptions {
    QString folder;
    QString viewer = QStringLiteral(DXCAMVIEWER_PATH);
    QString size = QStringLiteral("640x480");
    int fps = 25;
    QList<int> views{0, 2};
    int seconds = 30;
    int warmUp = 10;
    int runs = 1;
    bool skipFfmpeg = false;
    QString urlForm;      // each camera by this URL, %1 its address (a proxy in front, say)
    QString fingerprint;  // the certificate trusted for every camera
};

bool parseOptions(const QStringList &arguments, benchOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The real viewer in an X11 window on 20 simulated cameras."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Reference pictures (default $DXCAM_BENCH_DATA or build/bench-data)."));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Measuring time per run (default 30)."),
                                     QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption warmUp(QStringLiteral("warmup"), QStringLiteral("Streaming before measuring (default 10 s)."),
                                    QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Runs of each stored view, taking turns (default 1)."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption views(QStringLiteral("views"), QStringLiteral("Stored dispForm values to run (default 0,2)."),
                                   QStringLiteral("LIST"), QStringLiteral("0,2"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size (default 640x480)."),
                                  QStringLiteral("WxH"), QStringLiteral("640x480"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Pictures per second of every camera (default 25)."),
                                 QStringLiteral("N"), QStringLiteral("25"));
    const QCommandLineOption viewer(QStringLiteral("viewer"), QStringLiteral("The viewer program (default the one built)."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption skipFfmpeg(QStringLiteral("skip-ffmpeg"), QStringLiteral("Leave out the ffmpeg yardstick."));
    const QCommandLineOption url(QStringLiteral("url"),
                                 QStringLiteral("Each camera by this URL instead of its address, %1 the address "
                                                "(bench/run-tls-bench.sh puts lighttpd in front)."),
                                 QStringLiteral("FORM"));
    const QCommandLineOption fingerprint(QStringLiteral("fingerprint"),
                                         QStringLiteral("SHA-256 of the certificate trusted for every camera."),
                                         QStringLiteral("AB:CD:..."));
    parser.addOptions({seconds, warmUp, runs, views, size, fps, viewer, skipFfmpeg, url, fingerprint});
    parser.process(arguments);

    const QByteArray fromEnvironment = qgetenv("DXCAM_BENCH_DATA");
    options.folder = !parser.positionalArguments().isEmpty() ? parser.positionalArguments().first()
        : fromEnvironment.isEmpty()                          ? QStringLiteral("build/bench-data")
                                                             : QString::fromLocal8Bit(fromEnvironment);
    options.seconds = parser.value(seconds).toInt();
    options.warmUp = parser.value(warmUp).toInt();
    options.runs = parser.value(runs).toInt();
    options.size = parser.value(size);
    options.fps = parser.value(fps).toInt();
    options.skipFfmpeg = parser.isSet(skipFfmpeg);
    options.urlForm = parser.value(url);
    options.fingerprint = parser.value(fingerprint);
    if (parser.isSet(viewer))
        options.viewer = parser.value(viewer);
    options.views.clear();
    for (const QString &view : parser.value(views).split(QLatin1Char(','), Qt::SkipEmptyParts))
        options.views.append(view.toInt());
    if (options.seconds < 1 || options.runs < 1 || options.warmUp < 0 || options.views.isEmpty() || options.fps < 1) {
        std::fprintf(stderr, "bad --seconds, --runs, --warmup, --fps or --views\n");
        return false;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "no DISPLAY: run it through bench/run-viewer-bench.sh --x11\n");
        return false;
    }
    return true;
}

// ---- the viewer's own timing log --------------------------------------------------------------

// Per camera the counts of the newest log line: one line per read, "<name> :: n[v=..,rd=<cut>,
// ok=<displayed>] ...".
struct logCounts {
    QHash<QString, qint64> extracted;
    QHash<QString, qint64> displayed;
};

class timingLog {
public:
    explicit timingLog(const QString &path) : file(path) {}

    // Reads what was added since the last call.
    logCounts read()
    {
        static const QRegularExpression line(QStringLiteral("^(.+?)\\s+ :: n\\[v=\\s*\\d+,rd=\\s*(\\d+),ok=\\s*(\\d+)\\]"));
        if (!file.isOpen() && !file.open(QIODevice::ReadOnly))
            return counts;
        pending += file.readAll();
        const int end = pending.lastIndexOf('\n');
        if (end < 0)
            return counts;
        for (const QByteArray &text : pending.left(end).split('\n')) {
            const QRegularExpressionMatch match = line.match(QString::fromLatin1(text));
            if (!match.hasMatch())
                continue;
            counts.extracted[match.captured(1)] = match.captured(2).toLongLong();
            counts.displayed[match.captured(1)] = match.captured(3).toLongLong();
        }
        pending.remove(0, end + 1);
        return counts;
    }

private:
    QFile file;
    QByteArray pending;
    logCounts counts;
};

qint64 sumOf(const QHash<QString, qint64> &after, const QHash<QString, qint64> &before)
{
    qint64 sum = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        sum += it.value() - before.value(it.key());
    return sum;
}

// ---- one run ----------------------------------------------------------------------------------

struct runFigures {
    int view = 0;
    double tileMicroseconds = 0;  // the yardstick, measured just before and just after the run
    double wall = 0;
    double cpu = 0;
    double xServerCpu = 0;
    QMap<QByteArray, double> threadCpu;
    qint64 extracted = 0;
    qint64 displayed = 0;
    qint64 minimumDisplayed = 0;  // of the camera that displayed least
};

// Debug lines of the viewer, as they come.
class viewerProcess {
public:
    QProcess process;
    QByteArray output;

    bool start(const QString &program, const QString &iniPath)
    {
        process.setProgram(program);
        process.setArguments({QStringLiteral("--config"), iniPath, QStringLiteral("--log")});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, [this] {
            output += process.readAll();
            // Only the newest lines matter.
            if (output.size() > 1 << 20)
                output.remove(0, output.size() - (1 << 19));
        });
        process.start();
        return process.waitForStarted();
    }

    bool said(const char *text) const { return output.contains(text); }
};

bool runOnce(const benchOptions &options, const QString &writtenIni, int view, qint64 xServerPid,
             const std::function<double()> &tileCost, runFigures &figures)
{
    QTemporaryDir dir;
    const QString iniPath = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    QFile written(writtenIni);
    QFile ini(iniPath);
    if (!written.open(QIODevice::ReadOnly) || !ini.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = written.readAll();
    // The one change: the view stored at the last quit.
    text.replace("\ndispForm=0\n", "\ndispForm=" + QByteArray::number(view) + '\n');
    if (!options.urlForm.isEmpty()) {
        static const QRegularExpression address(QStringLiteral("\nIP=([0-9.]+)\nURL=\n"));
        QString modules = QString::fromLatin1(text);
        for (QRegularExpressionMatch m = address.match(modules); m.hasMatch(); m = address.match(modules)) {
            const QString trusted = options.fingerprint.isEmpty() ? QString() : "CAM_Fingerprint=" + options.fingerprint + '\n';
            modules.replace(m.capturedStart(), m.capturedLength(),
                            "\nIP=\nURL=" + options.urlForm.arg(m.captured(1)) + '\n' + trusted);
        }
        text = modules.toLatin1();
    }
    ini.write(text);
    ini.close();

    viewerProcess viewer;
    figures.view = view;
    const double tileBefore = tileCost();
    if (!viewer.start(options.viewer, iniPath))
        return false;
    // It starts shown and would hide after the time-out of the file (8 s); the user keeps it open
    // as from the tray's "Wiederherstellen", here by starting it a second time. The streams then
    // start by themselves, 10 s after the start.
    if (!waitUntil([&] { return viewer.said("##### first tick"); }, 30000)) {
        std::fprintf(stderr, "the viewer did not start\n");
        stopProcess(viewer.process);
        return false;
    }
    QProcess second;
    second.start(options.viewer, {QStringLiteral("--config"), iniPath});
    second.waitForFinished(10000);
    timingLog log(dir.filePath(QStringLiteral("dxcamviewer.log")));
    const bool delivering = waitUntil(
        [&] {
            const logCounts counts = log.read();
            return counts.displayed.size() == 20
                && std::all_of(counts.displayed.cbegin(), counts.displayed.cend(), [](qint64 n) { return n >= 50; });
        },
        40000);
    if (!delivering) {
        std::fprintf(stderr, "not all cameras delivered:\n%s\n", viewer.output.right(2000).constData());
        stopProcess(viewer.process);
        return false;
    }
    runFor(options.warmUp * 1000);

    const qint64 pid = viewer.process.processId();
    const logCounts before = log.read();
    const double cpuBefore = processCpuSeconds(pid);
    const double xBefore = processCpuSeconds(xServerPid);
    const QMap<QByteArray, double> threadsBefore = threadCpuByName(QString::number(pid));
    QElapsedTimer wall;
    wall.start();

    runFor(options.seconds * 1000);

    const logCounts after = log.read();
    figures.cpu = processCpuSeconds(pid) - cpuBefore;
    figures.wall = wall.nsecsElapsed() / 1e9;
    figures.xServerCpu = processCpuSeconds(xServerPid) - xBefore;
    figures.threadCpu = difference(threadCpuByName(QString::number(pid)), threadsBefore);
    figures.extracted = sumOf(after.extracted, before.extracted);
    figures.displayed = sumOf(after.displayed, before.displayed);
    figures.minimumDisplayed = figures.displayed;
    for (auto it = after.displayed.cbegin(); it != after.displayed.cend(); ++it)
        figures.minimumDisplayed = std::min(figures.minimumDisplayed, it.value() - before.displayed.value(it.key()));
    stopProcess(viewer.process);
    figures.tileMicroseconds = (tileBefore + tileCost()) / 2;
    return true;
}

// The tile the INI gives each camera: the picture area divided by the grid.
QSize tileOf(const QString &iniPath)
{
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Window"));
    const QSizeF area(ini.value(QStringLiteral("width")).toDouble(), ini.value(QStringLiteral("height")).toDouble());
    const gridLayout::tileResult tiles = gridLayout::tileSize(area, QSizeF(), ini.value(QStringLiteral("nPicCol")).toInt(),
                                                              ini.value(QStringLiteral("nPicRow")).toInt(), true, 0, QSize());
    return tiles.tile.toSize();
}

// ---- report -----------------------------------------------------------------------------------

double perPictureMs(const runFigures &run)
{
    return run.displayed ? 1000.0 * run.cpu / run.displayed : 0;
}

void printRun(const runFigures &run, double ffmpegMsPerPicture)
{
    const double perPicture = perPictureMs(run);
    const double tileMicroseconds = run.tileMicroseconds;
    std::printf("dispForm=%d stored: viewer %5.1f %% of one core, %.2f pictures/s per camera displayed (%.1f %% of"
                " extracted, least camera %.2f/s)\n",
                run.view, percentOfCore(run.cpu, run.wall), run.displayed / (20 * run.wall),
                run.extracted ? 100.0 * run.displayed / run.extracted : 0, run.minimumDisplayed / run.wall);
    std::printf("   CPU per displayed picture %.3f ms = %.2f x one tile of %.3f ms (target <= 1.25)%s\n", perPicture,
                perPicture * 1000 / tileMicroseconds, tileMicroseconds / 1000,
                ffmpegMsPerPicture > 0 ? qPrintable(QStringLiteral(", %1 x ffmpeg (target <= 0.85)")
                                                        .arg(perPicture / ffmpegMsPerPicture, 0, 'f', 2))
                                       : "");
    std::printf("   threads by name");
    for (auto it = run.threadCpu.cbegin(); it != run.threadCpu.cend(); ++it)
        std::printf(" | %s %.1f", it.key().constData(), percentOfCore(it.value(), run.wall));
    std::printf("; X server %.1f %%\n", percentOfCore(run.xServerCpu, run.wall));
}

}  // namespace

int main(int argc, char **argv)
{
    // The yardstick paints its pixmaps offscreen; the viewer has the X server.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchOptions options;
    if (!parseOptions(app.arguments(), options))
        return 2;
    const QList<QByteArray> pictures = benchPictures::load(options.folder, options.size);
    if (pictures.isEmpty())
        return 2;
    const qint64 xServerPid = qEnvironmentVariableIntValue("DXCAM_XSERVER_PID");

    QTemporaryDir dir;
    const QString writtenIni = dir.filePath(QStringLiteral("dxsim.ini"));
    simulation sim;
    sim.size = options.size;
    sim.fps = options.fps;
    sim.pictureFolder = options.folder + QLatin1Char('/') + options.size;
    const int perRun = 60 + options.warmUp + options.seconds;
    const int duration = perRun * options.runs * int(options.views.size()) + 2 * options.seconds + 60;
    std::unique_ptr<QProcess> simulator = startSimulator(sim, duration, writtenIni, dir.filePath(QStringLiteral("dxsim.log")));
    if (!simulator)
        return 1;
    const QSize tile = tileOf(writtenIni);
    std::printf("bench_x11viewer: %s, 20 cameras %s at %d/s, INI as dxsim writes it (tiles %dx%d), %d s per run"
                " after %d s warm-up\n",
                qPrintable(options.viewer), qPrintable(options.size), options.fps, tile.width(), tile.height(),
                options.seconds, options.warmUp);

    tilePath path(tile);
    const auto tileCost = [&] { return cpuMicrosecondsPerPicture(pictures, std::ref(path)); };
    QList<runFigures> runs;
    for (int r = 0; r < options.runs; ++r) {
        for (int view : std::as_const(options.views)) {
            runFigures figures;
            if (!runOnce(options, writtenIni, view, xServerPid, tileCost, figures)) {
                stopProcess(*simulator);
                return 1;
            }
            runs.append(figures);
        }
    }
    ffmpegFigures ffmpeg;
    const bool withFfmpeg = !options.skipFfmpeg && runFfmpeg(20, options.seconds, simulator->processId(), ffmpeg);
    stopProcess(*simulator);

    const double ffmpegMs = withFfmpeg && ffmpeg.pictures ? 1000.0 * ffmpeg.cpu / ffmpeg.pictures : 0;
    std::printf("one tile %dx%d (decode, pixmap, caption): CPU per picture, best of 15 rounds, measured before and"
                " after each run\n", tile.width(), tile.height());
    if (withFfmpeg)
        std::printf("ffmpeg: %.3f ms CPU per decoded picture, %.2f pictures/s per stream%s\n", ffmpegMs,
                    ffmpeg.pictures / (20 * ffmpeg.wall), ffmpeg.finishedEarly ? ", some ended early" : "");
    for (const runFigures &run : std::as_const(runs))
        printRun(run, ffmpegMs);
    // Each stored view's ratios to the tile, and stored single view against stored grid view.
    QMap<int, QList<double>> ratios;
    QMap<int, QList<double>> perPicture;
    for (const runFigures &run : std::as_const(runs)) {
        ratios[run.view].append(perPictureMs(run) * 1000 / run.tileMicroseconds);
        perPicture[run.view].append(perPictureMs(run));
    }
    const auto mean = [](const QList<double> &values) {
        return std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    };
    for (auto it = ratios.cbegin(); it != ratios.cend(); ++it) {
        const auto [low, high] = std::minmax_element(it.value().begin(), it.value().end());
        std::printf("dispForm=%d stored: x one tile mean %.2f, %.2f to %.2f over %lld runs\n", it.key(), mean(it.value()),
                    *low, *high, qlonglong(it.value().size()));
    }
    if (perPicture.contains(0) && perPicture.contains(2)) {
        const double ratio = mean(perPicture[0]) / mean(perPicture[2]);
        std::printf("stored 0 / stored 2, CPU per displayed picture: %.2f (target within 10 %%: %s)\n", ratio,
                    std::abs(ratio - 1) <= 0.1 ? "met" : "missed");
    }
    return 0;
}
