#include "camdata.h"
#include "filesizelimit.h"
#include "manualrecorder.h"
#include "rtspreader.h"
#include "settingsmodel.h"
#include "testcamera.h"
#include "../modules/tracecapture.h"
#include "../app/simulatorprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
}

// An RTSP camera of the simulator (H.264 over RTSP, interleaved) read by a camera record as the
// main window drives it: tick, stall rules, restart.
class tst_rtspCamera : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void connection_data();
    void connection();
    void recovery_data();
    void recovery();
    void hostile_data();
    void hostile();
    void pictures_data();
    void pictures();
    void notShown();
    void alarmPicture();
    void recording_data();
    void recording();

private:
    // One tick of the main window for this camera; a camera due for a restart is started again.
    static void cycle(wiredCamera &wired);
    QString url(const QString &login = QString()) const;

    QTemporaryDir dir;
    simulator sim;
    quint16 port = 0;
};

using reasonKind = connectionReason::kind;

namespace {
const QSize streamSize(320, 180);
const QString user = QStringLiteral("viewer");
const QString password = QStringLiteral("p@ss wort:1");
// The simulator's background colour.
const QColor background(40, 60, 90);

quint16 freeTcpPort(const QHostAddress &address)
{
    QTcpServer probe;
    probe.listen(address, 0);
    return probe.serverPort();
}

// AddressSanitizer keeps freed memory back for a while: resident memory says nothing there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool memoryMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool memoryMeasurable = false;
#else
constexpr bool memoryMeasurable = true;
#endif
#else
constexpr bool memoryMeasurable = true;
#endif

qint64 residentKb(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// The peak (VmHWM) starts again at the resident memory of now.
bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// The test's own broken or hostile RTSP camera (hostilertsp.py) on a loopback address; it
// reports what reached it.
struct hostileServer {
    QProcess process;
    QString address;
    quint16 port = 0;
    QByteArray said;

    bool start(const QString &at, const QStringList &arguments)
    {
        address = at;
        port = freeTcpPort(QHostAddress(address));
        process.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(TESTS_SOURCE_DIR "/stream/hostilertsp.py"), "--address",
                                                                      address, "--port", QString::number(port)}
                                                              + arguments);
        return process.waitForStarted() && QTest::qWaitFor([this] { return (said += process.readAllStandardOutput()).contains("ready"); }, 10000);
    }
    ~hostileServer()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000))
            process.kill();
    }
    QString url(const QString &scheme = QStringLiteral("rtsp")) const
    {
        return QStringLiteral("%1://%2:%3/stream").arg(scheme, address).arg(port);
    }
    int count(const QByteArray &line)
    {
        said += process.readAllStandardOutput();
        return int(said.count("\n" + line));
    }
};
}  // namespace

void tst_rtspCamera::initTestCase()
{
    port = freeTcpPort(QHostAddress(QStringLiteral("127.0.0.2")));
    QVERIFY(port);
    const QSslConfiguration tls = selfSignedCamera();
    for (const auto &[name, pem] : {std::pair{"camera.pem", tls.localCertificate().toPem()},
                                    std::pair{"camera.key", tls.privateKey().toPem()}}) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(pem) == pem.size());
    }
    QVERIFY(sim.start({"--rtsp", "--rtsp-port", QString::number(port), "--size", "320x180", "--fps", "10",
                       "--user", user, "--password", password},
                      dir.filePath("sim.ini")));
}

QString tst_rtspCamera::url(const QString &login) const
{
    return QStringLiteral("rtsp://") + login + QStringLiteral("127.0.0.2:%1/stream").arg(port);
}

void tst_rtspCamera::cycle(wiredCamera &wired)
{
    camData &camera = wired.camera;
    const bool due = camera.stallCheck(camera.tick(false), true);
    camera.finishRender();
    if (due)
        wired.start(camera.camModule.URL);
}

