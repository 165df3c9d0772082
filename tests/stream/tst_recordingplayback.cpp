#include "recordfiles.h"
#include "recordingplayback.h"
#include "recordingplayer.h"
#include "testcamera.h"
#include "../app/simulatorprocess.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QSize pictureSize(320, 240);
constexpr int fps = 10;

quint16 freeTcpPort(const QHostAddress &address)
{
    QTcpServer probe;
    probe.listen(address, 0);
    return probe.serverPort();
}

// An empty file with that name, last changed then.
void touch(const QString &path, const QDateTime &changed)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.setFileTime(changed, QFileDevice::FileModificationTime);
}

}  // namespace

// The recordings of the automatic recorder, made from the simulator's cameras, played by wall
// time: which picture a time shows, stepping, and a file that is still being written.
class tst_recordingPlayback : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void availability_data();
    void availability();
    void playing_data();
    void playing();

private:
    simulator sim;
    QTemporaryDir dir;
    quint16 httpPort = 0;
    quint16 rtspPort = 0;
};

void tst_recordingPlayback::initTestCase()
{
    const QHostAddress camera(QStringLiteral("127.0.0.2"));
    httpPort = freeTcpPort(camera);
    rtspPort = freeTcpPort(camera);
    QVERIFY(sim.start({"--rtsp", "--rtsp-port", QString::number(rtspPort), "--port", QString::number(httpPort), "--size",
                       QStringLiteral("%1x%2").arg(pictureSize.width()).arg(pictureSize.height()), "--fps",
                       QString::number(fps)},
                      dir.filePath("sim.ini")));
}

void tst_recordingPlayback::availability_data()
{
    QTest::addColumn<QString>("folder");   // "none", "missing", or the files in it
    QTest::addColumn<QString>("moment");   // hh:mm:ss on 1 Jan 2026
    QTest::addColumn<QString>("reason");   // its beginning; empty when there is a recording
    // Every file was last changed five minutes after its name's time.
    const QString one = QStringLiteral("20260101_100000_Cam_1.MJPEG");
    QTest::newRow("in the file") << one << "10:02:00" << "";
    QTest::newRow("a Matroska file") << "20260101_100000_Cam_1.mkv" << "10:04:59" << "";
    QTest::newRow("just after its last picture") << one << "10:05:01" << "";
    QTest::newRow("after the file") << one << "10:05:03" << "Keine Aufnahme um 01.01.2026 10:05:03";
    QTest::newRow("a recording that began with the alarm") << one << "09:59:52" << "";
    QTest::newRow("long before the file") << one << "09:59:40" << "Keine Aufnahme um";
    QTest::newRow("another camera's files") << "20260101_100000_Cam_12.MJPEG 20260101_100000_Cam_1_1.MJPEG"
                                            << "10:01:00" << "Im Aufnahmeordner";
    QTest::newRow("no automatic recording") << "none" << "10:01:00" << "Die Kamera wurde zu der Zeit nicht";
    QTest::newRow("the folder is gone") << "missing" << "10:01:00" << "Der Aufnahmeordner";
}

void tst_recordingPlayback::availability()
{
    QFETCH(QString, folder);
    QFETCH(QString, moment);
    QFETCH(QString, reason);
    QTemporaryDir files;
    QString where = files.path();
    if (folder == QLatin1String("none"))
        where.clear();
    else if (folder == QLatin1String("missing"))
        where = files.filePath("gone");
    else {
        for (const QString &name : folder.split(QLatin1Char(' '))) {
            const QDateTime named = QDateTime::fromString(name.left(15), QStringLiteral("yyyyMMdd_hhmmss"));
            touch(files.filePath(name), named.addSecs(300));
        }
    }
    const qint64 at = QDateTime::fromString(QStringLiteral("20260101 ") + moment, QStringLiteral("yyyyMMdd hh:mm:ss"))
                          .toMSecsSinceEpoch();
    const QString said = recordingPlayback::unavailable(where, QStringLiteral("Cam_1"), at);
    QVERIFY2(reason.isEmpty() ? said.isEmpty() : said.startsWith(reason), qPrintable(said));
}

void tst_recordingPlayback::playing_data()
{
    QTest::addColumn<bool>("rtsp");
    QTest::newRow("Motion-JPEG over HTTP: .MJPEG") << false;
    QTest::newRow("H.264 over RTSP: .mkv") << true;
}

