#include "viewerfixture.h"

#include "pictureprinter.h"
#include "saveavi.h"
#include "tickperiod.h"
#include "../stream/filesizelimit.h"
#include "../stream/recordingsamples.h"
#include "../stream/testcamera.h"

#include <QDir>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList filesIn(const QString &folder, const QString &pattern)
{
    QStringList paths;
    for (const QString &name : QDir(folder).entryList({pattern}, QDir::Files, QDir::Name))
        paths << QDir(folder).filePath(name);
    return paths;
}

QByteArray joined(const QList<QByteArray> &parts, int count)
{
    QByteArray all;
    for (int i = 0; i < count && i < parts.size(); ++i)
        all += parts[i];
    return all;
}

} // namespace

// The viewer with its cameras on a loopback camera: pictures saved, printed and recorded through
// the tick, as a user meets them.
class tst_recording : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void alarmPictureWithoutAutosave();
    void panelCommands();
    void printDialogKeepsTheTickGoing();
    void hiddenRecordsWithoutDecoding();
    void singleViewRecordsTheOthers();
    void fullDiskKeepsTheViewerRunning();
    void unwritableFolderKeepsTheViewerRunning();
    void releaseAndQuitCloseRecordings();
    void recordedCameraKeptWhileHidden_data();
    void recordedCameraKeptWhileHidden();

private:
    // A viewer with `modules` cameras streaming from the loopback camera; pictures into `folder`.
    std::unique_ptr<ownCam> startViewer(int modules, const QString &window, const QString &system,
                                        const QString &moduleExtra = {});
    bool connectAll(ownCam &viewer);
    // A module with an IP address would stream from it; these stream from their URL.
    void dropIpLines() { fixture.writeText(fixture.readIni().remove(QRegularExpression(QStringLiteral("\nIP=[^\n]*")))); }

    viewerFixture fixture;
    QTemporaryDir pictures;
    cameraStub server;
};

void tst_recording::initTestCase()
{
    for (int i = 0; i < 10; ++i)
        server.pictures << noiseJpeg(QSize(160, 120), i);
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
}

std::unique_ptr<ownCam> tst_recording::startViewer(int modules, const QString &window, const QString &system,
                                                   const QString &moduleExtra)
{
    QDir(pictures.path()).removeRecursively();
    QDir().mkpath(pictures.path());
    fixture.writeIni(modules, window, QStringLiteral("ImageFolder=%1\n").arg(pictures.path()) + system,
                     QStringLiteral("URL=%1\n").arg(server.url("/stream")) + moduleExtra);
    dropIpLines();
    return fixture.start();
}

bool tst_recording::connectAll(ownCam &viewer)
{
    for (camData *cam : std::as_const(viewer.state().cameras()))
        viewer.Start_CAM(cam);
    return QTest::qWaitFor([&] {
        viewerFixture::tick(viewer);
        return std::all_of(viewer.state().cameras().cbegin(), viewer.state().cameras().cend(), [](const camData *cam) {
            return cam->framesExtracted >= 8 && cam->state() == camData::connectionState::connected;
        });
    });
}

void tst_recording::alarmPictureWithoutAutosave()
{
    auto viewer = startViewer(2, QStringLiteral("Auto_Popup=1\n"), QStringLiteral("Autosave=0\nAlarmBildSaveEn=1\n"));
    QVERIFY(connectAll(*viewer));
    camData *cam = viewer->state().cameras()[1];
    // Input 1 of the camera's module becomes active, as the status parser reports it.
    cam->camModule.status.popupRequest = cam->camModule.status.input1Active = true;
    QTRY_VERIFY((viewerFixture::tick(*viewer), !filesIn(pictures.path(), QStringLiteral("*.jpg")).isEmpty()));
    const QStringList saved = filesIn(pictures.path(), QStringLiteral("*.jpg"));
    QCOMPARE(saved.size(), 1);
    QVERIFY(saved.first().endsWith(QLatin1String("_Cam 1.jpg")));
    QVERIFY(cameraStub::cutPictures(server.pictures).contains(fileContents(saved.first())));
    QCOMPARE(viewer->pictures().savedCount(), qint64(1));
    // The save button and the settings dialog's "Bild speichern" save nothing without Autosave.
    viewer->on_bildSpeichPB_clicked();
    viewer->state().requests().savePicture = true;
    viewerFixture::tick(*viewer, 5);
    QCOMPARE(filesIn(pictures.path(), QStringLiteral("*.jpg")).size(), 1);
    QVERIFY(!viewer->state().currentCamera()->savePictureRequest());
}


