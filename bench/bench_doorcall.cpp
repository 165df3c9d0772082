// How fast a door call brings the hidden viewer up, and whether a flood of status datagrams holds
// the 40 ms tick up. The viewer runs in this process on an INI of its own with modules on loopback
// addresses; the datagrams come from loopback sockets bound to the modules' addresses.
//
//   unshare -n sh -c 'ip link set lo up && build/bench/bench_doorcall [options]'
//
//   --calls N        door calls to time (default 100)
//   --modules N      modules in the INI, 1..4 (default 4)
//   --flood-seconds  length of the flood (default 10; 0 skips it)
//   --rate N         valid and malformed datagrams per second each, over both ports (default 10000)
//   --only call|flood|notify
//   --verbose        keep the viewer's debug output
//
// The flood comes from this program started again with --flood-sender, so that sending does not
// take time from the viewer's thread. The notification run (50 calls) starts a session bus of its
// own and this program again as the desktop's notification server (--notification-server).
#include "appoptions.h"
#include "benchnotifications.h"
#include "benchstats.h"
#include "owncam.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QList>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int maxModules = 4;
constexpr qint64 periodUs = 40000;
constexpr qint64 toleranceUs = 10000;

std::atomic<long> droppedMessages{0};
bool verbose = false;

// The viewer traces every recognised datagram; under a flood that would measure the terminal. The
// offscreen platform's warnings (no raise(), no tray) are noise here too.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (verbose || type >= QtCriticalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        return;
    }
    ++droppedMessages;
}

QString camAddress(int i) { return QStringLiteral("127.0.0.%1").arg(2 + i); }
QString sipAddress(int i) { return QStringLiteral("127.0.1.%1").arg(2 + i); }

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.localPort();
}

struct viewerSetup {
    int modules = 1;
    bool startHidden = true;
    bool autohide = true;
    quint16 camPort = freeUdpPort();
    quint16 sipPort = freeUdpPort();
};

QString iniText(const viewerSetup &setup)
{
    QString text = QStringLiteral("\n[Window]\nx=30.0\ny=40.0\nwidth=640.0\nheight=480.0\nAuto_Popup=1\n"
                                  "Autohide=%1\nTimeout=1\nFlanke=0\nBildRahmeEin=1\nnPicCol=2\nnPicRow=2\n"
                                  "\n[System]\nownIP=127.0.0.1\nHideStartEn=%2\n")
                       .arg(setup.autohide ? 1 : 0)
                       .arg(setup.startHidden ? 1 : 0);
    // The status ports come from the first module; a port read from the file holds until the
    // next save.
    for (int i = 0; i < setup.modules; ++i) {
        text += QStringLiteral("\n[Cam %1_%2]\ncamName=Cam %1\nIP=%2\nsipName=Door %1\nSIP_IP=%3\n"
                               "UDP_Status_CAM=%4\nUDP_Status_SIP=%5\nCAM_popup=3\nSIP_popup=7\n"
                               "SIP_Callee=100,200\nallRufNr=0\n")
                    .arg(i)
                    .arg(camAddress(i), sipAddress(i))
                    .arg(setup.camPort)
                    .arg(setup.sipPort);
    }
    return text;
}

struct viewerUnderTest {
    QTemporaryDir dir;
    std::unique_ptr<ownCam> viewer;

    bool start(const viewerSetup &setup)
    {
        const QString iniPath = dir.filePath(QStringLiteral("dxcamviewer.ini"));
        QFile file(iniPath);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(iniText(setup).toLatin1());
        file.close();
        appOptions options;
        options.configFile = iniPath;
        viewer = std::make_unique<ownCam>(options, [] { return true; });
        viewer->show();
        return true;
    }
};

// Runs the event loop until the condition holds or the time is up. It sleeps between events (the
// tick wakes it at least every 40 ms), so the viewer's thread is not kept busy by the waiting.
template<typename Condition>
bool waitFor(Condition condition, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Notes when the window is shown and when a tick's timer event arrives.
class windowWatch : public QObject {
public:
    QElapsedTimer clock;
    qint64 shownAtNs = -1;
    std::vector<qint64> tickAtUs;
    bool recordTicks = false;

    windowWatch() { clock.start(); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && shownAtNs < 0)
            shownAtNs = clock.nsecsElapsed();
        else if (event->type() == QEvent::Timer && recordTicks)
            tickAtUs.push_back(clock.nsecsElapsed() / 1000);
        return false;
    }
};