void tst_rtspCamera::connection_data()
{
    QTest::addColumn<QString>("login");         // in the URL
    QTest::addColumn<QString>("modulePassword");  // the module's, with user "viewer"
    QTest::addColumn<reasonKind>("failure");     // none: pictures arrive
    QTest::addColumn<QString>("logged");        // the login as the refusal's log line shows it

    QTest::newRow("module login") << "" << password << reasonKind::none << "";
    QTest::newRow("login in the URL, encoded") << "viewer:p%40ss%20wort%3A1@" << "" << reasonKind::none << "";
    QTest::newRow("login in the URL, typed raw") << "viewer:p@ss wort:1@" << "" << reasonKind::none << "";
    QTest::newRow("wrong password") << "" << "secret" << reasonKind::loginRefused << "";
    QTest::newRow("wrong password in the URL") << "viewer:secret@" << "" << reasonKind::loginRefused << "viewer@";
    QTest::newRow("no login") << "" << "" << reasonKind::loginRefused << "";
}

void tst_rtspCamera::connection()
{
    QFETCH(QString, login);
    QFETCH(QString, modulePassword);
    QFETCH(reasonKind, failure);
    QFETCH(QString, logged);

    wiredCamera wired;
    wired.trace = true;
    camData &camera = wired.camera;
    wired.stallTimeout = 3000;
    camera.camModule.CAM_User = modulePassword.isEmpty() ? QString() : user;
    camera.camModule.CAM_Password = modulePassword;
    wired.start(url(login));
    QVERIFY(camera.rtspStream());
    // The file's section header names the camera by its address without the login.
    QCOMPARE(settingsModel::sectionName(camera.camModule), QStringLiteral("Eingang_") + url());

    if (failure != reasonKind::none) {
        QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), !camera.isReceiving()), 10000);
        QCOMPARE(camera.notShownKind(), failure);
        QCOMPARE(camera.authRefusals, 1);
        QCOMPARE(camera.caption(), QStringLiteral("!UNCONNECTED! -> Eingang"));
        QCOMPARE(camera.framesDisplayed, 0);
        QVERIFY(camera.takeTraceLines().contains(QStringLiteral("Eingang (%1): Anmeldung abgelehnt (401)").arg(url(logged))));
        return;
    }
    // Pictures arrive, scaled to the tile, and change.
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.framesDisplayed >= 1), 10000);
    QCOMPARE(camera.state(), camData::connectionState::connected);
    QCOMPARE(camera.displayPixmap().size(), QSize(320, 240));
    const QImage first = camera.displayPixmap().toImage();
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.displayPixmap().toImage() != first), 5000);
    QCOMPARE(camera.caption(), QStringLiteral("Eingang"));
    QCOMPARE(camera.notShownKind(), reasonKind::none);
}

void tst_rtspCamera::recovery_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("heal");
    QTest::addColumn<reasonKind>("failure");
    QTest::newRow("stall") << "stall 1" << "resume 1" << reasonKind::stalled;
    QTest::newRow("restart") << "refuse 1\nclose 1" << "accept 1" << reasonKind::closed;
    QTest::newRow("unknown codec") << "garbage 1\nclose 1" << "heal 1" << reasonKind::unknownCodec;
}

// A camera that stops sending, goes away and comes back, or sends what cannot be decoded, is shown
// unconnected and read again once it sends pictures.
void tst_rtspCamera::recovery()
{
    QFETCH(QString, fault);
    QFETCH(QString, heal);
    QFETCH(reasonKind, failure);

    wiredCamera wired;
    camData &camera = wired.camera;
    wired.stallTimeout = 2000;
    camera.camModule.CAM_User = user;
    camera.camModule.CAM_Password = password;
    wired.start(url());
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.framesDisplayed >= 2), 10000);

    QVERIFY(sim.command(fault));
    // A codec the viewer cannot read shows on the next connection, after "closed".
    QTRY_COMPARE_WITH_TIMEOUT((cycle(wired), camera.notShownKind()), failure, 8000);
    QVERIFY(!camera.isReceiving());
    QCOMPARE(camera.caption(), QStringLiteral("!UNCONNECTED! -> Eingang"));
    const qint64 before = camera.framesDisplayed;

    QVERIFY(sim.command(heal));
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.isReceiving() && camera.framesDisplayed > before + 2), 10000);
    QCOMPARE(camera.caption(), QStringLiteral("Eingang"));
}

