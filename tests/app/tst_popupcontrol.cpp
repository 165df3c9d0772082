#include "viewerfixture.h"
#include "notificationbus.h"

#include "camhandel.h"
#include "inidata.h"
#include "owngraphscene.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QGraphicsSceneMouseEvent>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QRegularExpression>
#include <QUdpSocket>
#include <QWindow>
#include <QtTest>

// Door events end to end: real datagrams from the modules' loopback addresses, the viewer's
// own timer, the window popping up and hiding again.
class tst_popupControl : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startHidden_data();
    void startHidden();
    void doorCallPopsUpAndHidesAfterTimeout();
    void soundWithoutAudioDeviceCarriesOn();
    void edgeModeHidesWhenInputEnds();
    void edgeModeTrayShowKeepsDoorCall_data();
    void edgeModeTrayShowKeepsDoorCall();
    void autoPopupOffDiscardsShowRequests();
    void singlePictureOfCallingCamera();
    void callingCameraIsCurrent_data();
    void callingCameraIsCurrent();
    void minimiseArmsHide();
    void panelDoorButtonSendsFrame();
    void notifications_data();
    void notifications();

private:
    void startViewer(int modules, const QString &window, const QString &system = {},
                     const QString &module = {});
    void send(const QString &from, quint16 port, const QByteArray &datagram);

    std::unique_ptr<viewerFixture> fixture;
    std::unique_ptr<ownCam> viewer;
    quint16 camPort = 0;
    quint16 sipPort = 0;
    notificationBus bus;
};

// Every viewer of this test sends its notifications to the test's own server.
void tst_popupControl::initTestCase()
{
    QVERIFY2(bus.start(), "dbus-daemon (scripts/install-deps.sh installs it) did not start");
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
}

void tst_popupControl::init()
{
    bus.server.log.clear();
    bus.server.calls.clear();
    bus.server.nextId = 1;
    fixture = std::make_unique<viewerFixture>();
    camPort = viewerFixture::freeUdpPort();
    sipPort = viewerFixture::freeUdpPort();
}

void tst_popupControl::cleanup()
{
    viewer.reset();
    fixture.reset();
}

void tst_popupControl::startViewer(int modules, const QString &window, const QString &system,
                                   const QString &module)
{
    // A status port read from the file is used until the next save.
    const QString ports = QStringLiteral("UDP_Status_CAM=%1\nUDP_Status_SIP=%2\nSIP_popup=7\nallRufNr=1\nCAM_popup=3\n")
                              .arg(camPort)
                              .arg(sipPort);
    fixture->writeIni(modules, window, system, module + ports);
    viewer = fixture->start();
    viewer->show();
    QTRY_VERIFY(!viewer->ticks().firstTick && !viewer->ticks().startupPending);
}

void tst_popupControl::send(const QString &from, quint16 port, const QByteArray &datagram)
{
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress(from), 0));
    QCOMPARE(socket.writeDatagram(datagram, QHostAddress::LocalHost, port), qint64(datagram.size()));
}

void tst_popupControl::startHidden_data()
{
    QTest::addColumn<bool>("hideStart");
    QTest::addColumn<bool>("autohide");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("streaming");  // every camera's stream asked for at once
    QTest::newRow("start hidden") << true << true << 100 << true << false;
    QTest::newRow("start hidden, longest time-out") << true << true << 1000 << true << false;
    QTest::newRow("no auto-hide: stays") << true << false << 100 << false << true;
    QTest::newRow("shown at start") << false << true << 100 << false << true;
    QTest::newRow("shown at start, no auto-hide") << false << false << 100 << false << true;
}

void tst_popupControl::startHidden()
{
    QFETCH(bool, hideStart);
    QFETCH(bool, autohide);
    QFETCH(int, timeout);
    QFETCH(bool, hidden);
    QFETCH(bool, streaming);
    startViewer(2, QStringLiteral("Autohide=%1\nTimeout=%2\n").arg(int(autohide)).arg(timeout),
                QStringLiteral("HideStartEn=%1\n").arg(int(hideStart)));
    viewerFixture::tick(*viewer, 4);
    QCOMPARE(viewer->isHidden(), hidden);
    // Not after the stall time: the first picture is on its tile within a tick of its arrival.
    for (const camData *cam : viewer->state().cameras())
        QCOMPARE(cam->requestIdValue() >= 0, streaming);
}

