#include "camdata.h"
#include "camhandel.h"
#include "commanddispatch.h"
#include "commandsender.h"
#include "dispatchhost.h"
#include "shellsettings.h"
#include "tracecapture.h"

#include <QNetworkDatagram>
#include <QPushButton>
#include <QTest>
#include <QUdpSocket>

namespace {

// Door output 1 and light output 2 of every intercom module, camera/IO outputs 3 and 4.
constexpr int sipDoor = 1;
constexpr int sipLight = 2;

class fakeHost : public dispatchHost {
public:
    QStringList calls;
    bool pictureWritten = true;
    void startCam(camData *cam) override { calls << "start " + cam->camModule.camName; }
    void startAllCams() override { calls << "start all"; }
    void refreshStartStopLabel() override { calls << "label"; }
    bool savePictures(camData *cam) override
    {
        calls << "save " + cam->camModule.camName + (cam->savePictureRequest() ? "" : " without request");
        return pictureWritten;
    }
    bool printPicture(camData *cam) override
    {
        calls << "print " + cam->camModule.camName;
        return true;
    }
    void startVideo(camData *cam) override { calls << "video " + cam->camModule.camName; }
};

// The control ports of one camera's two modules, each on its own loopback address.
struct moduleEnds {
    QUdpSocket sip;
    QUdpSocket cam;
};

// One row's world: cameras "A", "B", ... with their module ends, a sender, a host and the dispatch.
class rig {
public:
    explicit rig(int cameraCount)
        : sender(&own), dispatch(host, sender, settings, cameras, startAll, startStop)
    {
        settings.RemoteCtrl = true;
        for (int i = 0; i < cameraCount; ++i) {
            auto *cam = new camData(QPixmap(), nullptr);
            auto *ends = new moduleEnds;
            const QHostAddress sipAddress(QStringLiteral("127.0.0.%1").arg(10 + 2 * i));
            const QHostAddress camAddress(QStringLiteral("127.0.0.%1").arg(11 + 2 * i));
            bound = bound && ends->sip.bind(sipAddress, 0) && ends->cam.bind(camAddress, 0);
            cam->camModule.camName = QString(QChar('A' + i));
            cam->sipModuleRec.sipName = "Station " + cam->camModule.camName;
            cam->sipModuleRec.SIP_IP = sipAddress.toString();
            cam->sipModuleRec.hostAddress = sipAddress;
            cam->sipModuleRec.UDP_Contrl_SIP = ends->sip.localPort();
            cam->sipModuleRec.SIP_tuer = sipDoor;
            cam->sipModuleRec.SIP_light = sipLight;
            cam->camModule.IP = camAddress.toString();
            cam->camModule.hostAddress = camAddress;
            cam->camModule.UDP_Contrl_CAM = ends->cam.localPort();
            cam->camModule.CAM_tuer = 3;
            cam->camModule.CAM_light = 4;
            cameras << cam;
            modules << ends;
        }
    }
    ~rig()
    {
        qDeleteAll(cameras);
        qDeleteAll(modules);
    }

    camData *camera(QChar name) const { return cameras.at(name.unicode() - 'A'); }

    // Runs one tick and names what it did: "1:A door" (result, then camera and command).
    QString tick()
    {
        host.calls.clear();
        const int sequenceBefore = sender.sequence();
        const bool result = dispatch.camMsgHand(cameras.value(0));
        const int sent = (sender.sequence() - sequenceBefore + 256) % 256;
        QStringList events = host.calls;
        events += framesSent(sent);
        return QString::number(result) + ":" + events.join(", ");
    }

    // Collects the frames a tick sent; any stray one shows up as an extra entry.
    QStringList framesSent(int expected)
    {
        QStringList frames;
        // A missing frame shows in the comparison of the tick's events.
        (void)QTest::qWaitFor([&] {
            for (int i = 0; i < modules.size(); ++i) {
                for (QUdpSocket *socket : {&modules.at(i)->sip, &modules.at(i)->cam}) {
                    while (socket->hasPendingDatagrams())
                        frames << describe(QChar('A' + i), socket == &modules.at(i)->sip,
                                           socket->receiveDatagram().data());
                }
            }
            return frames.size() >= expected;
        }, 2000);
        return frames;
    }

    QHostAddress own{QStringLiteral("127.0.0.1")};
    fakeHost host;
    commandSender sender;
    shellSettings settings;
    QList<camData *> cameras;
    QList<moduleEnds *> modules;
    bool startAll = false;
    bool startStop = false;
    commandDispatch dispatch;
    bool bound = true;

private:
    static QString describe(QChar camera, bool intercom, const QByteArray &frame)
    {
        const QString module = intercom ? "intercom" : "camera/IO";
        if (frame.startsWith("BSRCMD"))
            return QString("%1 hang-up %2").arg(camera).arg(module);
        return QString("%1 output %2 %3").arg(camera).arg(QChar(frame.at(15))).arg(module);
    }
};

void setRequests(camData *cam, const QString &letters)
{
    cam->setForceMsgToCamTuer(letters.contains('d'));
    cam->setLightRequest(letters.contains('l'));
    cam->setCallRequest(letters.contains('c'));
    cam->setSaveCommand(letters.contains('s'));
    cam->setPrintCommand(letters.contains('p'));
    cam->setVideoCommand(letters.contains('v'));
}

} // namespace