void tst_recording::panelCommands()
{
    auto viewer = startViewer(2, {}, QStringLiteral("Autosave=1\n"));
    QVERIFY(connectAll(*viewer));
    camData *first = viewer->state().cameras()[0];
    camData *second = viewer->state().cameras()[1];

    // "Bild speichern" of the panel: the camera's newest picture as a JPG.
    second->setSaveCommand(true);
    viewerFixture::tick(*viewer);
    QCOMPARE(filesIn(pictures.path(), QStringLiteral("*_Cam 1.jpg")).size(), 1);
    // The tray says so.
    const QString saved = QFileInfo(filesIn(pictures.path(), QStringLiteral("*_Cam 1.jpg")).first()).fileName();
    QVERIFY2(viewer->tray().toolTip().endsWith(QLatin1String("Bild gespeichert: ") + saved), qPrintable(viewer->tray().toolTip()));

    // "Video speichern": the dialog records that camera; with automatic recording on it is refused.
    viewer->state().settings().BildAllSaveEn = true;
    first->setVideoCommand(true);
    viewerFixture::tick(*viewer);
    QVERIFY(!viewer->videoDialog());
    viewer->state().settings().BildAllSaveEn = false;
    first->setVideoCommand(true);
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->videoDialog() && viewer->videoDialog()->isVisible());
    QVERIFY(first->videoAttached());
    QCOMPARE(viewer->videoDialog()->recorder().camera(), first);
    QVERIFY(viewer->videoDialog()->recorder().currentPath().endsWith(QLatin1String("_Cam 0.MJPEG")));
    viewer->videoDialog()->stopRecording();
}

void tst_recording::printDialogKeepsTheTickGoing()
{
    auto viewer = startViewer(1, QStringLiteral("Autohide=1\nAuto_Popup=1\n"), {});
    QVERIFY(connectAll(*viewer));
    camData *cam = viewer->state().cameras()[0];
    QSignalSpy finished(viewer->printer(), &picturePrinter::finished);
    cam->setPrintCommand(true);
    viewerFixture::tick(*viewer);
    auto *dialog = viewer->findChild<QPrintDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(cam->printing());
    QCOMPARE(cam->printSnapshot(), cam->frames().last());
    // The job has the name the picture would be saved under.
    const QString job = dialog->printer()->docName();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{8}_\\d{6}_Cam 0\\.jpg$")).match(job).hasMatch(), qPrintable(job));
    // While the dialog waits, a door call still pops the window up.
    QVERIFY(viewer->isHidden());
    cam->camModule.status.popupRequest = cam->camModule.status.input1Active = true;
    viewerFixture::tick(*viewer, 3);
    QVERIFY(viewer->isVisible());
    dialog->done(QDialog::Rejected);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!finished.first().first().toBool());
    QVERIFY(!cam->printing());
}

void tst_recording::hiddenRecordsWithoutDecoding()
{
    auto viewer = startViewer(1, QStringLiteral("Autohide=1\n"), QStringLiteral("BildAllSaveEn=1\n"),
                              QStringLiteral("CAMautoSaveEn=1\nn_Bild_Freq=1000\ndirCamBild=%1\n").arg(pictures.path()));
    camData *cam = viewer->state().cameras()[0];
    qint64 clockMs = 0;
    cam->recorder().setClock([&] { return clockMs += 40; });
    // The first housekeeping run opens the file before any picture arrives.
    viewerFixture::tick(*viewer, cameraStreams::housekeepingIntervalMs / tickMs + 2);
    QVERIFY(cam->recorder().recordingActive());
    QVERIFY(viewer->isHidden());
    QVERIFY(connectAll(*viewer));
    QCOMPARE(cam->framesDisplayed, 0);
    const QString path = cam->recorder().recordingPath();
    QVERIFY(path.endsWith(QLatin1String("_Cam_0.MJPEG")));
    QCOMPARE(fileContents(path), joined(cameraStub::cutPictures(server.pictures), cam->framesExtracted));
    // Shown again, the newest picture is decoded on the next tick.
    viewer->show();
    viewerFixture::tick(*viewer);
    QCOMPARE(cam->framesDisplayed, 1);
}

