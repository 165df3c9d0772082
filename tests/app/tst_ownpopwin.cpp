#include "viewerfixture.h"

#include "camhandel.h"
#include "owngraphscene.h"
#include "popuponewin.h"
#include "../stream/testcamera.h"

#include <QGraphicsSceneMouseEvent>
#include <QNetworkDatagram>
#include <QPrintDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QUdpSocket>
#include <QWindow>
#include <QtTest>

// Door events shown in the separate popup window (OwnPopWin): real datagrams from the modules'
// loopback addresses, a loopback camera, the viewer's own timer.
class tst_ownPopWin : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void callShowsPopupWindow_data();
    void callShowsPopupWindow();
    void tabChoiceMakesCameraCurrent();
    void doorFrameForPanelCamera_data();
    void doorFrameForPanelCamera();

private:
    void startViewer(const QString &window, const QString &system = {}, const QString &cameraUrl = {},
                     const QString &subUrl = {});
    void call(int module);
    QTabBar *tabBar() const;

    std::unique_ptr<viewerFixture> fixture;
    std::unique_ptr<ownCam> viewer;
    quint16 sipPort = 0;
    quint16 controlPort = 0;
};

void tst_ownPopWin::init()
{
    fixture = std::make_unique<viewerFixture>();
    sipPort = viewerFixture::freeUdpPort();
    controlPort = viewerFixture::freeUdpPort();
}

void tst_ownPopWin::cleanup()
{
    viewer.reset();
    fixture.reset();
}

// Two modules, "Cam 0" and "Cam 1", with door stations 127.0.1.2 and 127.0.1.3; the second
// streams from `cameraUrl` when one is given.
void tst_ownPopWin::startViewer(const QString &window, const QString &system, const QString &cameraUrl,
                                const QString &subUrl)
{
    const QString module = QStringLiteral("UDP_Status_SIP=%1\nUDP_Contrl_SIP=%2\nSIP_popup=7\nallRufNr=1\nSIP_tuer=1\n")
                               .arg(sipPort)
                               .arg(controlPort);
    fixture->writeText(QStringLiteral("\n[Window]\n") + window
                       + QStringLiteral("OwnPopWin=1\nAuto_Popup=1\nhx=100\nhy=100\nhwidth=400\nhheight=300\n"
                                        "x=30\ny=40\nwidth=320\nheight=240\nBildRahmeEin=1\n\n[System]\n")
                       + system + QStringLiteral("ownIP=127.0.0.1\n") + viewerFixture::moduleSection(0, module)
                       + viewerFixture::moduleSection(1, module).replace(
                           QStringLiteral("IP=127.0.0.3\n"),
                           cameraUrl.isEmpty() ? QStringLiteral("IP=127.0.0.3\n") : QStringLiteral("URL=%1\n").arg(cameraUrl))
                       + (subUrl.isEmpty() ? QString() : QStringLiteral("URL_Sub=%1\n").arg(subUrl)));
    viewer = fixture->start();
    viewer->show();
    QTRY_VERIFY(!viewer->ticks().firstTick && !viewer->ticks().startupPending);
}

void tst_ownPopWin::call(int module)
{
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress(QStringLiteral("127.0.1.%1").arg(2 + module)), 0));
    socket.writeDatagram("3#07@100\r\n", QHostAddress::LocalHost, sipPort);
}

QTabBar *tst_ownPopWin::tabBar() const
{
    return viewer->popupWindow()->findChild<QTabWidget *>(QStringLiteral("popTW"))->tabBar();
}

void tst_ownPopWin::callShowsPopupWindow_data()
{
    QTest::addColumn<bool>("popAlle");
    QTest::addColumn<bool>("clickOtherTile");
    QTest::addColumn<bool>("subStream");  // the camera has a small stream (blue) for the grid
    QTest::newRow("popup window only") << false << false << false;
    QTest::newRow("main window too (pop_Alle)") << true << false << false;
    QTest::newRow("pop_Alle, the other camera's tile clicked") << true << true << false;
    QTest::newRow("a sub-stream: the popup from the main stream") << false << false << true;
}