class tst_commandDispatch : public QObject {
    Q_OBJECT

private slots:
    void buttonWaitsForCurrentCamera();
    void pressBoundToPanelCamera_data();
    void pressBoundToPanelCamera();
    void order_data();
    void order();
    void outputChoice_data();
    void outputChoice();
    void hangUpBlocksLaterCameras();
    void hangUpKeptWhileRemoteOff();
    void startStop();
};

void tst_commandDispatch::buttonWaitsForCurrentCamera()
{
    rig world(1);
    camHandel panel(world.settings);
    panel.findChild<QPushButton *>("TuerOfnenPB")->click();
    world.dispatch.processButtons(panel, nullptr);
    QCOMPARE(panel.pendingButton(), int(camHandel::door));
    world.dispatch.processButtons(panel, world.camera('A'));
    QVERIFY(world.camera('A')->forceMsgToCamTuer());
}

void tst_commandDispatch::pressBoundToPanelCamera_data()
{
    QTest::addColumn<QString>("afterPress");  // what happens between the press and the tick
    QTest::addColumn<QString>("flagged");     // cameras whose door request is set afterwards

    QTest::newRow("another camera became current") << "current B" << "A";
    QTest::newRow("panel reopened for another camera") << "reopen B" << "A";
    QTest::newRow("camera released") << "release A" << "";
    QTest::newRow("camera left the list") << "remove A" << "";
}

// A press applies to the camera whose panel it came from, never to what is current by the tick.
void tst_commandDispatch::pressBoundToPanelCamera()
{
    QFETCH(QString, afterPress);
    rig world(2);
    camData *a = world.camera('A');
    camData *b = world.camera('B');
    camHandel panel(world.settings);
    panel.setCamera(a);
    panel.findChild<QPushButton *>("TuerOfnenPB")->click();
    if (afterPress == "reopen B")
        panel.setCamera(b);
    else if (afterPress == "release A")
        panel.releaseCamera(a);
    else if (afterPress == "remove A")
        world.cameras.removeOne(a);

    world.dispatch.processButtons(panel, b);
    QString flagged;
    if (a->forceMsgToCamTuer())
        flagged += 'A';
    if (b->forceMsgToCamTuer())
        flagged += 'B';
    QTEST(flagged, "flagged");
    QCOMPARE(panel.pendingButton(), int(camHandel::none));
    if (!world.cameras.contains(a))
        world.cameras.prepend(a);
}

void tst_commandDispatch::order_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QStringList>("requests");  // per camera, letters as in setRequests
    QTest::addColumn<QStringList>("ticks");
    QTest::addColumn<bool>("pictureWritten");   // what saving the picture reports

    QTest::newRow("one request per tick: door, light, save")
        << true << QStringList{"dls"}
        << QStringList{"1:A output 1 intercom", "1:A output 2 intercom", "1:save A", "0:"} << true;
    QTest::newRow("list order")
        << true << QStringList{"l", "d"} << QStringList{"1:A output 2 intercom", "1:B output 1 intercom", "0:"}
        << true;
    QTest::newRow("call request consumed, later cameras wait a tick")
        << true << QStringList{"c", "d"} << QStringList{"0:", "1:B output 1 intercom", "0:"} << true;
    QTest::newRow("call request keeps save of its camera waiting")
        << true << QStringList{"cs"} << QStringList{"0:", "1:save A", "0:"} << true;
    QTest::newRow("print with empty queue does nothing")
        << true << QStringList{"p", "d"} << QStringList{"0:", "1:B output 1 intercom", "0:"} << true;
    QTest::newRow("video does not end the tick's work")
        << true << QStringList{"v", "s"} << QStringList{"0:video A", "1:save B", "0:"} << true;
    QTest::newRow("remote control off discards door, light and call")
        << false << QStringList{"dlcs", "d"} << QStringList{"1:save A", "0:", "0:"} << true;
    QTest::newRow("save ends the tick even when nothing was written")
        << true << QStringList{"s", "d"} << QStringList{"1:save A", "1:B output 1 intercom", "0:"} << false;
}

void tst_commandDispatch::order()
{
    QFETCH(bool, remote);
    QFETCH(QStringList, requests);
    QFETCH(QStringList, ticks);
    QFETCH(bool, pictureWritten);

    rig world(requests.size());
    QVERIFY(world.bound);
    world.settings.RemoteCtrl = remote;
    world.host.pictureWritten = pictureWritten;
    for (int i = 0; i < requests.size(); ++i)
        setRequests(world.cameras.at(i), requests.at(i));
    QStringList done;
    for (int i = 0; i < ticks.size(); ++i)
        done << world.tick();
    QCOMPARE(done, ticks);
}

