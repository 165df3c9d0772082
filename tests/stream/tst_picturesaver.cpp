#include "picturesaver.h"
#include "filesizelimit.h"
#include "recordingsamples.h"
#include "testcamera.h"
#include "../modules/tracecapture.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A picture that is not a JPEG the cutter would care about: marker, then filler without 0xFF.
QByteArray filler(int size, char fill)
{
    return QByteArray("\xFF\xD8") + QByteArray(size - 2, fill);
}

// A camera connected to a loopback camera that sent `pictures`, its frame queue filled.
struct connectedCamera {
    cameraStub server;
    wiredCamera cam;

    explicit connectedCamera(const QList<QByteArray> &pictures, const QString &name = QStringLiteral("Eingang"))
    {
        server.pictures = pictures;
        cam.camera.camModule.camName = name;
    }
    bool connect()
    {
        if (!server.listen(QHostAddress(QStringLiteral("127.0.0.1"))))
            return false;
        cam.start(server.url("/stream"));
        return QTest::qWaitFor([this] {
            cam.camera.tick(false);
            return cam.camera.hasFrame() && cam.camera.state() == camData::connectionState::connected;
        });
    }
    // The newest picture as the cutter cut it from what the camera sent.
    QByteArray newestCut() const
    {
        return cameraStub::cutPictures(server.pictures).value(cam.camera.framesExtracted - 1);
    }
};

QList<QByteArray> noisePictures(int count)
{
    QList<QByteArray> pictures;
    for (int i = 0; i < count; ++i)
        pictures << noiseJpeg(QSize(120, 90), i);
    return pictures;
}

} // namespace

class tst_pictureSaver : public QObject {
    Q_OBJECT

private slots:
    void init();
    void savesTheNewestPictureAsCut();
    void eligibility_data();
    void eligibility();
    void staleRequestBlocksNoAlarm();
    void smallPictures_data();
    void smallPictures();
    void requestGivenUp_data();
    void requestGivenUp();
    void fullDiskSavesNothing();

private:
    QTemporaryDir dir;
    shellSettings settings;
    pictureSaver saver;
    qint64 nowMs = 0;
};

void tst_pictureSaver::init()
{
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    settings = shellSettings();
    settings.ImageFolder = dir.path();
    settings.Autosave = true;
    saver = pictureSaver();
    nowMs = 0;
    saver.setClock([this] { return nowMs; });
}

void tst_pictureSaver::savesTheNewestPictureAsCut()
{
    connectedCamera c(noisePictures(6), QStringLiteral("Tor-1 Ost"));
    QVERIFY(c.connect());
    c.cam.camera.setSavePictureRequest(true);
    QVERIFY(saver.savePictures({&c.cam.camera}, settings));
    QVERIFY(!c.cam.camera.savePictureRequest());
    QCOMPARE(saver.savedCount(), qint64(1));
    const QString path = saver.lastSavedPath();
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{8}_\\d{6}_Tor-1 Ost\\.jpg$")).match(QFileInfo(path).fileName()).hasMatch());
    QCOMPARE(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
    QCOMPARE(fileContents(path), c.newestCut());
    // Nothing more to do without a new request.
    QVERIFY(!saver.savePictures({&c.cam.camera}, settings));
}

void tst_pictureSaver::eligibility_data()
{
    QTest::addColumn<bool>("autosave");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<bool>("saved");
    QTest::newRow("save button, saving allowed") << true << false << true;
    QTest::newRow("save button, saving not allowed") << false << false << false;
    QTest::newRow("alarm picture, saving not allowed") << false << true << true;
}

void tst_pictureSaver::eligibility()
{
    QFETCH(bool, autosave);
    QFETCH(bool, alarm);
    QFETCH(bool, saved);
    connectedCamera c(noisePictures(4));
    QVERIFY(c.connect());
    settings.Autosave = autosave;
    c.cam.camera.setSavePictureRequest(true);
    c.cam.camera.setSaveAlways(alarm);
    QCOMPARE(saver.savePictures({&c.cam.camera}, settings), saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), saved ? 1 : 0);
    // A request that may not be served is dropped, not kept for later.
    QVERIFY(!c.cam.camera.savePictureRequest());
    QVERIFY(!c.cam.camera.saveAlways());
}

void tst_pictureSaver::staleRequestBlocksNoAlarm()
{
    connectedCamera first(noisePictures(4));
    connectedCamera second(noisePictures(5), QStringLiteral("Hof"));
    QVERIFY(first.connect());
    QVERIFY(second.connect());
    settings.Autosave = false;
    first.cam.camera.setSavePictureRequest(true);  // the save button, not allowed
    second.cam.camera.setSavePictureRequest(true);  // an alarm
    second.cam.camera.setSaveAlways(true);
    QVERIFY(saver.savePictures({&first.cam.camera, &second.cam.camera}, settings));
    const QStringList saved = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(saved.size(), 1);
    QVERIFY(saved.first().endsWith(QLatin1String("_Hof.jpg")));
    QCOMPARE(fileContents(dir.filePath(saved.first())), second.newestCut());
}

