// The call history: what a door call costs its tick with the history on and off (in the same
// run, call by call in turn), the history window with 100,000 events (open, scroll to the end,
// filter the missed ones), and the database and picture sizes per 1,000 events.
//
//   bench/run-history-bench.sh [BUILD_DIR] [options]      # network namespace, Xvfb, this bench
//   unshare -n sh -c 'ip link set lo up && build/bench/bench_history [options]'
//
//   --calls N     door calls per case (default 40)
//   --events N    events in the window's history (default 100000)
//   --size WxH    the camera's pictures (default 1280x720)
//   --rtsp        the camera streams H.264 over RTSP (its picture is encoded as JPEG when taken)
//   --only tick|window|size
//
// The tick part runs the viewer in this process on the INI `dxsim --write-ini` writes (one
// camera streaming at 25 pictures/s, its door station and IO module on loopback), with
// Auto_Popup=1, Autohide=1, Flanke=1, HideStartEn=1. For each call the viewer's own timer is held
// (the tick only counts time then), the call datagram is sent from the door station's address,
// and once the status receiver has taken it the bench runs the tick itself and times it; then
// the 25 ticks after it (the caller's picture is taken in one of them), the call end, and the
// hide. "Off" takes the history's observer off the status receivers, so that nothing is
// tracked; the writer stays.
#include "appoptions.h"
#include "benchsimulator.h"
#include "benchstats.h"
#include "calltracker.h"
#include "camdata.h"
#include "historystore.h"
#include "historywindow.h"
#include "historywriter.h"
#include "owncam.h"
#include "statusreceiver.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QWindow>

#include <cstdio>
#include <vector>

namespace {

bool verbose = false;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (verbose || type >= QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.localPort();
}

QByteArray scenePicture(const QSize &size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(90, 120, 160));
    sky.setColorAt(1, QColor(60, 50, 40));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(quint32(seed + 1));
    for (int i = 0; i < 300; ++i) {
        painter.fillRect(random.bounded(size.width()), random.bounded(size.height()), 4 + random.bounded(60),
                         4 + random.bounded(60), QColor::fromRgb(random.generate()));
    }
    painter.setPen(Qt::white);
    painter.drawText(20, 40, QStringLiteral("Eingang Ost %1").arg(seed));
    painter.end();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    image.save(&out, "JPEG", 85);
    return out.data();
}

void printFigures(const char *what, const std::vector<double> &ms)
{
    std::printf("  %-44s median %7.3f ms, p90 %7.3f, max %7.3f (%zu)\n", what, percentile(ms, 0.5), percentile(ms, 0.9),
                percentile(ms, 1.0), ms.size());
}

// ------------------------------------------------------------------ tick