void tst_rtspCamera::hostile_data()
{
    QTest::addColumn<QStringList>("camera");   // the camera's server; %1: the other one's URL
    QTest::addColumn<QStringList>("other");    // a second server on another address, if any
    QTest::addColumn<reasonKind>("failure");
    QTest::addColumn<QString>("detail");       // of the reason; %1: the other server's address
    QTest::addColumn<int>("extraConnections"); // to the camera beyond one per start; -1: any, -2: no request at all
    QTest::addColumn<int>("peakMiB");          // most the resident memory may grow; 0: any

    QTest::newRow("redirect to another host asking for Basic")
        << QStringList{"--mode", "redirect", "--target", "rtsp://admin:geheim@%1/stream"}
        << QStringList{"--mode", "basic"} << reasonKind::redirected << "rtsp://%1/stream" << 0 << 0;
    QTest::newRow("redirect to itself") << QStringList{"--mode", "redirect"} << QStringList() << reasonKind::otherStatus
                                        << "302" << rtspReader::maxRedirects << 0;
    // The bound of one picture's bytes, and some for what the test itself holds.
    QTest::newRow("a NAL unit that never ends") << QStringList{"--mode", "endless"} << QStringList() << reasonKind::tooLarge
                                                << "" << 0 << 32 + 24;
    QTest::newRow("8K parameter sets in the stream") << QStringList{"--mode", "sps8k"} << QStringList()
                                                     << reasonKind::tooLarge << "" << -1 << 0;
    QTest::newRow("P-pictures that never decode") << QStringList{"--mode", "garbage"} << QStringList()
                                                  << reasonKind::unreadable << "" << -1 << 0;
    QTest::newRow("404") << QStringList{"--mode", "status", "--status", "404"} << QStringList() << reasonKind::notFound
                         << "" << -1 << 0;
    QTest::newRow("403") << QStringList{"--mode", "status", "--status", "403"} << QStringList()
                         << reasonKind::otherStatus << "403" << -1 << 0;
    QTest::newRow("454 to SETUP") << QStringList{"--mode", "status", "--status", "454", "--at", "SETUP"}
                                  << QStringList() << reasonKind::otherStatus << "454" << -1 << 0;
    // Over TLS: no request before the certificate is taken; through the relay, which carries one
    // connection, no redirect is followed, so the login goes nowhere else (over TLS unchecked).
    QTest::newRow("rtsps, certificate not trusted")
        << QStringList{"--mode", "basic", "--scheme", "rtsps"} << QStringList() << reasonKind::certificateUntrusted
        << selfSignedFingerprint << -2 << 0;
    QTest::newRow("rtsps, redirect to itself") << QStringList{"--mode", "redirect", "--scheme", "rtsps", "--trusted"}
                                               << QStringList() << reasonKind::otherStatus << "302" << 0 << 0;
    QTest::newRow("rtsps, redirect to another host")
        << QStringList{"--mode", "redirect", "--target", "rtsps://admin:geheim@%1/stream", "--scheme", "rtsps", "--trusted"}
        << QStringList{"--mode", "basic"} << reasonKind::redirected << "rtsps://%1/stream" << 0 << 0;
    QTest::newRow("461 to SETUP over TCP and UDP") << QStringList{"--mode", "status", "--status", "461", "--at", "SETUP"}
                                                   << QStringList() << reasonKind::otherStatus << "461" << -1 << 0;
}