void tst_commandDispatch::outputChoice_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("sipOutput");
    QTest::addColumn<int>("camOutput");
    QTest::addColumn<QString>("tick");

    QTest::newRow("door: intercom output first") << "d" << 1 << 3 << "1:A output 1 intercom";
    QTest::newRow("door: camera/IO output without intercom one") << "d" << 0 << 3 << "1:A output 3 camera/IO";
    QTest::newRow("door: no output, discarded") << "d" << 0 << 0 << "1:";
    QTest::newRow("light: intercom output first") << "l" << 2 << 4 << "1:A output 2 intercom";
    QTest::newRow("light: camera/IO output without intercom one") << "l" << 0 << 4 << "1:A output 4 camera/IO";
    QTest::newRow("light: no output, discarded") << "l" << 0 << 0 << "1:";
}

void tst_commandDispatch::outputChoice()
{
    QFETCH(QString, request);
    QFETCH(int, sipOutput);
    QFETCH(int, camOutput);

    rig world(1);
    QVERIFY(world.bound);
    camData *cam = world.camera('A');
    const bool door = request == "d";
    (door ? cam->sipModuleRec.SIP_tuer : cam->sipModuleRec.SIP_light) = sipOutput;
    (door ? cam->camModule.CAM_tuer : cam->camModule.CAM_light) = camOutput;
    setRequests(cam, request);
    QTEST(world.tick(), "tick");
    QCOMPARE(world.tick(), QStringLiteral("0:"));
}

void tst_commandDispatch::hangUpBlocksLaterCameras()
{
    rig world(2);
    QVERIFY(world.bound);
    camHandel panel(world.settings);
    panel.findChild<QPushButton *>("verbTrennPB")->click();
    traceCapture captured;
    world.dispatch.processButtons(panel, world.camera('A'));
    setRequests(world.camera('B'), "d");

    QCOMPARE(world.tick(), QStringLiteral("1:A output 1 intercom"));
    QVERIFY(captured.contains("!!! pbo=&aDa->forceMsgToCamTuer !!!  (Tür-öffnen ...) "));
    for (int wait = 1; wait < commandDispatch::hangUpTicks; ++wait) {
        // Start-all is still served while the hang-up waits, and does not count as a waiting tick.
        if (wait == 10) {
            world.startAll = true;
            QCOMPARE(world.tick(), QStringLiteral("1:start all"));
            QVERIFY(!world.startAll);
        }
        QCOMPARE(world.tick(), QStringLiteral("0:"));
        QVERIFY(world.camera('B')->forceMsgToCamTuer());
    }
    QCOMPARE(world.tick(), QStringLiteral("1:A hang-up intercom"));
    QVERIFY(captured.contains("!!! pbo=&aDa->forceMsgVerbTrenen !!! (Verbindung trennen)  "));
    QCOMPARE(world.camera('A')->hangUpWait(), 0);
    QCOMPARE(world.tick(), QStringLiteral("1:B output 1 intercom"));
    QCOMPARE(world.tick(), QStringLiteral("0:"));
}

void tst_commandDispatch::hangUpKeptWhileRemoteOff()
{
    rig world(1);
    QVERIFY(world.bound);
    world.settings.RemoteCtrl = false;
    camData *cam = world.camera('A');
    camHandel panel(world.settings);
    panel.findChild<QPushButton *>("verbTrennPB")->click();
    world.dispatch.processButtons(panel, cam);

    for (int i = 0; i < 60; ++i)
        QCOMPARE(world.tick(), QStringLiteral("0:"));
    QVERIFY(!cam->forceMsgToCamTuer());
    QVERIFY(cam->forceMsgVerbTrenen());

    world.settings.RemoteCtrl = true;
    for (int wait = 1; wait < commandDispatch::hangUpTicks; ++wait)
        QCOMPARE(world.tick(), QStringLiteral("0:"));
    QCOMPARE(world.tick(), QStringLiteral("1:A hang-up intercom"));
    QVERIFY(!cam->forceMsgVerbTrenen());
}

void tst_commandDispatch::startStop()
{
    rig world(1);
    QVERIFY(world.bound);
    camData *cam = world.camera('A');
    cam->setUserStopped(true);
    setRequests(cam, "d");
    world.startStop = true;
    // Start/stop comes before the cameras' requests; a stream without connection is started.
    QCOMPARE(world.tick(), QStringLiteral("1:start A, label"));
    QVERIFY(!world.startStop);
    QVERIFY(!cam->isUserStopped());
    QCOMPARE(world.tick(), QStringLiteral("1:A output 1 intercom"));
}

QTEST_MAIN(tst_commandDispatch)
#include "tst_commanddispatch.moc"