void tst_recordingPlayback::playing()
{
    QFETCH(bool, rtsp);
    QTemporaryDir folder;
    wiredCamera wired;
    camData &camera = wired.camera;
    camera.camModule.camName = QStringLiteral("Tor-1 Ost");
    wired.start(rtsp ? QStringLiteral("rtsp://127.0.0.2:%1/stream").arg(rtspPort)
                     : QStringLiteral("http://127.0.0.2:%1/mjpg/video.mjpg").arg(httpPort));
    const auto cycle = [&camera] {
        camera.tick(false);
        camera.finishRender();
    };
    QTRY_VERIFY_WITH_TIMEOUT((cycle(), camera.framesDisplayed >= 1), 10000);
    wired.settings.BildAllSaveEn = true;
    camera.camModule.CAMautoSaveEn = true;
    camera.camModule.dirCamBild = folder.path();
    camera.controlRecording();
    QVERIFY(camera.recorder().recordingActive());
    const QString path = camera.recorder().recordingPath();
    QVERIFY2(path.endsWith(rtsp ? QLatin1String("_Tor_1_Ost.mkv") : QLatin1String("_Tor_1_Ost.MJPEG")), qPrintable(path));
    // Three seconds of pictures, and as much again as the file holds at least.
    QTRY_VERIFY_WITH_TIMEOUT((cycle(), camera.recorder().picturesWritten() >= 3 * fps && QFileInfo(path).size() > 65536),
                             20000);

    const QString stem = recordFiles::automaticName(camera.camModule.camName);
    const QList<recordingPlayback::file> files = recordingPlayback::filesOf(folder.path(), stem);
    QCOMPARE(files.size(), 1);
    const qint64 fileStart = files.first().startMs;
    const qint64 moment = fileStart + 1500;
    recordingPlayback playback;
    QVERIFY2(playback.open(folder.path(), stem, moment), qPrintable(playback.reason()));
    QCOMPARE(playback.path(), path);
    // 10 s before the moment lies before the file: it starts with the file's first picture.
    QCOMPARE(playback.index(), 0);
    QVERIFY(playback.count() >= fps);
    QCOMPARE(playback.firstMs(), fileStart);

    // The moment shows the last picture taken at or before it, one picture time at most before.
    QVERIFY(playback.seek(moment));
    const int atMoment = playback.index();
    QVERIFY2(playback.currentMs() <= moment && playback.currentMs() > moment - 3 * 1000 / fps,
             qPrintable(QStringLiteral("%1 ms before the moment").arg(moment - playback.currentMs())));
    QCOMPARE(playback.picture().size(), pictureSize);
    QCOMPARE(playback.picture(QSize(160, 160)).size(), QSize(160, 120));

    // A picture on and back: the next one's time is about a picture time later.
    QVERIFY(playback.step(1));
    QCOMPARE(playback.index(), atMoment + 1);
    const qint64 apart = playback.currentMs() - playback.wallMs(atMoment);
    QVERIFY2(apart > 0 && apart < 3 * 1000 / fps, qPrintable(QString::number(apart)));
    QVERIFY(!playback.picture().isNull());
    QVERIFY(playback.step(-1));
    QCOMPARE(playback.index(), atMoment);
    QVERIFY(playback.seek(fileStart - 60000));
    QCOMPARE(playback.index(), 0);
    QVERIFY(!playback.step(-1));

    // The file is still being written: its last complete picture plays, and what comes later is
    // there after a refresh.
    const int before = playback.count();
    QVERIFY(playback.seek(playback.lastMs()));
    QCOMPARE(playback.index(), before - 1);
    QCOMPARE(playback.picture().size(), pictureSize);
    QVERIFY(!playback.step(1));
    const qint64 size = QFileInfo(path).size();
    QTRY_VERIFY_WITH_TIMEOUT((cycle(), QFileInfo(path).size() > size + 65536), 20000);
    QVERIFY(playback.refresh());
    QVERIFY2(playback.count() > before, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(playback.count())));
    QVERIFY(playback.step(1));
    QCOMPARE(playback.picture().size(), pictureSize);

    // The player does the same on the thread pool: from the file's start, a picture on, playing.
    recordingPlayer player;
    player.play(folder.path(), stem, moment, QStringLiteral("Tor-1 Ost"));
    QTRY_VERIFY(!player.working());
    QCOMPARE(player.shownReason(), QString());
    QCOMPARE(player.shownIndex(), 0);
    player.stepBy(1);
    QTRY_COMPARE(player.shownIndex(), 1);
    player.setPlaying(true);
    QTRY_VERIFY(player.shownIndex() >= 4);
    player.setPlaying(false);
    camera.closeRecording();
}

QTEST_MAIN(tst_recordingPlayback)
#include "tst_recordingplayback.moc"