// The calling camera becomes current and shows live in its tab; the main window comes up only
// with pop_Alle. The stream of the calling camera runs even while the main window stays hidden.
void tst_ownPopWin::callShowsPopupWindow()
{
    QFETCH(bool, popAlle);
    QFETCH(bool, clickOtherTile);
    QFETCH(bool, subStream);
    cameraStub camera;
    camera.picture = solidJpeg(QSize(640, 480), Qt::darkGreen);
    camera.copies = 5;
    QVERIFY(camera.listen(QHostAddress::LocalHost));
    cameraStub small;
    small.picture = solidJpeg(QSize(160, 120), Qt::blue);
    QVERIFY(small.listen(QHostAddress::LocalHost));
    startViewer(QStringLiteral("Autohide=1\nTimeout=100\npop_Alle=%1\n").arg(int(popAlle)),
                QStringLiteral("HideStartEn=1\n"), camera.url("/stream"), subStream ? small.url("/stream") : QString());
    QTRY_VERIFY(viewer->isHidden());
    popupOneWin *popup = viewer->popupWindow();
    QVERIFY(popup->isHidden());
    // Stopped for a while: its silence count has run on to just before the stall time.
    camDataProbe::noDataMs(*viewer->state().cameras()[1]) = 4990;

    call(1);
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(popup->windowHandle()->property("_q_showWithoutActivating").toBool());
    QCOMPARE(viewer->state().currentCamera(), viewer->state().cameras()[1]);
    QCOMPARE(popup->currentCamera(), viewer->state().cameras()[1]);
    QCOMPARE(popup->tabCount(), 1);
    QCOMPARE(tabBar()->tabText(0), QStringLiteral("Cam 1"));
    // Live at once, not only after the stall handling has restarted the stream (5 s and more).
    QTRY_COMPARE_WITH_TIMEOUT(popup->caption(), QStringLiteral("> Cam 1"), 3000);
    // The main stream's picture, also where the grid's tile takes the small one.
    const auto popupCentre = [popup] {
        const QImage shown = popup->displayPixmap().toImage();
        return shown.isNull() ? QColor() : shown.pixelColor(shown.width() / 2, shown.height() / 2);
    };
    QTRY_VERIFY2(qAbs(popupCentre().green() - QColor(Qt::darkGreen).green()) < 20 && popupCentre().blue() < 40,
                 qPrintable(popupCentre().name()));
    QCOMPARE(viewer->state().cameras()[1]->tileShowsSubStream(), subStream);
    viewerFixture::tick(*viewer, 3);
    QCOMPARE(viewer->isVisible(), popAlle);

    // Printed from there, the dialog opens over the popup window, which stays on top.
    viewer->state().cameras()[1]->setPrintCommand(true);
    QTRY_VERIFY(popup->findChild<QPrintDialog *>());
    popup->findChild<QPrintDialog *>()->done(QDialog::Rejected);

    // The popup window shows only cameras it has a tab for, whatever the main window selects.
    if (clickOtherTile) {
        QGraphicsSceneMouseEvent click(QEvent::GraphicsSceneMouseRelease);
        click.setButton(Qt::LeftButton);
        click.setScenePos(viewer->state().cameras()[0]->tileRect().center());
        QCoreApplication::sendEvent(viewer->scene(), &click);
        QCOMPARE(viewer->state().currentCamera(), viewer->state().cameras()[0]);
        viewerFixture::tick(*viewer, 3);
    }
    QCOMPARE(popup->currentCamera(), viewer->state().cameras()[1]);
    QCOMPARE(popup->tabCount(), 1);
    QCOMPARE(tabBar()->tabText(0), QStringLiteral("Cam 1"));
    QCOMPARE(popup->caption(), QStringLiteral("> Cam 1"));

    // The end of the call lets the time-out run; expired, both windows hide and the tabs go.
    QUdpSocket station;
    QVERIFY(station.bind(QHostAddress(QStringLiteral("127.0.1.3")), 0));
    station.writeDatagram("3#0A@\r\n", QHostAddress::LocalHost, sipPort);
    QTRY_VERIFY(!viewer->state().cameras()[1]->popupRequest());
    viewer->state().requests().expireNow = true;
    QTRY_VERIFY(popup->isHidden());
    QCOMPARE(popup->tabCount(), 0);
    QVERIFY(viewer->isHidden());
}

