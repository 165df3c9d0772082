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
// pictures sent but not shown are counted.
// --sub WxH has every camera serve a second, small stream as well (`dxsim --sub`, named in the INI
// as URL_Sub): the grid from the small streams is measured, then the single view of one camera
// after a user's switch (a click on its tile, a click on "Vollbild" in the command panel, through
// xdotool) and the switch times of --switches switches there and back, each to another camera,
// from the viewer's trace; then, in the same simulator session, the same grid with the small
// streams as the cameras' only streams, as the figure to be within 1.25 times of; ffmpeg decodes
// the small streams and one main stream as the yardsticks. Talks to 127.0.0.x only: run it
// through bench/run-viewer-bench.sh --rtsp, which gives it a network namespace and an Xvfb.
#include "benchsimulator.h"
#include "benchstats.h"
#include "benchsubstream.h"
#include "benchtools.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSettings>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUdpSocket>

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
    QString sub;       // the size of every camera's second stream; empty: one stream a camera
    int switches = 20;  // with sub: grid -> single view and back, each to another camera
    int dwell = 2;      // seconds in each view between the switches
    int calls = 20;     // with sub: door calls while the viewer is hidden
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
    const QCommandLineOption sub(QStringLiteral("sub"),
                                 QStringLiteral("Every camera serves a second stream of this size too, named in the INI"
                                                " (URL_Sub): grid, single view and switches, then the same small streams"
                                                " as the only streams."),
                                 QStringLiteral("WxH"));
    const QCommandLineOption switches(QStringLiteral("switches"),
                                      QStringLiteral("With --sub: switches to the single view and back (default 20)."),
                                      QStringLiteral("N"), QStringLiteral("20"));
    const QCommandLineOption dwell(QStringLiteral("dwell"),
                                   QStringLiteral("With --sub: seconds in each view between switches (default 2)."),
                                   QStringLiteral("S"), QStringLiteral("2"));
    const QCommandLineOption calls(QStringLiteral("calls"),
                                   QStringLiteral("With --sub: door calls while the viewer is hidden (default 20)."),
                                   QStringLiteral("N"), QStringLiteral("20"));
    parser.addOptions({cameras, size, fps, seconds, warmUp, viewer, skipFfmpeg, cameraEncoding, busy, sub, switches, dwell, calls});
    parser.process(arguments);
    options.cameras = parser.value(cameras).toInt();
    options.size = parser.value(size);
    options.fps = parser.value(fps).toInt();
    options.seconds = parser.value(seconds).toInt();
    options.warmUp = parser.value(warmUp).toInt();
    options.skipFfmpeg = parser.isSet(skipFfmpeg);
    options.cameraEncoding = parser.isSet(cameraEncoding);
    options.busy = qBound(0, parser.value(busy).toInt(), 16);
    options.sub = parser.value(sub);
    options.switches = qBound(0, parser.value(switches).toInt(), 200);
    options.dwell = qBound(1, parser.value(dwell).toInt(), 60);
    options.calls = qBound(0, parser.value(calls).toInt(), 200);
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
    if (!options.sub.isEmpty() && options.switches > 0 && !benchSubStream::haveXdotool()) {
        std::fprintf(stderr, "the switches need xdotool (Debian: xdotool), or --switches 0\n");
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

// The peak resident memory (VmHWM) starts again from the resident memory now.
void resetPeak(qint64 pid)
{
    QFile refs(QStringLiteral("/proc/%1/clear_refs").arg(pid));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// ---- the viewer, started as a user starts it --------------------------------------------------

class viewerRun {
public:
    QProcess process;
    QByteArray said;  // the newest of its output, for the first tick and for errors
    benchSubStream::traceWatch trace;
    std::unique_ptr<timingLog> log;

    // Started on the INI (its timing log beside it), kept open by a second start, every camera
    // delivering, then the warm-up.
    bool start(const benchOptions &options, const QString &iniPath)
    {
        process.setProgram(options.viewer);
        process.setArguments({QStringLiteral("--config"), iniPath, QStringLiteral("--log")});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, [this] {
            const QByteArray bytes = process.readAll();
            trace.add(bytes);
            said += bytes;
            if (said.size() > 1 << 20)
                said.remove(0, said.size() - (1 << 19));
        });
        process.start();
        if (!process.waitForStarted() || !waitUntil([&] { return said.contains("##### first tick"); }, 30000)) {
            std::fprintf(stderr, "the viewer did not start\n");
            return false;
        }
        QProcess second;
        second.start(options.viewer, {QStringLiteral("--config"), iniPath});
        second.waitForFinished(10000);

        const QFileInfo ini(iniPath);
        log = std::make_unique<timingLog>(ini.path() + QLatin1Char('/') + ini.completeBaseName() + QStringLiteral(".log"));
        const bool delivering = waitUntil(
            [&] {
                log->read();
                return log->displayed.size() == options.cameras
                    && std::all_of(log->displayed.cbegin(), log->displayed.cend(), [](qint64 n) { return n >= 50; });
            },
            60000);
        if (!delivering) {
            std::fprintf(stderr, "not all cameras delivered:\n%s\n", said.right(2000).constData());
            return false;
        }
        runFor(options.warmUp * 1000);
        return true;
    }

    qint64 pid() const { return process.processId(); }
};

// ---- one measured span ------------------------------------------------------------------------

struct spanFigures {
    double wall = 0;
    double cpu = 0;
    double xCpu = 0;
    double simCpu = 0;
    qint64 displayed = 0;
    qint64 rss = 0;
    qint64 peak = 0;
    int threads = 0;
    QList<qint64> fromSend;
    QList<qint64> fromDecoded;
};

// The viewer's CPU, the pictures it displayed and its memory over `seconds`, with `busy` busy
// loops beside it.
spanFigures measureSpan(viewerRun &viewer, int seconds, qint64 xServerPid, qint64 simulatorPid, int busy)
{
    spanFigures figures;
    const qint64 pid = viewer.pid();
    timingLog &log = *viewer.log;
    log.read();
    log.fromSend.clear();
    log.fromDecoded.clear();
    const qint64 displayedBefore = log.total();
    const double cpuBefore = processCpuSeconds(pid);
    const double xBefore = processCpuSeconds(xServerPid);
    const double simBefore = processCpuSeconds(simulatorPid);
    // Other programs keeping the cores busy, as on a machine that does more than show cameras.
    std::vector<std::unique_ptr<QProcess>> loops;
    for (int i = 0; i < busy; ++i) {
        loops.push_back(std::make_unique<QProcess>());
        loops.back()->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    }
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    log.read();
    for (auto &loop : loops) {
        loop->kill();
        loop->waitForFinished(2000);
    }
    figures.cpu = processCpuSeconds(pid) - cpuBefore;
    figures.wall = wall.nsecsElapsed() / 1e9;
    figures.xCpu = processCpuSeconds(xServerPid) - xBefore;
    figures.simCpu = processCpuSeconds(simulatorPid) - simBefore;
    figures.displayed = log.total() - displayedBefore;
    figures.rss = statusKb(pid, "VmRSS:");
    figures.peak = statusKb(pid, "VmHWM:");
    figures.threads = int(statusKb(pid, "Threads:"));
    figures.fromSend = log.fromSend;
    figures.fromDecoded = log.fromDecoded;
    return figures;
}

double perPictureMs(const spanFigures &span)
{
    return span.displayed ? 1000.0 * span.cpu / double(span.displayed) : 0;
}

void printSpan(const char *what, const spanFigures &span, int cameras)
{
    std::printf("%sviewer: %.1f %% of one core, %.2f pictures/s per camera displayed, %.3f ms CPU per displayed picture\n",
                what, percentOfCore(span.cpu, span.wall), double(span.displayed) / (cameras * span.wall),
                perPictureMs(span));
    std::printf("   resident memory %.1f MiB (peak %.1f MiB), %d threads; X server %.1f %%, simulator %.1f %%\n",
                span.rss / 1024.0, span.peak / 1024.0, span.threads, percentOfCore(span.xCpu, span.wall),
                percentOfCore(span.simCpu, span.wall));
}

void printDelays(const spanFigures &span)
{
    std::printf("delay send -> tile: median %lld ms, p95 %lld ms; decoded -> tile: median %lld ms, p95 %lld ms"
                " (target <= 80 ms, two ticks), %lld pictures\n",
                percentile(span.fromSend, 0.5), percentile(span.fromSend, 0.95), percentile(span.fromDecoded, 0.5),
                percentile(span.fromDecoded, 0.95), qlonglong(span.fromSend.size()));
}

// ---- the ffmpeg yardstick ---------------------------------------------------------------------

// ffmpeg decoding and scaling the given streams, CPU per picture in ms; 0 when it failed.
double ffmpegMsPerPicture(const QStringList &urls, const QString &scale, int seconds, qint64 simulatorPid,
                          const char *what)
{
    ffmpegFigures ffmpeg;
    const auto input = [&](int i) {
        return QStringList{QStringLiteral("-rtsp_transport"), QStringLiteral("tcp"), QStringLiteral("-i"), urls.at(i),
                           QStringLiteral("-vf"), QStringLiteral("scale=") + scale};
    };
    if (!runFfmpeg(int(urls.size()), seconds, simulatorPid, ffmpeg, input) || !ffmpeg.pictures)
        return 0;
    const double ms = 1000.0 * ffmpeg.cpu / double(ffmpeg.pictures);
    std::printf("ffmpeg%s: %.3f ms CPU per decoded picture, %.2f pictures/s per stream%s\n", what, ms,
                double(ffmpeg.pictures) / (double(urls.size()) * ffmpeg.wall),
                ffmpeg.finishedEarly ? ", some ended early" : "");
    return ms;
}

// ---- a user's switches between the grid and the single view -----------------------------------

struct switchFigures {
    std::vector<double> toMainMs;       // the viewer's count: main stream started -> its first picture on the tile
    std::vector<double> toMainClickMs;  // the click on "Vollbild" -> that trace line
    std::vector<double> toSubMs;        // the same going back to the grid
    std::vector<double> toSubClickMs;
    int notSwitched = 0;                // clicks that brought no switch line
    QString singleCamera;
    spanFigures single;                 // the first single view, measured for --seconds
};

// Opens the command panel of the camera at grid position `index` as a user does: a click on its
// tile selects it, a click on the selected camera opens the panel. Returns where its view button
// ("Vollbild", "Alle Bilder") is, or a null point.
QPoint openPanel(viewerRun &viewer, const QRect &window, const QSizeF &tile, int columns, int index, const QString &name)
{
    using namespace benchSubStream;
    // Near the tile's top left: the panel opens at the click and extends right and down, so the
    // tile taken next (the one before in the grid) stays free.
    const QPoint at(window.left() + int((index % columns) * tile.width()) + 12,
                    window.top() + int((index / columns) * tile.height()) + 12);
    for (int attempt = 0; attempt < 4 && viewer.trace.lastPanelTitle != name; ++attempt) {
        viewer.trace.lastPanelTitle.clear();
        click(at);
        waitUntil([&] { return viewer.trace.lastPanelTitle == name; }, 700);
    }
    if (viewer.trace.lastPanelTitle != name)
        return {};
    QList<QRect> panel;
    const QString title = QLatin1Char('^') + QRegularExpression::escape(name) + QLatin1Char('$');
    waitUntil([&] { return !(panel = visibleWindows(viewer.pid(), title)).isEmpty(); }, 3000);
    if (panel.isEmpty())
        return {};
    // The panel's buttons stand in one column; the view button is the last but one ("Verlauf" below), its centre
    // 51 pixels above the panel's bottom edge in the style Qt uses under Xvfb (buttons 22 pixels
    // high, 6 apart, an 11-pixel margin). A click elsewhere brings no switch line, which is counted.
    // The main window carries the current camera's name too: the panel is the smaller one.
    return QPoint(panel.last().center().x(), panel.last().bottom() + 1 - 51);
}

// A user's click or a door call comes at any point of a stream's key-picture interval (at most
// 2 s, 50 pictures with --camera-encoding), and the time to a main stream's first picture depends
// on that point. Without the random part every switch after the first would come at the same
// point, as each pause starts from the line of the one before, and 20 switches would measure one.
void pauseAtRandomPoint(int ms)
{
    runFor(ms + int(QRandomGenerator::global()->bounded(2000)));
}

// Clicks the view button and waits for the viewer's line of that kind; its figures go to the lists.
bool switchOnce(viewerRun &viewer, const QPoint &button, benchSubStream::switchKind kind, const QString &name,
                std::vector<double> &viewerMs, std::vector<double> &clickMs)
{
    const qsizetype from = viewer.trace.switches.size();
    const qint64 clickedAt = viewer.trace.clock.elapsed();
    benchSubStream::click(button);
    const benchSubStream::switchLine *line = nullptr;
    waitUntil([&] { return (line = viewer.trace.find(kind, name, from)) != nullptr; }, 20000);
    if (!line) {
        std::fprintf(stderr, "no switch line for %s after the click at %d,%d\n", qPrintable(name), button.x(), button.y());
        return false;
    }
    viewerMs.push_back(double(line->viewerMs));
    clickMs.push_back(double(line->seenAtMs - clickedAt));
    return true;
}

bool runSwitches(const benchOptions &options, viewerRun &viewer, const QString &iniPath, qint64 xServerPid,
                 qint64 simulatorPid, switchFigures &figures)
{
    using namespace benchSubStream;
    const QList<cameraRecord> cameras = cameraRecords(iniPath);
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Window"));
    const int columns = qMax(1, ini.value(QStringLiteral("nPicCol")).toInt());
    const int rows = qMax(1, ini.value(QStringLiteral("nPicRow")).toInt());
    const QSizeF tile(ini.value(QStringLiteral("width")).toDouble() / columns,
                      ini.value(QStringLiteral("height")).toDouble() / rows);
    // The main window is the viewer's largest; the picture area starts at its top left.
    const QList<QRect> windows = visibleWindows(viewer.pid(), QStringLiteral("."));
    if (windows.isEmpty() || cameras.isEmpty()) {
        std::fprintf(stderr, "no main window or no cameras to switch to\n");
        return false;
    }
    // The first camera each time: its panel opens beside its tile, at the window's top left, and
    // stays open over the single view, its button then saying "Alle Bilder".
    const QString &name = cameras.first().name;
    const QString title = QLatin1Char('^') + QRegularExpression::escape(name) + QLatin1Char('$');
    QPoint button;
    for (int s = 0; s < options.switches; ++s) {
        if (button.isNull() || visibleWindows(viewer.pid(), title).size() < 2)
            button = openPanel(viewer, windows.first(), tile, columns, 0, name);
        if (button.isNull()) {
            std::fprintf(stderr, "the command panel of %s did not open\n", qPrintable(name));
            return false;
        }
        if (!switchOnce(viewer, button, switchKind::toMain, name, figures.toMainMs, figures.toMainClickMs)) {
            ++figures.notSwitched;
            button = QPoint();
            continue;
        }
        if (figures.singleCamera.isEmpty()) {
            // The single view measured as the grid was, from its first main-stream picture on.
            figures.singleCamera = name;
            resetPeak(viewer.pid());
            figures.single = measureSpan(viewer, options.seconds, xServerPid, simulatorPid, 0);
        } else {
            pauseAtRandomPoint(options.dwell * 1000);
        }
        if (!switchOnce(viewer, button, switchKind::toSub, name, figures.toSubMs, figures.toSubClickMs)) {
            ++figures.notSwitched;
            button = QPoint();
        }
        pauseAtRandomPoint(options.dwell * 1000);
    }
    return !figures.singleCamera.isEmpty();
}

void printSwitches(const char *what, const std::vector<double> &viewerMs, const std::vector<double> &clickMs)
{
    std::printf("%s, %zu switches: stream started -> its first picture on the tile (viewer's count) median %.0f ms,"
                " max %.0f ms; click -> that line median %.0f ms, max %.0f ms\n",
                what, viewerMs.size(), ::percentile(viewerMs, 0.5), ::percentile(viewerMs, 1.0), ::percentile(clickMs, 0.5),
                ::percentile(clickMs, 1.0));
}

// Door calls while the viewer is hidden (started hidden; a call's end hides it again after the
// INI's time-out of 1 s): from the station's datagram to the line that says the caller's main
// stream has its first picture (for the window popped up and the alarm picture). Each call comes
// from the next camera's station, so that no main stream is still held up from the call before.
// `viewerMs` gets the viewer's own count, from the main stream's start.
std::vector<double> hiddenDoorCalls(const benchOptions &options, const QString &iniPath, int calls,
                                    std::vector<double> &viewerMs)
{
    std::vector<double> toMainMs;
    QTemporaryDir dir;
    const QString hiddenIni = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    if (!QFile::copy(iniPath, hiddenIni)
        || !setIniValues(hiddenIni, {{QStringLiteral("System"), QStringLiteral("HideStartEn"), QStringLiteral("1")},
                                     {QStringLiteral("Window"), QStringLiteral("Timeout"), QStringLiteral("1")}}))
        return toMainMs;
    const QList<benchSubStream::cameraRecord> cameras = benchSubStream::cameraRecords(hiddenIni);
    viewerRun viewer;
    viewer.process.setProgram(options.viewer);
    viewer.process.setArguments({QStringLiteral("--config"), hiddenIni});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    viewer.process.setProcessEnvironment(environment);
    viewer.process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&viewer.process, &QProcess::readyRead, [&viewer] { viewer.trace.add(viewer.process.readAll()); });
    viewer.process.start();
    if (!viewer.process.waitForStarted()) {
        std::fprintf(stderr, "the viewer did not start\n");
        return toMainMs;
    }
    runFor(5000);
    for (int k = 0; k < calls && !cameras.isEmpty(); ++k) {
        const int i = k % int(cameras.size());
        QUdpSocket station;
        if (!station.bind(QHostAddress(QStringLiteral("127.0.1.%1").arg(2 + i)), 0))
            break;
        const qsizetype from = viewer.trace.switches.size();
        const qint64 sentAt = viewer.trace.clock.elapsed();
        station.writeDatagram("3#07@100\r\n", QHostAddress::LocalHost, 8112);
        const benchSubStream::switchLine *line = nullptr;
        waitUntil([&] {
            line = viewer.trace.find(benchSubStream::switchKind::mainForPopup, cameras[i].name, from);
            return line != nullptr;
        }, 20000);
        if (line) {
            toMainMs.push_back(double(line->seenAtMs - sentAt));
            viewerMs.push_back(double(line->viewerMs));
        } else
            std::fprintf(stderr, "no main-stream picture for the call of %s\n", qPrintable(cameras[i].name));
        runFor(1000);
        station.writeDatagram("3#0A@\r\n", QHostAddress::LocalHost, 8112);
        pauseAtRandomPoint(2500);
    }
    stopProcess(viewer.process);
    return toMainMs;
}