void tst_popupControl::doorCallPopsUpAndHidesAfterTimeout()
{
    startViewer(2, QStringLiteral("Autohide=1\nTimeout=1\nAuto_Popup=1\n"), QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    camData *called = viewer->state().cameras()[1];

    send(QStringLiteral("127.0.1.3"), sipPort, "3#07@100\r\n");
    QTRY_VERIFY(viewer->isVisible());
    // Over what the user is doing, without taking the keyboard: the window manager is told so.
    QVERIFY(viewer->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(viewer->windowHandle()->property("_q_showWithoutActivating").toBool());
    QTRY_VERIFY(called->isRunning());  // the popup starts every stream
    QTRY_VERIFY(called->caption().contains(QLatin1String("Eingehender Ruf von Cam 1")));
    QVERIFY(!viewer->state().cameras()[0]->caption().contains(QLatin1String("Eingehender")));

    // The call holds the window, even at an expired time-out; its end lets the time-out run from
    // the last tick that saw the call, so the clock starts before this one.
    QElapsedTimer sinceEnd;
    sinceEnd.start();
    viewer->state().requests().expireNow = true;
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->isVisible());
    send(QStringLiteral("127.0.1.3"), sipPort, "3#0A@\r\n");
    QTRY_VERIFY(viewer->isHidden());
    QVERIFY(sinceEnd.elapsed() >= 1000);
    QVERIFY(!called->sipModuleRec.status.callForced);

    // Opened by the user, it takes the keyboard.
    viewer->ShowNormGrWin();
    QVERIFY(viewer->isVisible());
    QVERIFY(!viewer->testAttribute(Qt::WA_ShowWithoutActivating));
}

void tst_popupControl::soundWithoutAudioDeviceCarriesOn()
{
    // A short silent WAV file; the test machine may well have no audio device at all.
    const QString wav = fixture->dir.filePath(QStringLiteral("ding.wav"));
    {
        QFile file(wav);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QDataStream out(&file);
        out.setByteOrder(QDataStream::LittleEndian);
        const quint32 samples = 800;
        file.write("RIFF");
        out << quint32(36 + samples * 2);
        file.write("WAVEfmt ");
        out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2) << quint16(16);
        file.write("data");
        out << quint32(samples * 2);
        file.write(QByteArray(int(samples * 2), '\0'));
    }
    startViewer(1, QStringLiteral("Autohide=1\nTimeout=100\nAuto_Popup=1\n"),
                QStringLiteral("HideStartEn=1\nSoundEn=1\nSoundfile=%1\n").arg(wav));
    QTRY_VERIFY(viewer->isHidden());
    send(QStringLiteral("127.0.1.2"), sipPort, "3#07@100\r\n");
    QTRY_VERIFY(viewer->isVisible());
    QVERIFY(!viewer->state().cameras()[0]->soundRequest());
    viewerFixture::tick(*viewer, 3);
    QVERIFY(viewer->isVisible());
}