// ------------------------------------------------------------------ door call

int runDoorCalls(int modules, int calls)
{
    viewerSetup setup;
    setup.modules = modules;
    viewerUnderTest under;
    if (!under.start(setup))
        return 1;
    ownCam &viewer = *under.viewer;
    windowWatch watch;
    viewer.installEventFilter(&watch);

    if (!waitFor([&] { return !viewer.ticks().firstTick && viewer.isHidden(); }, 5000)) {
        std::fprintf(stderr, "the viewer did not start hidden\n");
        return 1;
    }

    QUdpSocket station;
    if (!station.bind(QHostAddress(sipAddress(0)), 0)) {
        std::fprintf(stderr, "cannot bind %s (run inside unshare -n with lo up)\n", qPrintable(sipAddress(0)));
        return 1;
    }
    const QHostAddress viewerAddress(QStringLiteral("127.0.0.1"));
    const QByteArray call("3#07@100\r\n");
    const QByteArray callEnd("3#0A@\r\n");

    std::vector<double> latencyMs, hideMs;
    int missed = 0;
    for (int i = 0; i < calls; ++i) {
        // The hide happened in a tick: without a pause every call would come just after a tick
        // and wait a whole period. A door call comes at any point of the period.
        pause(100 + QRandomGenerator::global()->bounded(200));
        watch.shownAtNs = -1;
        const qint64 sentAt = watch.clock.nsecsElapsed();
        station.writeDatagram(call, viewerAddress, setup.sipPort);
        if (!waitFor([&] { return watch.shownAtNs >= 0; }, 2000)) {
            ++missed;
        } else {
            latencyMs.push_back((watch.shownAtNs - sentAt) / 1e6);
        }
        const qint64 endAt = watch.clock.nsecsElapsed();
        station.writeDatagram(callEnd, viewerAddress, setup.sipPort);
        // Timeout=1 counts whole seconds of the clock: the hide comes 1 to 2 s after the call end.
        if (!waitFor([&] { return viewer.isHidden(); }, 4000)) {
            std::fprintf(stderr, "call %d: the viewer did not hide again\n", i + 1);
            return 1;
        }
        hideMs.push_back((watch.clock.nsecsElapsed() - endAt) / 1e6);
    }
    viewer.removeEventFilter(&watch);

    if (latencyMs.empty()) {
        std::fprintf(stderr, "no call showed the window\n");
        return 1;
    }
    const double median = percentile(latencyMs, 0.5);
    std::printf("door call, %d module(s), %d calls: datagram sent -> main window shown\n", modules, calls);
    std::printf("  median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms, missed %d\n", median,
                percentile(latencyMs, 0.9), percentile(latencyMs, 0.0), percentile(latencyMs, 1.0), missed);
    std::printf("  (tick period %lld ms; target: median <= one tick: %s)\n", periodUs / 1000,
                median <= periodUs / 1000.0 && missed == 0 ? "met" : "MISSED");
    std::printf("  call end -> hidden again: median %.0f ms, min %.0f ms, max %.0f ms (Timeout=1)\n",
                percentile(hideMs, 0.5), percentile(hideMs, 0.0), percentile(hideMs, 1.0));
    return missed == 0 ? 0 : 1;
}

// ------------------------------------------------------------------ flood

// CPU time of the calling thread (the viewer's GUI thread).
qint64 threadCpuUs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

struct tickFigures {
    int ticks = 0;
    double meanMs = 0, minMs = 0, maxMs = 0, p99Ms = 0;
    int early = 0, late = 0;
};

tickFigures figuresOf(const std::vector<qint64> &atUs)
{
    tickFigures f;
    std::vector<double> intervals;
    for (size_t i = 1; i < atUs.size(); ++i) {
        const qint64 interval = atUs[i] - atUs[i - 1];
        intervals.push_back(interval / 1000.0);
        if (interval < periodUs - toleranceUs)
            ++f.early;
        else if (interval > periodUs + toleranceUs)
            ++f.late;
    }
    if (intervals.empty())
        return f;
    f.ticks = int(intervals.size());
    double sum = 0;
    for (double v : intervals)
        sum += v;
    f.meanMs = sum / intervals.size();
    f.minMs = percentile(intervals, 0.0);
    f.maxMs = percentile(intervals, 1.0);
    f.p99Ms = percentile(intervals, 0.99);
    return f;
}