int runTicks(int calls, const QString &size, bool rtsp)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    const quint16 sipPort = freeUdpPort();
    QStringList simArgs{"--cameras", "1", "--size", size, "--fps", "25", "--cycle", "8", "--cam-status-port",
                        QString::number(freeUdpPort()), "--sip-status-port", QString::number(sipPort),
                        "--cam-control-port", QString::number(freeUdpPort()), "--sip-control-port",
                        QString::number(freeUdpPort())};
    if (rtsp)
        simArgs << QStringLiteral("--rtsp");
    auto sim = benchSimulator::startSimulator(QStringLiteral(DXSIM_PATH), simArgs, ini,
                                              dir.filePath(QStringLiteral("dxsim.log")));
    if (!sim)
        return 1;
    benchSimulator::setIniValues(ini, {{"Window", "Auto_Popup", "1"}, {"Window", "Autohide", "1"},
                                       {"Window", "Flanke", "1"}, {"Window", "Timeout", "1"},
                                       {"System", "HideStartEn", "1"}, {"System", "NotifyEn", "0"}});
    appOptions options;
    options.configFile = ini;
    ownCam viewer(options, [] { return true; });
    viewer.show();
    if (!benchSimulator::waitUntil([&] { return !viewer.ticks().firstTick && !viewer.ticks().startupPending && viewer.isHidden(); },
                                   10000)) {
        std::fprintf(stderr, "the viewer did not start hidden\n");
        return 1;
    }
    camData *camera = viewer.state().cameras().first();
    QUdpSocket station;
    if (!station.bind(QHostAddress(camera->sipModuleRec.SIP_IP))) {
        std::fprintf(stderr, "cannot bind %s (run inside unshare -n with lo up)\n", qPrintable(camera->sipModuleRec.SIP_IP));
        return 1;
    }
    const QList<statusReceiver *> receivers = viewer.findChildren<statusReceiver *>();
    callTracker &tracker = viewer.callHistory().tracker();
    std::vector<double> trackMs;
    const auto tracked = [&](camData *cam, bool intercom, const QString &summary) {
        QElapsedTimer clock;
        clock.start();
        tracker.statusParsed(cam, intercom, summary);
        trackMs.push_back(clock.nsecsElapsed() / 1e6);
    };
    std::vector<double> callTick[2], afterTick[2];
    const QHostAddress viewerAddress(QStringLiteral("127.0.0.1"));
    for (int i = 0; i < 2 * calls; ++i) {
        const bool on = i % 2 == 0;
        for (statusReceiver *r : receivers)
            r->setObserver(on ? statusReceiver::observer(tracked) : statusReceiver::observer());
        benchSimulator::runFor(150 + QRandomGenerator::global()->bounded(100));
        viewer.ticks().timerBusy = 1;
        station.writeDatagram("3#07@100\r\n", viewerAddress, sipPort);
        if (!benchSimulator::waitUntil([&] { return camera->sipModuleRec.status.callActive; }, 2000)) {
            std::fprintf(stderr, "call %d not received\n", i + 1);
            return 1;
        }
        viewer.ticks().timerBusy = 0;
        QElapsedTimer clock;
        clock.start();
        viewer.tick();
        callTick[on].push_back(clock.nsecsElapsed() / 1e6);
        // The streams start; one of these ticks takes the caller's picture.
        double longest = 0;
        for (int t = 0; t < 25; ++t) {
            viewer.ticks().timerBusy = 1;
            benchSimulator::runFor(40);
            viewer.ticks().timerBusy = 0;
            clock.restart();
            viewer.tick();
            longest = std::max(longest, clock.nsecsElapsed() / 1e6);
        }
        afterTick[on].push_back(longest);
        station.writeDatagram("3#0A@\r\n", viewerAddress, sipPort);
        if (!benchSimulator::waitUntil([&] { return viewer.isHidden(); }, 4000)) {
            std::fprintf(stderr, "call %d: the viewer did not hide again\n", i + 1);
            return 1;
        }
    }
    viewer.callHistory().writer().waitIdle(10000);
    historyStore store;
    store.openForReading(viewer.callHistory().writer().databasePath());
    const int rows = store.count({});
    int pictures = 0;
    for (const historyEvent &e : store.page({}, 0, rows))
        pictures += e.pictureBytes > 0;
    std::printf("door call's tick, %d calls each, history on and off in turn (%s %s at 25/s; %d cores, load %.2f)\n",
                calls, qPrintable(size), rtsp ? "H.264 over RTSP" : "Motion-JPEG", QThread::idealThreadCount(), [] {
                    QFile load(QStringLiteral("/proc/loadavg"));
                    load.open(QIODevice::ReadOnly);
                    return load.readAll().split(' ').value(0).toDouble();
                }());
    printFigures("the call's tick, history on", callTick[1]);
    printFigures("the call's tick, history off", callTick[0]);
    printFigures("tracking the datagram (status receiver)", trackMs);
    printFigures("longest of the 25 ticks after, history on", afterTick[1]);
    printFigures("longest of the 25 ticks after, history off", afterTick[0]);
    std::printf("  difference of the medians: %.3f ms (target <= 1 ms); %d events written, %d with a picture\n",
                percentile(callTick[1], 0.5) - percentile(callTick[0], 0.5), rows, pictures);
    viewer.Raus();
    benchSimulator::stopProcess(*sim);
    return 0;
}

// ------------------------------------------------------------------ window

void fillHistory(const QString &dbPath, const QString &folder, int events)
{
    QDir().mkpath(folder);
    constexpr int thumbnails = 300;
    for (int i = 0; i < thumbnails; ++i) {
        QImage small = QImage::fromData(scenePicture(QSize(160, 120), i));
        small.save(QDir(folder).filePath(QStringLiteral("t%1.thumb.jpg").arg(i)), "JPEG", 80);
    }
    historyStore store;
    store.open(dbPath);
    store.transaction();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 span = 89 * historyStore::dayMs;
    for (int i = 0; i < events; ++i) {
        historyEvent e;
        e.what = i % 5 == 4 ? historyEvent::kind::input1 : historyEvent::kind::calling;
        e.startMs = now - span + span * i / events;
        e.endMs = e.startMs + 20000;
        e.endReported = true;
        e.camName = QStringLiteral("Cam %1").arg(i % 20);
        e.moduleName = QStringLiteral("Door %1").arg(i % 20);
        e.station = QStringLiteral("127.0.1.%1").arg(2 + i % 20);
        e.callee = QStringLiteral("100");
        e.shown = true;
        e.doorMs = i % 3 == 0 ? 0 : e.startMs + 5000;  // a third missed
        e.doorOutput = 1;
        const qint64 row = store.insert(e);
        store.setPicture(row, QStringLiteral("p%1.jpg").arg(i), QStringLiteral("t%1.thumb.jpg").arg(i % thumbnails), 60000, {});
    }
    store.commit();
}