// A camera that answers what no camera should is shown with the reason and costs neither its
// login nor more than one connection per start.
void tst_rtspCamera::hostile()
{
    QFETCH(QStringList, camera);
    QFETCH(QStringList, other);
    QFETCH(reasonKind, failure);
    QFETCH(QString, detail);
    QFETCH(int, extraConnections);
    QFETCH(int, peakMiB);

    QString scheme = QStringLiteral("rtsp");
    const qsizetype schemeAt = camera.indexOf(QStringLiteral("--scheme"));
    if (schemeAt >= 0) {
        scheme = camera.takeAt(schemeAt + 1);
        camera.removeAt(schemeAt);
        camera << "--cert" << dir.filePath("camera.pem") << "--key" << dir.filePath("camera.key");
    }
    const bool trusted = camera.removeAll(QStringLiteral("--trusted")) > 0;
    hostileServer second;
    if (!other.isEmpty())
        QVERIFY(second.start(QStringLiteral("127.0.0.8"), other));
    const QString otherAddress = QStringLiteral("%1:%2").arg(second.address).arg(second.port);
    hostileServer first;
    QVERIFY(first.start(QStringLiteral("127.0.0.7"), camera.replaceInStrings(QStringLiteral("%1"), otherAddress)));

    wiredCamera wired;
    camData &cam = wired.camera;
    wired.stallTimeout = 1000;
    cam.camModule.CAM_User = QStringLiteral("admin");
    cam.camModule.CAM_Password = QStringLiteral("geheim");
    cam.camModule.CAM_Fingerprint = trusted ? selfSignedFingerprint : QString();
    const qint64 residentBefore = residentKb("VmRSS:");
    QVERIFY(resetPeakResident());
    int starts = 0;
    const auto startOnDue = [&] {
        if (cam.stallCheck(cam.tick(false), true) || starts == 0) {
            wired.start(first.url(scheme));
            ++starts;
        }
        cam.finishRender();
    };
    QTRY_COMPARE_WITH_TIMEOUT((startOnDue(), cam.notShownKind()), failure, 10000);
    QVERIFY2(cam.notShownReason().contains(detail.arg(otherAddress)), qPrintable(cam.notShownReason()));
    QVERIFY(!cam.notShownReason().contains(QLatin1String("geheim")));
    if (peakMiB > 0 && memoryMeasurable)
        QCOMPARE_LT(residentKb("VmHWM:") - residentBefore, peakMiB * 1024);
    if (extraConnections == -2)
        QCOMPARE(first.count("request"), 0);
    if (extraConnections < 0)
        return;
    // Started again after each stall time, it connects once more each time.
    QTRY_VERIFY_WITH_TIMEOUT((startOnDue(), starts >= 3 && (!cam.rtspStream() || cam.rtspStream()->finished())), 15000);
    QCOMPARE(cam.notShownKind(), failure);
    QCOMPARE(first.count("connect"), starts + extraConnections);
    QCOMPARE(second.count("connect"), 0);
}

void tst_rtspCamera::pictures_data()
{
    QTest::addColumn<QStringList>("options");  // of a simulator of the row's own; none: the shared one
    QTest::addColumn<QString>("fault");         // a console command once pictures are shown
    QTest::newRow("one slice") << QStringList() << "";
    QTest::newRow("two slices") << QStringList{"--slices", "2"} << "";
    QTest::newRow("four slices") << QStringList{"--slices", "4"} << "";
    // 1.5 s of pictures arrive at once: decoding is that far behind, and catches up.
    QTest::newRow("pictures arriving late") << QStringList() << "hold 1 15";
    // The grid from a small stream (the row's own simulator), the single view from the main one.
    QTest::newRow("sub-stream, then the single view") << QStringList{"--size", "160x90"} << "single view";
}