void printTicks(const char *what, const tickFigures &f)
{
    const double outside = f.ticks ? 100.0 * (f.early + f.late) / f.ticks : 0;
    std::printf("  %-9s %4d ticks: mean %.2f ms, min %.2f, p99 %.2f, max %.2f; outside 40 +- 10 ms: "
                "%d early, %d late (%.2f %%)\n",
                what, f.ticks, f.meanMs, f.minMs, f.p99Ms, f.maxMs, f.early, f.late, outside);
}

// ------------------------------------------------------------------ notifications

// Door call datagram sent -> the notification server has the Notify, on CLOCK_MONOTONIC of both
// processes; the tick is watched all the while.
int runNotifications(int calls)
{
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--notification-server")});
    if (!waitFor([&] { return server.canReadLine(); }, 5000) || server.readLine().trimmed() != "ready") {
        std::fprintf(stderr, "the notification server did not start\n");
        return 1;
    }
    viewerSetup setup;
    viewerUnderTest under;
    if (!under.start(setup))
        return 1;
    ownCam &viewer = *under.viewer;
    windowWatch watch;
    viewer.installEventFilter(&watch);
    if (!waitFor([&] { return !viewer.ticks().firstTick && viewer.isHidden(); }, 5000)) {
        std::fprintf(stderr, "the viewer did not start hidden\n");
        return 1;
    }
    QUdpSocket station;
    if (!station.bind(QHostAddress(sipAddress(0)), 0)) {
        std::fprintf(stderr, "cannot bind %s (run inside unshare -n with lo up)\n", qPrintable(sipAddress(0)));
        return 1;
    }
    const QHostAddress viewerAddress(QStringLiteral("127.0.0.1"));
    // The next line of the server that starts with the word, or empty when none came in time.
    const auto nextLine = [&](const QByteArray &word) {
        QByteArray line;
        waitFor([&] {
            while (server.canReadLine()) {
                line = server.readLine().trimmed();
                if (line.startsWith(word))
                    return true;
            }
            return false;
        }, 2000);
        return line.startsWith(word) ? line : QByteArray();
    };

    std::vector<double> latencyMs;
    int missed = 0, notClosed = 0;
    watch.recordTicks = true;
    for (int i = 0; i < calls; ++i) {
        pause(100 + QRandomGenerator::global()->bounded(200));
        const qint64 sentAt = benchNotifications::monotonicNs();
        station.writeDatagram("3#07@100\r\n", viewerAddress, setup.sipPort);
        const QList<QByteArray> notify = nextLine("notify").split(' ');
        if (notify.size() == 4)
            latencyMs.push_back((notify[1].toLongLong() - sentAt) / 1e6);
        else
            ++missed;
        station.writeDatagram("3#0A@\r\n", viewerAddress, setup.sipPort);
        if (nextLine("close").isEmpty())
            ++notClosed;
        if (!waitFor([&] { return viewer.isHidden(); }, 4000)) {
            std::fprintf(stderr, "call %d: the viewer did not hide again\n", i + 1);
            return 1;
        }
    }
    watch.recordTicks = false;
    viewer.removeEventFilter(&watch);
    server.kill();
    server.waitForFinished();
    if (latencyMs.empty()) {
        std::fprintf(stderr, "no call was notified\n");
        return 1;
    }
    std::printf("desktop notifications, %d calls: datagram sent -> Notify at the server (own session bus)\n",
                calls);
    std::printf("  median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms; missed %d, not closed at the end %d\n",
                percentile(latencyMs, 0.5), percentile(latencyMs, 0.9), percentile(latencyMs, 0.0),
                percentile(latencyMs, 1.0), missed, notClosed);
    const tickFigures ticks = figuresOf(watch.tickAtUs);
    printTicks("calls", ticks);
    std::printf("  target: tick period stays 40 +- 10 ms: %s\n", ticks.early + ticks.late == 0 ? "met" : "MISSED");
    return missed == 0 && notClosed == 0 ? 0 : 1;
}

// Datagrams dropped by the kernel at a socket bound to the port (its receive buffer was full).
long kernelDrops(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray wanted = QByteArray(":") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    long drops = 0;
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 12 && fields[1].endsWith(wanted))
            drops += fields.last().toLong();
    }
    return drops;
}