void tst_recording::singleViewRecordsTheOthers()
{
    auto viewer = startViewer(2, QStringLiteral("Autohide=1\n"), QStringLiteral("BildAllSaveEn=1\n"),
                              QStringLiteral("CAMautoSaveEn=1\nn_Bild_Freq=1000\ndirCamBild=%1\n").arg(pictures.path()));
    viewerFixture::tick(*viewer, cameraStreams::housekeepingIntervalMs / tickMs + 2);
    viewer->state().makeCurrent(0);
    viewer->state().settings().dispForm = 0;
    camData *other = viewer->state().cameras()[1];
    qint64 clockMs = 0;
    other->recorder().setClock([&] { return clockMs += 40; });
    viewer->Start_CAM(other);
    QTRY_VERIFY((viewerFixture::tick(*viewer), other->framesExtracted >= 8));
    QCOMPARE(fileContents(other->recorder().recordingPath()),
             joined(cameraStub::cutPictures(server.pictures), other->framesExtracted));
}

void tst_recording::fullDiskKeepsTheViewerRunning()
{
    auto viewer = startViewer(1, QStringLiteral("Autohide=1\n"), QStringLiteral("BildAllSaveEn=1\n"),
                              QStringLiteral("CAMautoSaveEn=1\nn_Bild_Freq=1000\ndirCamBild=%1\n").arg(pictures.path()));
    camData *cam = viewer->state().cameras()[0];
    qint64 clockMs = 0;
    cam->recorder().setClock([&] { return clockMs += 40; });
    const int housekeeping = cameraStreams::housekeepingIntervalMs / tickMs + 2;
    viewerFixture::tick(*viewer, housekeeping);
    const QString first = cam->recorder().recordingPath();
    const QList<QByteArray> cut = cameraStub::cutPictures(server.pictures);
    {
        fileSizeLimit limit(cut[0].size() + cut[1].size() + cut[2].size() / 2);
        QVERIFY(limit.active);
        QVERIFY(connectAll(*viewer));
        // The tick goes on; the file holds only whole pictures and is closed.
        const qint64 ms = viewer->ticks().msCounter;
        viewerFixture::tick(*viewer, 3);
        QCOMPARE(viewer->ticks().msCounter, ms + 3 * tickMs);
        QVERIFY(!cam->recorder().recordingActive());
    }
    QCOMPARE(fileContents(first), cut[0] + cut[1]);
    // With room again, the next housekeeping run starts a new file.
    viewerFixture::tick(*viewer, housekeeping);
    QVERIFY(cam->recorder().recordingActive());
    QVERIFY(cam->recorder().recordingPath() != first);
}

void tst_recording::unwritableFolderKeepsTheViewerRunning()
{
    const QString folder = QDir(pictures.path()).filePath(QStringLiteral("blocked"));
    auto viewer = startViewer(1, QStringLiteral("Autohide=1\n"), QStringLiteral("BildAllSaveEn=1\n"),
                              QStringLiteral("CAMautoSaveEn=1\ndirCamBild=%1\n").arg(folder));
    // A file where the folder should be: nothing can be created in it.
    QFile blocking(folder);
    QVERIFY(blocking.open(QIODevice::WriteOnly));
    blocking.close();
    camData *cam = viewer->state().cameras()[0];
    const int housekeeping = cameraStreams::housekeepingIntervalMs / tickMs + 2;
    QVERIFY(connectAll(*viewer));
    viewerFixture::tick(*viewer, housekeeping);
    QVERIFY(!cam->recorder().recordingActive());
    QCOMPARE(cam->recorder().picturesWritten(), qint64(0));
    // Once the folder can be written, the next housekeeping run records.
    QVERIFY(QFile::remove(folder) && QDir().mkpath(folder));
    viewerFixture::tick(*viewer, housekeeping);
    QVERIFY(cam->recorder().recordingActive());
    QVERIFY(cam->recorder().recordingPath().startsWith(folder + QLatin1Char('/')));
}

void tst_recording::releaseAndQuitCloseRecordings()
{
    auto viewer = startViewer(2, QStringLiteral("Autohide=1\n"), QStringLiteral("BildAllSaveEn=1\n"),
                              QStringLiteral("CAMautoSaveEn=1\ndirCamBild=%1\n").arg(pictures.path()));
    viewerFixture::tick(*viewer, cameraStreams::housekeepingIntervalMs / tickMs + 2);
    camData *first = viewer->state().cameras()[0];
    camData *second = viewer->state().cameras()[1];
    QVERIFY(first->recorder().fileOpen() && second->recorder().fileOpen());
    viewer->state().settings().BildAllSaveEn = false;
    viewer->startVideo(first);
    QVERIFY(first->videoAttached());

    viewer->state().releaseCamera(first);
    QVERIFY(!first->recorder().fileOpen());
    QVERIFY(!first->videoAttached());
    QVERIFY(!viewer->videoDialog()->recorder().camera());
    QVERIFY(!viewer->videoDialog()->isVisible());

    viewer->startVideo(second);
    QVERIFY(second->videoAttached());
    viewer->Raus();
    QVERIFY(!second->recorder().fileOpen());
    QVERIFY(!second->videoAttached());
}