// Pictures of one slice or several are decoded intact; pictures that arrive far behind the
// camera's clock are left out up to the next key picture, once, and the tile goes on.
void tst_rtspCamera::pictures()
{
    QFETCH(QStringList, options);
    QFETCH(QString, fault);

    QTemporaryDir folder;
    simulator own;
    const quint16 ownPort = freeTcpPort(QHostAddress(QStringLiteral("127.0.0.2")));
    if (!options.isEmpty())
        QVERIFY(own.start(QStringList{"--rtsp", "--rtsp-port", QString::number(ownPort), "--port",
                                      QString::number(freeTcpPort(QHostAddress(QStringLiteral("127.0.0.2")))), "--size",
                                      "320x180", "--fps", "10"} + options,
                          folder.filePath("sim.ini")));
    simulator *const sending = options.isEmpty() ? &sim : &own;
    wiredCamera wired;
    wired.trace = true;
    camData &camera = wired.camera;
    camera.camModule.CAM_User = user;
    camera.camModule.CAM_Password = password;
    const QString ownUrl = QStringLiteral("rtsp://127.0.0.2:%1/stream").arg(ownPort);
    const bool switching = fault == QLatin1String("single view");
    camera.camModule.URL_Sub = switching ? ownUrl : QString();
    wired.start(options.isEmpty() || switching ? url() : ownUrl);
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.framesDisplayed >= 5), 10000);
    const rtspReader *reader = camera.rtspStream();
    if (switching) {
        QVERIFY(camera.tileShowsSubStream());
        QCOMPARE(QImage::fromData(camera.newestFrame()).size(), QSize(160, 90));
        camera.setPlaces(true, false);
        QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), !camera.tileShowsSubStream()), 10000);
        QVERIFY(camera.lastSwitchMs() >= 0);
        QCOMPARE(QImage::fromData(camera.newestFrame()).size(), streamSize);
        reader = camera.rtspStream();
    } else if (!fault.isEmpty()) {
        QVERIFY(sending->command(fault));
        QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), reader->lagDropCount() > 0), 5000);
        QVERIFY(camera.framesDropped > 0);
        QVERIFY(camera.takeTraceLines().filter(QStringLiteral("Bilder bis zum nächsten Schlüsselbild ausgelassen")).size() == 1);
    }
    const qint64 shown = camera.framesDisplayed;
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.framesDisplayed >= shown + 15), 10000);
    QCOMPARE(reader->decoderErrorCount(), 0u);
    // Late pictures still arriving after the key picture are left out again.
    QCOMPARE(reader->lagDropCount() > 0, !fault.isEmpty() && !switching);
}

// A camera not shown (another has the single view, or the window is hidden) and not read
// meanwhile decodes its key pictures only: one a second here, of ten pictures.
void tst_rtspCamera::notShown()
{
    wiredCamera wired;
    camData &camera = wired.camera;
    camera.camModule.CAM_User = user;
    camera.camModule.CAM_Password = password;
    wired.start(url());
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.framesDisplayed >= 2), 10000);
    const rtspReader *reader = camera.rtspStream();
    camera.setShown(false);
    const quint64 decoded = reader->decodedCount();
    const quint64 received = reader->packetCount();
    QTRY_VERIFY_WITH_TIMEOUT(reader->packetCount() >= received + 30, 10000);
    QCOMPARE_LE(reader->decodedCount() - decoded, 5u);
}

// The picture saved on an alarm, by the save button or printed: the newest picture at the
// stream's own size, as JPEG.
void tst_rtspCamera::alarmPicture()
{
    wiredCamera wired;
    camData &camera = wired.camera;
    camera.camModule.CAM_User = user;
    camera.camModule.CAM_Password = password;
    QVERIFY(!camera.hasFrame());
    wired.start(url());
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.hasFrame()), 10000);

    const QByteArray jpeg = camera.newestFrame();
    QVERIFY(jpeg.startsWith("\xFF\xD8"));
    QImage picture;
    QVERIFY(picture.loadFromData(jpeg, "JPG"));
    QCOMPARE(picture.size(), streamSize);
    // Most of the top row is the background; the moving bar covers a sixteenth of it.
    int matching = 0;
    for (int x = 0; x < picture.width(); ++x) {
        const QColor c = picture.pixelColor(x, 1);
        matching += qAbs(c.red() - background.red()) < 6 && qAbs(c.green() - background.green()) < 6
                    && qAbs(c.blue() - background.blue()) < 6;
    }
    QVERIFY2(matching > picture.width() * 3 / 4, qPrintable(QString::number(matching) + picture.pixelColor(1, 1).name()));
}