// The grid from every camera's second stream, the single view and the switches, then the same
// small streams as the cameras' only streams, and the yardsticks.
int runWithSubStreams(const benchOptions &options, const QString &iniPath, QProcess &simulator, qint64 xServerPid)
{
    const QList<benchSubStream::cameraRecord> cameras = benchSubStream::cameraRecords(iniPath);
    QStringList subUrls;
    for (const benchSubStream::cameraRecord &camera : cameras)
        subUrls.append(camera.subUrl);
    if (cameras.size() != options.cameras || subUrls.contains(QString())) {
        std::fprintf(stderr, "dxsim --sub wrote no URL_Sub for every camera\n");
        return 1;
    }
    const qint64 simulatorPid = simulator.processId();
    viewerRun viewer;
    if (!viewer.start(options, iniPath))
        return 1;
    const spanFigures grid = measureSpan(viewer, options.seconds, xServerPid, simulatorPid, options.busy);
    switchFigures switched;
    const bool switchesRan = options.switches > 0 && runSwitches(options, viewer, iniPath, xServerPid, simulatorPid, switched);
    stopProcess(viewer.process);
    std::vector<double> callViewerMs;
    const std::vector<double> calls =
        options.calls > 0 ? hiddenDoorCalls(options, iniPath, options.calls, callViewerMs) : std::vector<double>();

    QTemporaryDir plainDir;
    const QString plainIni = plainDir.filePath(QStringLiteral("dxcamviewer.ini"));
    viewerRun plainViewer;
    if (!benchSubStream::subStreamsOnly(iniPath, plainIni) || !plainViewer.start(options, plainIni))
        return 1;
    const spanFigures plain = measureSpan(plainViewer, options.seconds, xServerPid, simulatorPid, options.busy);
    stopProcess(plainViewer.process);

    double ffmpegGrid = 0, ffmpegSingle = 0;
    if (!options.skipFfmpeg) {
        ffmpegGrid = ffmpegMsPerPicture(subUrls, QStringLiteral("320:180"), options.seconds, simulatorPid,
                                        ", the small streams");
        for (const benchSubStream::cameraRecord &camera : cameras) {
            if (switchesRan && camera.name == switched.singleCamera)
                ffmpegSingle = ffmpegMsPerPicture({camera.url}, QStringLiteral("640:360"), options.seconds, simulatorPid,
                                                  ", the single view's main stream");
        }
    }

    printSpan("grid from the small streams: ", grid, options.cameras);
    if (ffmpegGrid > 0)
        std::printf("   viewer / ffmpeg, CPU per picture: %.2f\n", perPictureMs(grid) / ffmpegGrid);
    printDelays(grid);
    printSpan("the small streams as the only streams: ", plain, options.cameras);
    if (ffmpegGrid > 0)
        std::printf("   viewer / ffmpeg, CPU per picture: %.2f\n", perPictureMs(plain) / ffmpegGrid);
    printDelays(plain);
    const double ratio = perPictureMs(plain) > 0 ? perPictureMs(grid) / perPictureMs(plain) : 0;
    std::printf("grid from the small streams / the small streams alone, CPU per displayed picture: %.2f"
                " (target <= 1.25: %s)\n",
                ratio, ratio > 0 && ratio <= 1.25 ? "met" : "missed");
    if (options.calls > 0)
        std::printf("door call while hidden -> the caller's main-stream picture, %zu of %d calls: median %.0f ms, max %.0f ms"
                    " (viewer's count from the stream's start: median %.0f ms, max %.0f ms)\n",
                    calls.size(), options.calls, ::percentile(calls, 0.5), ::percentile(calls, 1.0),
                    ::percentile(callViewerMs, 0.5), ::percentile(callViewerMs, 1.0));
    const bool callsShown = int(calls.size()) == options.calls;
    if (options.switches == 0)
        return callsShown ? 0 : 1;
    if (!switchesRan)
        return 1;
    std::printf("single view of %s from its main stream (%s), %d s: ", qPrintable(switched.singleCamera),
                qPrintable(options.size), options.seconds);
    printSpan("", switched.single, 1);
    if (ffmpegSingle > 0)
        std::printf("   viewer / ffmpeg, CPU per picture: %.2f\n", perPictureMs(switched.single) / ffmpegSingle);
    printSwitches("grid -> single view", switched.toMainMs, switched.toMainClickMs);
    printSwitches("single view -> grid", switched.toSubMs, switched.toSubClickMs);
    std::printf("   clicks that brought no switch line: %d\n", switched.notSwitched);
    return switched.notSwitched == 0 && callsShown ? 0 : 1;
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
    const bool withSub = !options.sub.isEmpty();

    QTemporaryDir dir;
    const QString iniPath = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    const int switching = withSub ? options.seconds + options.switches * (2 * options.dwell + 10) + options.calls * 25 : 0;
    const int duration = 90 + (withSub ? 2 : 1) * (60 + options.warmUp + 2 * options.seconds) + switching;
    std::unique_ptr<QProcess> simulator = startSimulator(
        QStringLiteral(DXSIM_PATH),
        QStringList{QStringLiteral("--rtsp"), QStringLiteral("--cameras"), QString::number(options.cameras), QStringLiteral("--size"),
         options.size, QStringLiteral("--fps"), QString::number(options.fps), QStringLiteral("--duration"),
         QString::number(duration)}
            + (options.cameraEncoding ? QStringList{QStringLiteral("--camera-encoding")} : QStringList())
            + (withSub ? QStringList{QStringLiteral("--sub"), options.sub} : QStringList()),
        iniPath, dir.filePath(QStringLiteral("dxsim.log")));
    if (!simulator)
        return 1;
    // The grid view, as stored by a user who left the viewer showing all cameras.
    setIniValues(iniPath, {{QStringLiteral("Window"), QStringLiteral("dispForm"), QStringLiteral("2")}});
    std::printf("bench_rtspviewer: %s, %d RTSP cameras H.264 %s%s at %d/s (%s), %d s after %d s warm-up\n",
                qPrintable(options.viewer), options.cameras, qPrintable(options.size),
                withSub ? qPrintable(QStringLiteral(" with a second stream of ") + options.sub) : "", options.fps,
                options.cameraEncoding ? "veryfast, CABAC, GOP 50, 4 Mbit/s" : "ultrafast, key picture every second",
                options.seconds, options.warmUp);
    if (withSub) {
        const int result = runWithSubStreams(options, iniPath, *simulator, xServerPid);
        stopProcess(*simulator);
        return result;
    }

    viewerRun viewer;
    if (!viewer.start(options, iniPath)) {
        stopProcess(viewer.process);
        return 1;
    }
    const spanFigures run = measureSpan(viewer, options.seconds, xServerPid, simulator->processId(), options.busy);
    stopProcess(viewer.process);

    ffmpegFigures ffmpeg;
    const auto rtspInput = [](int i) {
        return QStringList{QStringLiteral("-rtsp_transport"), QStringLiteral("tcp"), QStringLiteral("-i"),
                           QStringLiteral("rtsp://127.0.0.%1:554/stream").arg(2 + i), QStringLiteral("-vf"),
                           QStringLiteral("scale=320:180")};
    };
    const bool withFfmpeg = !options.skipFfmpeg
        && runFfmpeg(options.cameras, options.seconds, simulator->processId(), ffmpeg, rtspInput);
    stopProcess(*simulator);

    printSpan("", run, options.cameras);
    if (withFfmpeg && ffmpeg.pictures) {
        const double ffmpegMs = 1000.0 * ffmpeg.cpu / double(ffmpeg.pictures);
        std::printf("ffmpeg: %.3f ms CPU per decoded picture, %.2f pictures/s per stream%s\n", ffmpegMs,
                    double(ffmpeg.pictures) / (options.cameras * ffmpeg.wall),
                    ffmpeg.finishedEarly ? ", some ended early" : "");
        std::printf("   viewer / ffmpeg, CPU per picture: %.2f (target <= 1.0)\n", perPictureMs(run) / ffmpegMs);
    }
    const double sent = double(options.cameras) * options.fps * run.wall;
    std::printf("   %d busy loops beside it; pictures sent but not shown: %.0f of %.0f (%.1f %%)\n", options.busy,
                qMax(0.0, sent - double(run.displayed)), sent,
                sent > 0 ? 100.0 * qMax(0.0, sent - double(run.displayed)) / sent : 0.0);
    printDelays(run);
    return 0;
}