void tst_ownPopWin::tabChoiceMakesCameraCurrent()
{
    startViewer(QStringLiteral("Autohide=1\nTimeout=100\n"), QStringLiteral("HideStartEn=1\n"));
    QTRY_VERIFY(viewer->isHidden());
    popupOneWin *popup = viewer->popupWindow();
    // Two calls seen by one tick: each camera gets its tab, the last in list order is current.
    viewer->ticks().timerBusy = 1;
    call(0);
    call(1);
    QTRY_VERIFY(viewer->state().cameras()[0]->sipModuleRec.status.popupRequest
                && viewer->state().cameras()[1]->sipModuleRec.status.popupRequest);
    viewer->ticks().timerBusy = 0;
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->tabCount(), 2);
    QTRY_COMPARE(viewer->state().currentCamera(), viewer->state().cameras()[1]);
    QCOMPARE(tabBar()->currentIndex(), 1);

    QTest::mouseClick(tabBar(), Qt::LeftButton, {}, tabBar()->tabRect(0).center());
    QTRY_COMPARE(viewer->state().currentCamera(), viewer->state().cameras()[0]);
    QTRY_COMPARE(popup->currentCamera(), viewer->state().cameras()[0]);
    QCOMPARE(tabBar()->currentIndex(), 0);

    // The frame follows the main window's frame rule; the picture area stays, the window stays up.
    viewer->state().settings().BildRahmeEin = false;
    viewer->state().requests().refreshWindowFlags = true;
    QTRY_VERIFY(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
    QTRY_COMPARE(popup->size(), QSize(400, 300));
    QVERIFY(popup->isVisible());

    // Popups switched off: the window goes at once.
    viewer->state().settings().OwnPopWin = false;
    QTRY_VERIFY(popup->isHidden());
}

void tst_ownPopWin::doorFrameForPanelCamera_data()
{
    QTest::addColumn<bool>("popupPanel");
    QTest::newRow("main window's panel") << false;
    QTest::newRow("popup window's panel") << true;
}

// "Tür öffnen" pressed for camera 0 just before a call from camera 1 makes that one current:
// the door frame goes to camera 0's door station, never to camera 1's.
void tst_ownPopWin::doorFrameForPanelCamera()
{
    QFETCH(bool, popupPanel);
    QUdpSocket station0;
    QUdpSocket station1;
    QVERIFY(station0.bind(QHostAddress(QStringLiteral("127.0.1.2")), controlPort));
    QVERIFY(station1.bind(QHostAddress(QStringLiteral("127.0.1.3")), controlPort));
    startViewer(QStringLiteral("Autohide=0\npop_Alle=1\n"), QStringLiteral("RemoteCtrl=1\n"));
    // Camera 0 gets its tab in the popup window by a call of its own.
    call(0);
    popupOneWin *popup = viewer->popupWindow();
    QTRY_VERIFY(viewer->isVisible() && popup->isVisible() && popup->currentCamera() == viewer->state().cameras()[0]);

    camHandel *panel = popupPanel ? popup->panel() : viewer->panel();
    if (popupPanel) {
        QTest::mousePress(popup, Qt::LeftButton, {}, QPoint(20, 20));
    } else {
        QGraphicsSceneMouseEvent click(QEvent::GraphicsSceneMouseRelease);
        click.setButton(Qt::LeftButton);
        click.setScenePos(viewer->state().cameras()[0]->tileRect().center());
        QCoreApplication::sendEvent(viewer->scene(), &click);
    }
    QTRY_VERIFY(panel->isVisible());

    // No tick between the press and the call's arrival.
    viewer->ticks().timerBusy = 1;
    panel->findChild<QPushButton *>(QStringLiteral("TuerOfnenPB"))->click();
    call(1);
    QTRY_VERIFY(viewer->state().cameras()[1]->sipModuleRec.status.popupRequest);
    viewer->ticks().timerBusy = 0;
    QTRY_VERIFY(station0.hasPendingDatagrams());
    QCOMPARE(viewer->state().currentCamera(), viewer->state().cameras()[1]);
    QVERIFY(station0.receiveDatagram().data().startsWith("BSREM"));
    viewerFixture::tick(*viewer, 5);
    QVERIFY(!station1.hasPendingDatagrams());
}

QTEST_MAIN(tst_ownPopWin)
#include "tst_ownpopwin.moc"
