#include "viewerfixture.h"

#include "camhandel.h"
#include "historymodel.h"
#include "historystore.h"
#include "historywindow.h"
#include "../stream/recordingsamples.h"
#include "../stream/testcamera.h"

#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

// The call history in the running viewer: a door call from a loopback station becomes a row with
// the camera's first picture after the call began, a missed call is counted in the tray until the
// history is opened from the command panel, and an answered one says what was done.
class tst_callHistory : public QObject {
    Q_OBJECT

private slots:
    void doorCalls();

private:
    void call(const QByteArray &datagram);
    historyEvent newest();

    viewerFixture fixture;
    cameraStub camera;
    std::unique_ptr<ownCam> viewer;
    quint16 sipPort = 0;
};

void tst_callHistory::call(const QByteArray &datagram)
{
    QUdpSocket station;
    QVERIFY(station.bind(QHostAddress(QStringLiteral("127.0.1.2"))));
    station.writeDatagram(datagram, QHostAddress(QStringLiteral("127.0.0.1")), sipPort);
}

historyEvent tst_callHistory::newest()
{
    viewer->callHistory().writer().waitIdle(5000);
    historyStore store;
    if (!store.openForReading(fixture.dir.filePath(QStringLiteral("history.sqlite"))))
        return historyEvent();
    const QList<historyEvent> rows = store.page({}, 0, 1);
    return rows.isEmpty() ? historyEvent() : rows.first();
}

void tst_callHistory::doorCalls()
{
    QVERIFY(camera.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    sipPort = viewerFixture::freeUdpPort();
    fixture.writeIni(1, QStringLiteral("Auto_Popup=1\n"), QStringLiteral("RemoteCtrl=1\nNotifyEn=0\n"),
                     QStringLiteral("URL=%1\nUDP_Status_CAM=%2\nUDP_Status_SIP=%3\nSIP_popup=7\nallRufNr=1\nSIP_tuer=1\n")
                         .arg(camera.url("/live"))
                         .arg(viewerFixture::freeUdpPort())
                         .arg(sipPort));
    fixture.writeText(fixture.readIni().remove(QRegularExpression(QStringLiteral("\nIP=[^\n]*"))));
    viewer = fixture.start();
    camData *cam = viewer->state().cameras().first();
    viewer->Start_CAM(cam);
    // Shown at once, the window starts every camera again: the connection that lasts is the one
    // of the stream's start.
    QTRY_VERIFY((viewerFixture::tick(*viewer), !viewer->ticks().startupPending && !viewer->ticks().firstTick
                                                   && cam->state() == camData::connectionState::connected));
    viewerFixture::tick(*viewer, 3);
    const QByteArray shownBefore = noiseJpeg(QSize(160, 120), 1);
    const QByteArray caller = noiseJpeg(QSize(160, 120), 2);
    camera.push(cameraStub::part(shownBefore));
    QTRY_VERIFY((viewerFixture::tick(*viewer), cam->newestPicture() == shownBefore));

    // A picture the camera had before the call is not the caller's: the next one is.
    call("3#07@100\r\n");
    QTRY_VERIFY((viewerFixture::tick(*viewer), newest().startMs > 0));
    viewerFixture::tick(*viewer, 5);
    QCOMPARE(newest().picture, QString());
    camera.push(cameraStub::part(caller));
    QTRY_VERIFY((viewerFixture::tick(*viewer), !newest().picture.isEmpty()));
    const QDir pictures(fixture.dir.filePath(QStringLiteral("history")));
    QCOMPARE(fileContents(pictures.filePath(newest().picture)), caller);
    const QImage thumbnail(pictures.filePath(newest().thumbnail));
    QCOMPARE(thumbnail.size(), QSize(160, 120));

    // Nobody answered: counted in the tray until the history is opened.
    call("3#0A@\r\n");
    QTRY_VERIFY((viewerFixture::tick(*viewer), viewer->tray().toolTip().contains(QLatin1String("1 verpasster Ruf"))));
    QVERIFY(newest().missed());
    viewer->panel()->findChild<QPushButton *>(QStringLiteral("verlaufPB"))->click();
    historyWindow *window = viewer->callHistory().window();
    QVERIFY(window && window->isVisible());
    QVERIFY2(window->windowTitle().contains(QLatin1String("1 verpasster Ruf")), qPrintable(window->windowTitle()));
    QVERIFY(!viewer->tray().toolTip().contains(QLatin1String("verpasst")));
    QCOMPARE(window->events().rowCount(), 1);
    QVERIFY(historyModel::happenedText(window->events().eventAt(0)).startsWith(QLatin1String("verpasst")));
    const QModelIndex shownPicture = window->events().index(0, historyModel::pictureColumn);
    QVERIFY(!window->events().data(shownPicture, Qt::DecorationRole).value<QPixmap>().isNull());

    // Answered from the panel: the door opened, nothing missed; the open window gets the row.
    const qint64 missedStart = newest().startMs;
    call("3#07@100\r\n");
    QTRY_VERIFY((viewerFixture::tick(*viewer), newest().startMs > missedStart));
    viewer->panel()->setCamera(cam);
    viewer->panel()->findChild<QPushButton *>(QStringLiteral("TuerOfnenPB"))->click();
    QTRY_VERIFY((viewerFixture::tick(*viewer), newest().doorMs > 0));
    call("3#0A@\r\n");
    QTRY_VERIFY((viewerFixture::tick(*viewer), newest().ended()));
    QTRY_COMPARE(window->events().rowCount(), 2);
    const historyEvent answered = window->events().eventAt(0);
    QVERIFY(!answered.missed());
    QCOMPARE(answered.doorOutput, 1);
    QVERIFY(historyModel::happenedText(answered).contains(QStringLiteral("Tür geöffnet")));
    QVERIFY(window->windowTitle().contains(QLatin1String("1 verpasster Ruf")));
    QVERIFY(!viewer->tray().toolTip().contains(QLatin1String("verpasst")));
}

QTEST_MAIN(tst_callHistory)
#include "tst_callhistory.moc"