int runFlood(int modules, int seconds, int rate)
{
    viewerSetup setup;
    setup.modules = modules;
    setup.startHidden = false;
    setup.autohide = false;
    viewerUnderTest under;
    if (!under.start(setup))
        return 1;
    ownCam &viewer = *under.viewer;
    windowWatch watch;
    viewer.installEventFilter(&watch);
    const tickState &ticks = viewer.ticks();
    if (!waitFor([&] { return !ticks.firstTick && !ticks.startupPending && viewer.isVisible(); }, 5000)) {
        std::fprintf(stderr, "the viewer did not start\n");
        return 1;
    }

    // Quiet ticks first, as the yardstick.
    watch.recordTicks = true;
    viewer.tickTimes().reset();
    qint64 cpuStart = threadCpuUs();
    QElapsedTimer wall;
    wall.start();
    pause(3000);
    const tickFigures quiet = figuresOf(watch.tickAtUs);
    const double quietBusy = 100.0 * (threadCpuUs() - cpuStart) / (wall.nsecsElapsed() / 1000.0);

    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    watch.tickAtUs.clear();
    viewer.tickTimes().reset();
    cpuStart = threadCpuUs();
    wall.restart();
    sender.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--flood-sender"), QString::number(setup.camPort), QString::number(setup.sipPort),
                  QString::number(modules), QString::number(seconds), QString::number(rate)});
    const bool finished = waitFor([&] { return sender.state() == QProcess::NotRunning; }, (seconds + 10) * 1000);
    watch.recordTicks = false;
    const double floodBusy = 100.0 * (threadCpuUs() - cpuStart) / (wall.nsecsElapsed() / 1000.0);
    const tickFigures flood = figuresOf(watch.tickAtUs);
    const int intervals = viewer.tickTimes().intervals();
    const double tickMean = viewer.tickTimes().meanUs() / 1000.0;
    const double tickMin = viewer.tickTimes().shortestUs() / 1000.0;
    const double tickMax = viewer.tickTimes().longestUs() / 1000.0;
    const int tickLate = viewer.tickTimes().lateIntervals();
    const long drops = kernelDrops(setup.camPort) + kernelDrops(setup.sipPort);
    viewer.removeEventFilter(&watch);
    if (!finished) {
        std::fprintf(stderr, "the flood sender did not finish\n");
        sender.kill();
        sender.waitForFinished();
        return 1;
    }

    std::printf("flood, %d modules, %d s, %d valid + %d malformed datagrams per second over both ports\n",
                modules, seconds, rate, rate);
    std::printf("%s", sender.readAllStandardOutput().constData());
    printTicks("quiet", quiet);
    printTicks("flood", flood);
    std::printf("  viewer's own tick record during the flood: %d intervals, mean %.2f ms, min %.2f ms, "
                "max %.2f ms, %d more than 10 ms late\n",
                intervals, tickMean, tickMin, tickMax, tickLate);
    std::printf("  GUI thread busy: %.1f %% quiet, %.1f %% during the flood\n", quietBusy, floodBusy);
    std::printf("  datagrams the kernel dropped at the viewer's sockets: %ld; debug lines swallowed: %ld\n",
                drops, droppedMessages.load());
    const bool met = flood.ticks > 0 && flood.early + flood.late == 0;
    std::printf("  target: tick period stays 40 +- 10 ms: %s\n", met ? "met" : "MISSED");
    return 0;
}

// ------------------------------------------------------------------ flood sender (child process)

struct floodSocket {
    int fd = -1;
    sockaddr_in to{};
};

int openSocket(const QString &from, quint16 port, sockaddr_in &to)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from.toLatin1().constData(), &local.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    return fd;
}

// Valid datagrams that change nothing visible, with a call and its end now and then.
QByteArray validDatagram(long n, bool toSip)
{
    if (!toSip)
        return QByteArrayLiteral("17#A1@1010Dx");
    switch (n % 2000) {
    case 0:
        return QByteArrayLiteral("3#07@100\r\n");
    case 1000:
        return QByteArrayLiteral("3#0A@\r\n");
    default:
        return QByteArrayLiteral("3#06@\r\n");
    }
}

// No '#', no '@', bad hex, empty, and now and then one of 64 KiB whose fault shows only at its end.
QByteArray malformedDatagram(long n, const QByteArray &oversized)
{
    if (n % 40 == 39)
        return oversized;
    switch (n % 4) {
    case 0:
        return QByteArrayLiteral("17A1@1010Dx");
    case 1:
        return QByteArrayLiteral("3#07 100\r\n");
    case 2:
        return QByteArrayLiteral("3#G7@100\r\n");
    default:
        return QByteArray();
    }
}