void tst_popupControl::edgeModeHidesWhenInputEnds()
{
    startViewer(1, QStringLiteral("Autohide=1\nFlanke=1\nTimeout=100\nAuto_Popup=1\n"),
                QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    send(QStringLiteral("127.0.0.2"), camPort, "17#A1@1000Dx");
    QTRY_VERIFY(viewer->isVisible());
    viewerFixture::tick(*viewer, 10);
    QVERIFY(viewer->isVisible());
    // No waiting for the 100 s time-out: the falling edge hides.
    send(QStringLiteral("127.0.0.2"), camPort, "17#A1@1010Dx");
    QTRY_VERIFY(viewer->isHidden());
}

void tst_popupControl::edgeModeTrayShowKeepsDoorCall_data()
{
    QTest::addColumn<bool>("maximise");
    QTest::newRow("Wiederherstellen") << false;
    QTest::newRow("Maximieren") << true;
}

// A door call that arrived in the 40 ms before the user opens the window from the tray is still
// the status events' to take: it keeps its sound and holds the time-out.
void tst_popupControl::edgeModeTrayShowKeepsDoorCall()
{
    QFETCH(bool, maximise);
    startViewer(1, QStringLiteral("Autohide=1\nFlanke=1\nTimeout=100\nAuto_Popup=1\n"),
                QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    camData *cam = viewer->state().cameras().first();
    moduleStatus &sip = cam->sipModuleRec.status;
    sip.popupRequest = sip.statusEvent = sip.callForced = sip.callActive = true;  // as a call sets them
    if (maximise)
        viewer->ShowMaxGrWin();
    else
        viewer->ShowNormGrWin();
    QVERIFY(sip.popupRequest);
    viewerFixture::tick(*viewer);
    QVERIFY(cam->popupRequest());
    QVERIFY(!sip.statusEvent);
    QVERIFY(viewer->isVisible());
}

void tst_popupControl::autoPopupOffDiscardsShowRequests()
{
    startViewer(1, QStringLiteral("Autohide=1\nTimeout=100\nAuto_Popup=0\n"), QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    send(QStringLiteral("127.0.1.2"), sipPort, "3#07@100\r\n");
    QTRY_VERIFY(viewer->state().cameras()[0]->sipModuleRec.status.callForced);
    viewerFixture::tick(*viewer, 3);
    QVERIFY(viewer->isHidden());
    QVERIFY(!viewer->state().cameras()[0]->showRequest());
    QVERIFY(!viewer->state().cameras()[0]->soundRequest());
}

void tst_popupControl::singlePictureOfCallingCamera()
{
    startViewer(3, QStringLiteral("Autohide=1\nTimeout=100\nAuto_Popup=1\neinzelBild=1\n"),
                QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    QCOMPARE(viewer->state().currentIndex(), 2);
    send(QStringLiteral("127.0.1.3"), sipPort, "3#07@100\r\n");
    QTRY_VERIFY(viewer->isVisible());
    QTRY_COMPARE(viewer->state().settings().dispForm, 0);
    QCOMPARE(viewer->state().currentIndex(), 1);
}

void tst_popupControl::callingCameraIsCurrent_data()
{
    QTest::addColumn<bool>("doorCall");  // else an IO alarm
    QTest::newRow("door call") << true;
    QTest::newRow("IO alarm") << false;
}

// The camera a door event pops up is the current one: the first click on its tile opens its panel.
void tst_popupControl::callingCameraIsCurrent()
{
    QFETCH(bool, doorCall);
    startViewer(3, QStringLiteral("Autohide=1\nTimeout=100\nAuto_Popup=1\nnPicCol=2\nnPicRow=2\n"),
                QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    QCOMPARE(viewer->state().currentIndex(), 2);
    if (doorCall)
        send(QStringLiteral("127.0.1.2"), sipPort, "3#07@100\r\n");
    else
        send(QStringLiteral("127.0.0.2"), camPort, "17#A1@1000Dx");
    QTRY_VERIFY(viewer->isVisible());
    QCOMPARE(viewer->state().currentIndex(), 0);
    viewerFixture::tick(*viewer);
    QGraphicsSceneMouseEvent click(QEvent::GraphicsSceneMouseRelease);
    click.setButton(Qt::LeftButton);
    click.setScenePos(QPointF(10, 10));
    QCoreApplication::sendEvent(viewer->scene(), &click);
    QVERIFY(viewer->state().shellRequests().leftClick);
    QTRY_VERIFY((viewerFixture::tick(*viewer), viewer->panel()->isVisible()));
    QCOMPARE(viewer->panel()->windowTitle(), QStringLiteral("Cam 0"));
}

void tst_popupControl::minimiseArmsHide()
{
    startViewer(1, QStringLiteral("Autohide=0\nAuto_Popup=1\n"));
    viewerFixture::tick(*viewer, 3);
    viewer->ShowNormGrWin();
    QVERIFY(viewer->popup().userShown);
    viewer->HideGrWin();
    QVERIFY(viewer->popup().hideArmed);
    QVERIFY(viewer->state().requests().stopCameras);
    viewerFixture::tick(*viewer, 3);
    QVERIFY(viewer->isHidden());

    // Armed, the window stays hidden until an event pops it up.
    send(QStringLiteral("127.0.1.2"), sipPort, "3#07@100\r\n");
    QTRY_VERIFY(viewer->isVisible());
    QVERIFY(!viewer->popup().hideArmed);
}

void tst_popupControl::panelDoorButtonSendsFrame()
{
    QUdpSocket module;
    QVERIFY(module.bind(QHostAddress(QStringLiteral("127.0.1.2")), 0));
    const QString password = iniData::scrambleText(QStringLiteral("4711"), QStringLiteral("127.0.1.2"), false);
    startViewer(1, QStringLiteral("Autohide=0\n"), QStringLiteral("RemoteCtrl=1\n"),
                QStringLiteral("SIP_tuer=1\nRelais_timeSIP=3\nSIP_Password=%1\nUDP_Contrl_SIP=%2\n")
                    .arg(password)
                    .arg(module.localPort()));
    viewerFixture::tick(*viewer, 3);

    QGraphicsSceneMouseEvent click(QEvent::GraphicsSceneMouseRelease);
    click.setButton(Qt::LeftButton);
    click.setScenePos(QPointF(10, 10));
    QCoreApplication::sendEvent(viewer->scene(), &click);
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->panel()->isVisible());
    viewer->panel()->findChild<QPushButton *>(QStringLiteral("TuerOfnenPB"))->click();
    QVERIFY(!viewer->panel()->isVisible());
    viewerFixture::tick(*viewer, 2);

    QTRY_VERIFY(module.hasPendingDatagrams());
    // Own address 127.0.0.1, sequence 0, output 1, 3 s, password, checksum.
    QByteArray expected = "BSREM7F00000100103" "4711";
    quint8 sum = 0;
    for (char c : expected)
        sum += quint8(c);
    expected += QByteArray::number(sum, 16).toUpper().rightJustified(2, '0');
    QCOMPARE(module.receiveDatagram().data(), expected);
}

void tst_popupControl::notifications_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("system");
    // "call", "talk", "end", "alarm", "show" or "action", each with the server's log length after it
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("expected");  // the server's log
    QTest::addColumn<QString>("summary");  // of every notification
    const QString popup = QStringLiteral("Autohide=1\nTimeout=100\nAuto_Popup=1\n");
    const QString call = QStringLiteral("notify Sprechstelle Door 1, Kamera Cam 1 ");
    const QString alarm = QStringLiteral("notify IO-Modul 127.0.0.3, Kamera Cam 1 ");
    // Nobody answered: the notification says so and stays for the call history.
    QTest::newRow("door call and hang-up") << popup << "" << QStringList{"call 1", "end 2"}
                                           << QStringList{call + "0>1", "notify Verpasster Ruf von Cam 1 um hh:mm 1>1"}
                                           << "Eingehender Ruf";
    QTest::newRow("answered door call and hang-up") << popup << "" << QStringList{"call 1", "talk 1", "end 2"}
                                                    << QStringList{call + "0>1", "close 1"} << "Eingehender Ruf";
    // Every report of an active input raises the alarm again.
    QTest::newRow("IO alarm repeated, then the window shown")
        << popup << "" << QStringList{"alarm 1", "alarm 2", "show 3"}
        << QStringList{alarm + "0>1", alarm + "1>1", "close 1"} << "Alarm an Eingang IO.1";
    QTest::newRow("Anzeigen shows the calling camera") << popup << "" << QStringList{"call 1", "action 2"}
                                                       << QStringList{call + "0>1", "close 1"} << "Eingehender Ruf";
    QTest::newRow("switched off") << popup << "NotifyEn=0\n" << QStringList{"call 0", "end 0"} << QStringList{}
                                  << "";
    QTest::newRow("no popup, no notification") << "Autohide=1\nTimeout=100\nAuto_Popup=0\n" << ""
                                               << QStringList{"call 0", "end 0"} << QStringList{} << "";
}

void tst_popupControl::notifications()
{
    QFETCH(QString, window);
    QFETCH(QString, system);
    QFETCH(QStringList, events);
    QFETCH(QStringList, expected);
    startViewer(3, window, system + QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    camData *called = viewer->state().cameras()[1];
    for (const QString &step : events) {
        const QString event = step.section(' ', 0, 0);
        const int logged = step.section(' ', 1).toInt();
        if (event == "call")
            send(QStringLiteral("127.0.1.3"), sipPort, "3#07@100\r\n");
        else if (event == "talk")
            send(QStringLiteral("127.0.1.3"), sipPort, "3#05@100\r\n");
        else if (event == "end")
            send(QStringLiteral("127.0.1.3"), sipPort, "3#0A@\r\n");
        else if (event == "alarm")
            send(QStringLiteral("127.0.0.3"), camPort, "17#A1@1000Dx");
        else if (event == "show")
            viewer->showOnRequest();
        else if (event == "action")
            bus.emitSignal(QStringLiteral("ActionInvoked"), {1u, QStringLiteral("default")});
        if (logged == 0) {
            // Nothing is to come of it: once the viewer has seen the event, nothing came.
            QTRY_COMPARE(called->sipModuleRec.status.callForced, event == "call");
            viewerFixture::tick(*viewer, 2);
            QVERIFY(notificationBus::roundTrip(QDBusConnection::sessionBus()));
        }
        QTRY_COMPARE(bus.server.log.size(), logged);
    }
    QStringList log = bus.server.log;
    log.replaceInStrings(QRegularExpression(QStringLiteral(" um \\d\\d:\\d\\d ")), QStringLiteral(" um hh:mm "));
    QCOMPARE(log, expected);
    // Sent by the edition, with its themed icon (drawn at the size the server wants); a missed
    // call's notification says so in its summary.
    for (const notificationServer::call &sent : std::as_const(bus.server.calls)) {
        if (sent.body.startsWith(QLatin1String("Verpasster")))
            QCOMPARE(sent.summary, QStringLiteral("Verpasster Ruf"));
        else
            QTEST(sent.summary, "summary");
        QCOMPARE(sent.appName, QStringLiteral("Marviton.DX-CAM-Viewer V2.2.6"));
        QCOMPARE(sent.icon, QStringLiteral("de.marviton.dxcamviewer"));
    }
    if (events.last().startsWith("action")) {
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->state().currentCamera(), called);
    }
}

QTEST_MAIN(tst_popupControl)
#include "tst_popupcontrol.moc"