void tst_pictureSaver::smallPictures_data()
{
    QTest::addColumn<int>("cutSize");
    QTest::addColumn<bool>("saved");
    QTest::newRow("1000 bytes") << 1000 << false;
    QTest::newRow("1001 bytes") << 1001 << true;
}

void tst_pictureSaver::smallPictures()
{
    QFETCH(int, cutSize);
    QFETCH(bool, saved);
    // The line end and the next part's headers (56 bytes here) belong to a cut picture.
    QList<QByteArray> pictures;
    for (int i = 0; i < 40; ++i)
        pictures << filler(cutSize - 56, char('a' + i % 20));
    QCOMPARE(cameraStub::cutPictures(pictures).first().size(), cutSize);
    connectedCamera c(pictures);
    QVERIFY(c.connect());
    c.cam.camera.setSavePictureRequest(true);
    QCOMPARE(saver.savePictures({&c.cam.camera}, settings), saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), saved ? 1 : 0);
    QCOMPARE(saver.savedCount(), qint64(saved ? 1 : 0));
}

void tst_pictureSaver::requestGivenUp_data()
{
    QTest::addColumn<QString>("why");
    QTest::addColumn<qint64>("backAtMs");     // when the camera delivers; -1: never
    QTest::addColumn<qint64>("givenUpAtMs");  // -1: saved
    const qint64 wait = 60000;
    QTest::newRow("camera off, back after 7 s: saved") << "unconnected" << qint64(7000) << qint64(-1);
    QTest::newRow("camera never connects: given up after 60 s") << "unconnected" << qint64(-1) << wait;
    QTest::newRow("new connection: the old one's pictures are not taken") << "restarted" << qint64(-1) << wait;
    QTest::newRow("folder missing: given up at once") << "folder" << qint64(-1) << qint64(0);
    QTest::newRow("no folder set: given up at once") << "no folder" << qint64(-1) << qint64(0);
}

// An alarm picture waits for a picture of the camera's current connection for up to a minute;
// what can never be written is given up at once. Each giving up is one line in the log.
void tst_pictureSaver::requestGivenUp()
{
    QFETCH(QString, why);
    QFETCH(qint64, backAtMs);
    QFETCH(qint64, givenUpAtMs);
    connectedCamera c(noisePictures(4));
    if (why != QLatin1String("unconnected"))
        QVERIFY(c.connect());
    if (why == QLatin1String("restarted")) {
        c.cam.start(c.server.url("/silent"));
        QTRY_COMPARE((c.cam.camera.tick(false), c.cam.camera.state()), camData::connectionState::connected);
    }
    if (why == QLatin1String("folder"))
        settings.ImageFolder = dir.filePath(QStringLiteral("missing"));
    if (why == QLatin1String("no folder"))
        settings.ImageFolder.clear();
    c.cam.camera.setSavePictureRequest(true);
    c.cam.camera.setSaveAlways(true);
    traceCapture trace;
    if (givenUpAtMs != 0) {
        QVERIFY(!saver.savePictures({&c.cam.camera}, settings));
        nowMs = (backAtMs >= 0 ? backAtMs : givenUpAtMs) - 1;
        QVERIFY(!saver.savePictures({&c.cam.camera}, settings));
        QVERIFY(c.cam.camera.savePictureRequest());
        QVERIFY(trace.taken().isEmpty());
        nowMs += 1;
    }
    if (backAtMs >= 0) {
        QVERIFY(c.connect());
        QVERIFY(saver.savePictures({&c.cam.camera}, settings));
        QCOMPARE(fileContents(saver.lastSavedPath()), c.newestCut());
        return;
    }
    QVERIFY(!saver.savePictures({&c.cam.camera}, settings));
    QVERIFY(!c.cam.camera.savePictureRequest());
    const QStringList lines = trace.taken();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(givenUpAtMs ? QLatin1String("60 s") : QLatin1String("Ordner")),
             qPrintable(lines.first()));
    // Once given up, the alarm is not saved later when all is well again.
    settings.ImageFolder = dir.path();
    QVERIFY(why != QLatin1String("unconnected") || c.connect());
    QVERIFY(!saver.savePictures({&c.cam.camera}, settings));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}


void tst_pictureSaver::fullDiskSavesNothing()
{
    connectedCamera c(noisePictures(4));
    QVERIFY(c.connect());
    QVERIFY(c.newestCut().size() > 2000);
    c.cam.camera.setSavePictureRequest(true);
    {
        fileSizeLimit limit(1000);
        QVERIFY(limit.active);
        QVERIFY(!saver.savePictures({&c.cam.camera}, settings));
    }
    QCOMPARE(saver.savedCount(), qint64(0));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    QVERIFY(c.cam.camera.savePictureRequest());
}

QTEST_MAIN(tst_pictureSaver)
#include "tst_picturesaver.moc"
