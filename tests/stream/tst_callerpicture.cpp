#include "callerpicture.h"
#include "testcamera.h"
#include "../app/simulatorprocess.h"

#include <QTcpServer>
#include <QtTest>

// The caller's picture of a door call: only one that came after the call began, as the camera sent
// it (Motion-JPEG) or as JPEG (RTSP), and the reason when none came within a minute.
class tst_callerPicture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void picture_data();
    void picture();

private:
    simulator sim;
    QTemporaryDir dir;
    quint16 rtspPort = 0;
    cameraStub stub;
};

void tst_callerPicture::initTestCase()
{
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    rtspPort = probe.serverPort();
    probe.close();
    QVERIFY(sim.start({"--rtsp", "--rtsp-port", QString::number(rtspPort), "--size", "320x240", "--fps", "10"},
                      dir.filePath("sim.ini")));
    QVERIFY(stub.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
}

void tst_callerPicture::picture_data()
{
    QTest::addColumn<bool>("rtsp");
    QTest::newRow("Motion-JPEG over HTTP: as it came") << false;
    QTest::newRow("H.264 over RTSP: as JPEG") << true;
}

void tst_callerPicture::picture()
{
    QFETCH(bool, rtsp);
    wiredCamera wired;
    camData &camera = wired.camera;
    const auto cycle = [&camera] {
        camera.tick(false);
        camera.finishRender();
    };
    const QByteArray before = noiseJpeg(QSize(320, 240), 3);
    const QByteArray after = noiseJpeg(QSize(320, 240), 4);
    if (rtsp) {
        wired.start(QStringLiteral("rtsp://127.0.0.2:%1/stream").arg(rtspPort));
    } else {
        stub.live.clear();
        wired.start(stub.url("/live"));
        QTRY_VERIFY((cycle(), !stub.live.isEmpty() && camera.state() == camData::connectionState::connected));
        stub.push(cameraStub::part(before));
    }
    QTRY_VERIFY_WITH_TIMEOUT((cycle(), camera.hasPicture()), 10000);

    // A picture the camera had at the start is not the caller's; the first one after it is.
    const qint64 start = 1000000;
    const callerPicture waiting(camera, start);
    callerPicture::source jpeg;
    QString reason;
    if (!rtsp)
        QCOMPARE(waiting.poll(camera, start + 500, jpeg, reason), callerPicture::outcome::waiting);
    else
        QTRY_VERIFY_WITH_TIMEOUT((cycle(), waiting.poll(camera, start + 500, jpeg, reason) == callerPicture::outcome::picture),
                                 5000);
    if (!rtsp) {
        stub.push(cameraStub::part(after));
        QTRY_VERIFY((cycle(), waiting.poll(camera, start + 600, jpeg, reason) == callerPicture::outcome::picture));
        QCOMPARE(jpeg(), after);
    } else {
        const QImage image = QImage::fromData(jpeg(), "JPEG");
        QCOMPARE(image.size(), QSize(320, 240));
    }

    // A camera that sends nothing: none after a minute, and why.
    camera.abortStream();
    const callerPicture silent(camera, start);
    QCOMPARE(silent.poll(camera, start + callerPicture::waitMs - 1, jpeg, reason), callerPicture::outcome::waiting);
    QCOMPARE(silent.poll(camera, start + callerPicture::waitMs, jpeg, reason), callerPicture::outcome::none);
    QVERIFY(!reason.isEmpty());
}

QTEST_MAIN(tst_callerPicture)
#include "tst_callerpicture.moc"