void tst_rtspCamera::recording_data()
{
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<QString>("nameEnd");
    // "ms:command" in the recording's time: a simulator command, "pause" or "resume" of the
    // recording by hand, "full" (the disk) or "room" again; a negative time: before the camera
    // starts.
    QTest::addColumn<QStringList>("events");
    QTest::newRow("automatic") << true << "_Tor_1_Ost.mkv" << QStringList();
    QTest::newRow("by hand") << false << "_Tor-1 Ost.mkv" << QStringList();
    // Automatic recording follows the clock: the gap keeps its length in the file.
    QTest::newRow("automatic, the camera restarts") << true << "_Tor_1_Ost.mkv"
                                                    << QStringList{"1000:refuse 1", "1000:close 1", "4000:accept 1"};
    // A recording by hand leaves its pauses out, as the dialog counts them.
    QTest::newRow("by hand, paused 2 s") << false << "_Tor-1 Ost.mkv" << QStringList{"2000:pause", "4000:resume"};
    // The camera's clock jumps: the file keeps the time it took.
    QTest::newRow("automatic, camera clock 30 s back") << true << "_Tor_1_Ost.mkv" << QStringList{"1500:jump 1 -30"};
    QTest::newRow("by hand, camera clock at random")
        << false << "_Tor-1 Ost.mkv" << QStringList{"700:jump 1 17", "1400:jump 1 -45", "2100:jump 1 3600"};
    QTest::newRow("automatic, parameter sets only in the stream") << true << "_Tor_1_Ost.mkv" << QStringList{"-1:inband 1"};
    // No file is tried while the disk is full; the next comes within 4 s of there being room.
    QTest::newRow("automatic, disk full, then room") << true << "_Tor_1_Ost.mkv" << QStringList{"1000:full", "6500:room"};
}