int runFloodSender(const QStringList &args)
{
    if (args.size() < 5)
        return 2;
    const quint16 camPort = quint16(args[0].toUInt());
    const quint16 sipPort = quint16(args[1].toUInt());
    const int modules = std::clamp(args[2].toInt(), 1, maxModules);
    const int seconds = args[3].toInt();
    const long rate = args[4].toLong();

    // IO module sockets send to the camera/IO port, station sockets to the intercom port.
    std::vector<floodSocket> sockets;
    for (int i = 0; i < modules; ++i) {
        for (const bool sip : {false, true}) {
            floodSocket s;
            s.fd = openSocket(sip ? sipAddress(i) : camAddress(i), sip ? sipPort : camPort, s.to);
            if (s.fd < 0) {
                std::fprintf(stderr, "flood sender: cannot bind (run inside unshare -n with lo up)\n");
                return 1;
            }
            sockets.push_back(s);
        }
    }
    QByteArray oversized(65507, 'X');
    oversized.replace(oversized.size() - 8, 8, "17#ZZ@10");

    long sentValid = 0, sentMalformed = 0, failed = 0, oversizedSent = 0;
    const timespec burstGap{0, 2 * 1000 * 1000};
    QElapsedTimer clock;
    clock.start();
    const qint64 totalNs = qint64(seconds) * 1000000000;
    long n = 0;
    while (clock.nsecsElapsed() < totalNs) {
        const long due = long(double(clock.nsecsElapsed()) / 1e9 * rate);
        for (; n < due; ++n) {
            const floodSocket &s = sockets[size_t(n % long(sockets.size()))];
            const bool toSip = (n % long(sockets.size())) % 2 == 1;
            const QByteArray valid = validDatagram(n / long(sockets.size()), toSip);
            const QByteArray bad = malformedDatagram(n, oversized);
            const auto *to = reinterpret_cast<const sockaddr *>(&s.to);
            if (::sendto(s.fd, valid.constData(), size_t(valid.size()), 0, to, sizeof s.to) < 0)
                ++failed;
            else
                ++sentValid;
            if (::sendto(s.fd, bad.constData(), size_t(bad.size()), 0, to, sizeof s.to) < 0)
                ++failed;
            else
                ++sentMalformed;
            if (bad.size() > 1000)
                ++oversizedSent;
        }
        nanosleep(&burstGap, nullptr);
    }
    const double tookS = clock.nsecsElapsed() / 1e9;
    for (const floodSocket &s : sockets)
        ::close(s.fd);
    std::printf("  sent %ld valid and %ld malformed datagrams (%ld of 64 KiB) in %.2f s from %zu loopback "
                "addresses, %ld send errors\n",
                sentValid, sentMalformed, oversizedSent, tookS, sockets.size(), failed);
    return 0;
}

int argValue(const QStringList &args, const QString &name, int fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--flood-sender") == 0) {
        QCoreApplication app(argc, argv);
        return runFloodSender(QCoreApplication::arguments().mid(2));
    }
    if (argc > 1 && std::strcmp(argv[1], "--notification-server") == 0)
        return benchNotifications::runServer(argc, argv);
    // Before anything asks for the session bus: the viewer's notifications go to this one.
    const pid_t bus = benchNotifications::startBus();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    verbose = args.contains(QStringLiteral("--verbose"));
    qInstallMessageHandler(quietHandler);

    const int calls = argValue(args, QStringLiteral("--calls"), 100);
    const int modules = std::clamp(argValue(args, QStringLiteral("--modules"), maxModules), 1, maxModules);
    const int floodSeconds = argValue(args, QStringLiteral("--flood-seconds"), 10);
    const int rate = argValue(args, QStringLiteral("--rate"), 10000);
    const qsizetype only = args.indexOf(QStringLiteral("--only"));
    const QString part = only >= 0 && only + 1 < args.size() ? args[only + 1] : QString();

    int result = 0;
    if (part.isEmpty() || part == QLatin1String("call"))
        result |= runDoorCalls(modules, calls);
    if ((part.isEmpty() || part == QLatin1String("flood")) && floodSeconds > 0)
        result |= runFlood(modules, floodSeconds, rate);
    if (part.isEmpty() || part == QLatin1String("notify")) {
        if (bus > 0)
            result |= runNotifications(std::min(calls, 50));
        else
            std::printf("desktop notifications: skipped, no dbus-daemon\n");
    }
    benchNotifications::stopBus(bus);
    return result;
}