int runWindow(int events)
{
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("history.sqlite"));
    const QString folder = dir.filePath(QStringLiteral("history"));
    QElapsedTimer clock;
    clock.start();
    fillHistory(dbPath, folder, events);
    const double fillS = clock.elapsed() / 1000.0;
    shellSettings settings;
    std::vector<double> openMs, endMs, missedMs, missedEndMs;
    for (int run = 0; run < 5; ++run) {
        clock.restart();
        historyWindow window(dbPath, folder, settings);
        window.resize(1000, 700);
        window.showInFront();
        benchSimulator::waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 5000);
        window.repaint();
        openMs.push_back(clock.nsecsElapsed() / 1e6);
        QTableView *table = window.table();
        clock.restart();
        table->scrollToBottom();
        table->viewport()->repaint();
        endMs.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        window.findChild<QCheckBox *>(QStringLiteral("missedOnlyCB"))->setChecked(true);
        table->viewport()->repaint();
        missedMs.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        table->scrollToBottom();
        table->viewport()->repaint();
        missedEndMs.push_back(clock.nsecsElapsed() / 1e6);
        if (window.events().rowCount() != (events + 2) / 3) {
            std::fprintf(stderr, "the filter shows %d rows, not %d\n", window.events().rowCount(), (events + 2) / 3);
            return 1;
        }
    }
    std::printf("history window, %d events (%s, written in %.1f s; database %.1f MiB)\n", events,
                qPrintable(QGuiApplication::platformName()), fillS, QFileInfo(dbPath).size() / 1048576.0);
    printFigures("open: shown and painted", openMs);
    printFigures("scroll to the end and paint", endMs);
    printFigures("\"nur verpasste\" and paint", missedMs);
    printFigures("then scroll to the end and paint", missedEndMs);
    std::printf("  (target: open in under 200 ms)\n");
    return 0;
}

// ------------------------------------------------------------------ size

int runSize(const QString &size)
{
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("history.sqlite"));
    const QString folder = dir.filePath(QStringLiteral("history"));
    const QSize pixels(size.section(QLatin1Char('x'), 0, 0).toInt(), size.section(QLatin1Char('x'), 1, 1).toInt());
    QList<QByteArray> pictures;
    for (int i = 0; i < 10; ++i)
        pictures << scenePicture(pixels, i);
    QElapsedTimer clock;
    clock.start();
    {
        historyWriter writer;
        writer.begin(dbPath, folder, 3650, 100000);
        const qint64 base = QDateTime::currentMSecsSinceEpoch() - 1000 * 60000;
        for (int i = 1; i <= 1000; ++i) {
            historyEvent e;
            e.id = i;
            e.startMs = base + i * 60000;
            e.camName = QStringLiteral("Cam %1").arg(i % 4);
            e.moduleName = QStringLiteral("Door %1").arg(i % 4);
            e.station = QStringLiteral("127.0.1.2");
            e.callee = QStringLiteral("100");
            writer.saveEvent(e);
            writer.savePicture(i, e.startMs, e.camName, [picture = pictures[i % pictures.size()]] { return picture; });
            e.endMs = e.startMs + 25000;
            e.endReported = e.shown = e.done = true;
            writer.saveEvent(e);
        }
        writer.waitIdle(600000);
    }
    const double seconds = clock.elapsed() / 1000.0;
    qint64 picturesBytes = 0, thumbnailBytes = 0;
    for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::Files))
        (f.fileName().endsWith(QLatin1String(".thumb.jpg")) ? thumbnailBytes : picturesBytes) += f.size();
    qint64 dbBytes = 0;
    for (const QFileInfo &f : QDir(dir.path()).entryInfoList({QStringLiteral("history.sqlite*")}, QDir::Files))
        dbBytes += f.size();
    qint64 sent = 0;
    for (const QByteArray &p : std::as_const(pictures))
        sent += p.size();
    std::printf("1,000 events with a %s picture each (%.0f KiB on average), written in %.1f s\n", qPrintable(size),
                sent / double(pictures.size()) / 1024, seconds);
    std::printf("  database %.1f KiB, pictures %.1f MiB, thumbnails %.1f MiB\n", dbBytes / 1024.0,
                picturesBytes / 1048576.0, thumbnailBytes / 1048576.0);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char *name, const QString &fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };
    verbose = args.contains(QStringLiteral("--verbose"));
    qInstallMessageHandler(quietHandler);
    const int calls = option("--calls", QStringLiteral("40")).toInt();
    const int events = option("--events", QStringLiteral("100000")).toInt();
    const QString size = option("--size", QStringLiteral("1280x720"));
    const QString only = option("--only", QString());
    int failed = 0;
    if (only.isEmpty() || only == QLatin1String("tick"))
        failed |= runTicks(calls, size, args.contains(QStringLiteral("--rtsp")));
    if (only.isEmpty() || only == QLatin1String("window"))
        failed |= runWindow(events);
    if (only.isEmpty() || only == QLatin1String("size"))
        failed |= runSize(size);
    return failed;
}