// The packets as received, in a Matroska file that starts at a key picture and lasts as long as
// the recording ran, less its pauses by hand (and less the wait for the first key picture, at
// most a second), read back by ffprobe.
void tst_rtspCamera::recording()
{
    QFETCH(bool, automatic);
    QFETCH(QString, nameEnd);
    QFETCH(QStringList, events);

    QTemporaryDir folder;
    wiredCamera wired;
    camData &camera = wired.camera;
    camera.camModule.camName = QStringLiteral("Tor-1 Ost");
    camera.camModule.CAM_User = user;
    camera.camModule.CAM_Password = password;
    const auto healed = qScopeGuard([this] { sim.command(QStringLiteral("heal 1\naccept 1")); });
    const bool inStreamOnly = events.contains(QStringLiteral("-1:inband 1"));
    while (!events.isEmpty() && events.first().startsWith(QLatin1Char('-')))
        QVERIFY(sim.command(events.takeFirst().section(QLatin1Char(':'), 1)));
    wired.start(url());
    QTRY_VERIFY_WITH_TIMEOUT((cycle(wired), camera.framesDisplayed >= 1), 10000);
    AVCodecParameters *par = avcodec_parameters_alloc();
    int num = 0;
    int den = 0;
    QVERIFY(camera.rtspStream()->streamParameters(par, &num, &den));
    const bool described = par->extradata_size > 0;
    avcodec_parameters_free(&par);
    QCOMPARE(described, !inStreamOnly);

    traceCapture trace;
    manualRecorder manual;
    if (automatic) {
        wired.settings.BildAllSaveEn = true;
        camera.camModule.CAMautoSaveEn = true;
        camera.camModule.dirCamBild = folder.path();
        camera.controlRecording();
        QVERIFY(camera.recorder().recordingActive());
    } else {
        QCOMPARE(manual.prepareFolder(folder.path()), manualRecorder::folderResult::ready);
        QVERIFY(manual.attach(&camera, true));
    }
    QElapsedTimer recorded;
    recorded.start();
    QElapsedTimer paused;
    qint64 pausedMs = 0;
    qint64 framesAfterEvents = 0;
    std::optional<fileSizeLimit> full;
    qint64 roomMs = -1;
    qint64 fileSinceMs = 0;  // when the file read back began
    qint64 nextControlMs = autoRecorder::controlPeriodSeconds * 1000;
    // A few seconds, two seconds of pictures after the last event, and a new file once there is room.
    while (recorded.elapsed() < 3000 || !events.isEmpty() || camera.framesDisplayed < framesAfterEvents + 20
           || fileSinceMs < roomMs) {
        QVERIFY2(recorded.elapsed() < 20000, "no pictures after the events");
        if (!events.isEmpty() && recorded.elapsed() >= events.first().section(QLatin1Char(':'), 0, 0).toInt()) {
            const QString command = events.takeFirst().section(QLatin1Char(':'), 1);
            if (command == QLatin1String("pause")) {
                manual.pauseRecording();
                paused.start();
            } else if (command == QLatin1String("resume")) {
                pausedMs += paused.elapsed();
                manual.startRecording();
            } else if (command == QLatin1String("full")) {
                full.emplace(rlim_t(QFileInfo(camera.recorder().recordingPath()).size() + 1000));
            } else if (command == QLatin1String("room")) {
                QVERIFY2(!camera.recorder().recordingActive(), "the full disk went unnoticed");
                QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
                full.reset();
                roomMs = recorded.elapsed();
            } else {
                QVERIFY(sim.command(command));
            }
            framesAfterEvents = camera.framesDisplayed;
        }
        // As the viewer's housekeeping does.
        if (automatic && recorded.elapsed() >= nextControlMs) {
            camera.controlRecording();
            nextControlMs += autoRecorder::controlPeriodSeconds * 1000;
        }
        if (roomMs >= 0 && fileSinceMs < roomMs && camera.recorder().recordingActive()) {
            fileSinceMs = recorded.elapsed();
            framesAfterEvents = camera.framesDisplayed;
        }
        cycle(wired);
        QTest::qWait(40);
    }
    QVERIFY(fileSinceMs - roomMs <= 4000);
    // The log names the cause.
    QCOMPARE(trace.taken().filter(QStringLiteral("Schreibfehler")).filter(QStringLiteral("File too large")).size(),
             roomMs < 0 ? 0 : 1);
    const QString path = automatic ? camera.recorder().recordingPath() : manual.currentPath();
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), roomMs < 0 ? 1 : 2);
    if (automatic)
        camera.closeRecording();
    else
        manual.stopRecording();
    const double seconds = (recorded.elapsed() - fileSinceMs - pausedMs) / 1000.0;
    QVERIFY2(path.endsWith(nameEnd), qPrintable(path));

    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=format_name,duration:stream=codec_name,width,height",
                                           "-of", "default=noprint_wrappers=1", path});
    QVERIFY(probe.waitForFinished(10000));
    const QString shown = QString::fromUtf8(probe.readAllStandardOutput() + probe.readAllStandardError());
    QVERIFY2(shown.startsWith(QLatin1String("codec_name=h264\nwidth=320\nheight=180\nformat_name=matroska")),
             qPrintable(shown));
    const double duration = shown.section(QLatin1String("duration="), 1).section(QLatin1Char('\n'), 0, 0).toDouble();
    QVERIFY2(duration > seconds - 1.3 && duration < seconds + 0.2,
             qPrintable(QStringLiteral("%1 s in the file, %2 s recorded").arg(duration).arg(seconds)));
}

QTEST_MAIN(tst_rtspCamera)
#include "tst_rtspcamera.moc"