void tst_recording::recordedCameraKeptWhileHidden_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("module");
    QTest::addColumn<bool>("byHand");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("singleView");
    QTest::addColumn<bool>("otherShown");
    const QString continuous = QStringLiteral("CAMautoSaveEn=1\n");
    const QString allOn = QStringLiteral("BildAllSaveEn=1\n");
    const QString allOff = QStringLiteral("BildAllSaveEn=0\n");
    QTest::newRow("continuous recording") << allOn << continuous << false << true << false << false;
    QTest::newRow("recording by hand") << allOff << QString() << true << true << false << false;
    QTest::newRow("no recording") << allOn << QString() << false << false << false << false;
    // The single view restarts no silent camera, but a recorded one must not stop for it, shown
    // or not.
    QTest::newRow("continuous recording, single view") << allOn << continuous << false << true << true << false;
    QTest::newRow("recording by hand, single view") << allOff << QString() << true << true << true << false;
    QTest::newRow("recording by hand, other camera in single view")
        << allOff << QString() << true << true << true << true;
}

// A door alarm pops the window up; it hides at the time-out and stops the cameras, except one
// that is recorded: that one goes on and is restarted when it falls silent.
void tst_recording::recordedCameraKeptWhileHidden()
{
    QFETCH(QString, system);
    QFETCH(QString, module);
    QFETCH(bool, byHand);
    QFETCH(bool, kept);
    QFETCH(bool, singleView);
    QFETCH(bool, otherShown);
    fixture.writeIni(otherShown ? 2 : 1, QStringLiteral("Autohide=1\nAuto_Popup=1\nTimeout=100\n"),
                     QStringLiteral("ImageFolder=%1\n").arg(pictures.path()) + system,
                     QStringLiteral("URL=%1\ndirCamBild=%2\n").arg(server.url("/live"), pictures.path()) + module);
    dropIpLines();
    auto viewer = fixture.start();
    camData *cam = viewer->state().cameras()[0];
    int next = 0;
    const auto pushAndTick = [&] {
        server.push(cameraStub::part(server.pictures[next++ % server.pictures.size()]));
        viewerFixture::tick(*viewer);
    };
    QTRY_VERIFY((viewerFixture::tick(*viewer), !viewer->ticks().startupPending));
    cam->camModule.status.popupRequest = cam->camModule.status.input1Active = true;
    QTRY_VERIFY((pushAndTick(), viewer->isVisible() && cam->framesExtracted >= 3));
    if (byHand) {
        cam->setVideoCommand(true);
        viewerFixture::tick(*viewer);
        QVERIFY(cam->videoAttached());
        viewer->videoDialog()->on_StartTB_clicked();
        QTRY_VERIFY((pushAndTick(), cam->videoBytesWritten() > 0));
    }
    if (singleView)
        viewer->state().settings().dispForm = 0;
    if (otherShown)
        QVERIFY(viewer->state().makeCurrent(1));

    viewer->state().requests().expireNow = true;
    viewerFixture::tick(*viewer, 3);
    QVERIFY(viewer->isHidden());
    QCOMPARE(cam->isIdle(), !kept);
    if (kept) {
        const qint64 cut = cam->framesExtracted;
        const qint64 written = cam->videoBytesWritten();
        QTRY_VERIFY((pushAndTick(), cam->framesExtracted >= cut + 3));
        QCOMPARE(cam->videoBytesWritten() > written, byHand);
    }

    // Two stall periods of 5 s without a picture.
    const int request = cam->requestIdValue();
    const httpStream *stream = cam->stream();
    viewerFixture::tick(*viewer, 2 * 5000 / tickMs + 10);
    QVERIFY(viewer->isHidden());
    QCOMPARE(cam->stream() != stream || cam->requestIdValue() != request, kept);
}

QTEST_MAIN(tst_recording)
#include "tst_recording.moc"
