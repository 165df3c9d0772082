#include "saveavi.h"
#include "filesizelimit.h"
#include "recordingsamples.h"
#include "testcamera.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

namespace {

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// Texts of the message boxes open now; closes them.
QStringList takeMessages()
{
    QStringList texts;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible()) {
            texts << box->text();
            box->close();
        }
    }
    return texts;
}

} // namespace

class tst_saveAVI : public QObject {
    Q_OBJECT

private slots:
    void init();
    void layout();
    void recordsEveryPictureCut();
    void startTwiceAppends();
    void startAtOnce();
    void leaveStopsRecording_data();
    void leaveStopsRecording();
    void attachedCameraBringsDialogBack();
    void probeTouchesNoRecording();
    void unusableFolder_data();
    void unusableFolder();
    void rollover();
    void writeErrorTellsTheUser_data();
    void writeErrorTellsTheUser();
    void releasedCamera();
    void runningTime();
    void followsLanguageChange();

private:
    QTemporaryDir dir;
};

void tst_saveAVI::init()
{
    takeMessages();
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
}

void tst_saveAVI::layout()
{
    saveAVI dialog{QStringLiteral("Viewer"), QIcon()};
    QCOMPARE(dialog.size(), QSize(490, 90));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    // No close button, and the running time fits into the dialog.
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("dimL"))->geometry().right() < dialog.width());
}

void tst_saveAVI::recordsEveryPictureCut()
{
    cameraStub server;
    for (int i = 0; i < 8; ++i)
        server.pictures << noiseJpeg(QSize(160, 120), i);
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    QVERIFY(dialog.prepareFolder(dir.path()));
    QVERIFY(dialog.attach(&cam.camera, true));
    cam.start(server.url("/stream"));
    QTRY_VERIFY((cam.camera.tick(false), cam.camera.framesExtracted >= 6));
    const QString path = dialog.recorder().currentPath();
    dialog.stopRecording();
    QByteArray expected;
    const QList<QByteArray> cut = cameraStub::cutPictures(server.pictures);
    for (int i = 0; i < cam.camera.framesExtracted; ++i)
        expected += cut[i];
    QCOMPARE(fileContents(path), expected);
    QCOMPARE(cam.camera.videoBytesWritten(), qint64(expected.size()));
}

void tst_saveAVI::startTwiceAppends()
{
    wiredCamera cam;
    cam.camera.camModule.camName = QStringLiteral("Tor-1 Ost");
    saveAVI dialog{QString(), QIcon()};
    QVERIFY(dialog.prepareFolder(dir.path()));
    QVERIFY(dialog.attach(&cam.camera, false));
    // Blanks and "-" stay in the name of a recording by hand.
    QVERIFY(dialog.recorder().currentPath().endsWith(QLatin1String("_Tor-1 Ost.MJPEG")));
    auto *start = dialog.findChild<QToolButton *>(QStringLiteral("StartTB"));
    auto *pause = dialog.findChild<QToolButton *>(QStringLiteral("StopTB"));
    QTest::mouseClick(start, Qt::LeftButton);
    QVERIFY(cam.camera.videoRecording());
    dialog.recorder().append(samplePicture(1));
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(cam.camera.videoBytesWritten(), qint64(0));
    dialog.recorder().append(samplePicture(2, 1500));
    QCOMPARE(cam.camera.videoBytesWritten(), qint64(1500));
    QTest::mouseClick(pause, Qt::LeftButton);
    QVERIFY(!cam.camera.videoRecording());
    QVERIFY(!dialog.recorder().append(samplePicture(3)));
    QTest::mouseClick(start, Qt::LeftButton);
    dialog.recorder().append(samplePicture(4));
    const QString path = dialog.recorder().currentPath();
    QTest::mouseClick(dialog.findChild<QToolButton *>(QStringLiteral("cancPB")), Qt::LeftButton);
    QVERIFY(!cam.camera.videoAttached());
    QCOMPARE(files(dir.path()).size(), 1);
    QCOMPARE(fileContents(path), samplePicture(1) + samplePicture(2, 1500) + samplePicture(4));
}


void tst_saveAVI::startAtOnce()
{
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    dialog.startVideo(&cam.camera, dir.path(), true);
    QVERIFY(dialog.isVisible());
    QVERIFY(cam.camera.videoRecording());
    wiredCamera other;
    dialog.startVideo(&other.camera, dir.path(), false);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.recorder().camera(), &cam.camera);
    QVERIFY(!other.camera.videoAttached());
}

void tst_saveAVI::leaveStopsRecording_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("window closed") << false;
}

void tst_saveAVI::leaveStopsRecording()
{
    QFETCH(bool, escape);
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    dialog.startVideo(&cam.camera, dir.path(), true);
    dialog.recorder().append(samplePicture(1));
    const QString path = dialog.recorder().currentPath();
    if (escape)
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.close();
    QVERIFY(!dialog.isVisible());
    QVERIFY(!cam.camera.videoRecording());
    QVERIFY(!cam.camera.videoAttached());
    QCOMPARE(fileContents(path), samplePicture(1));
    // The camera can be recorded again.
    dialog.startVideo(&cam.camera, dir.path(), true);
    QVERIFY(dialog.isVisible());
    QVERIFY(cam.camera.videoRecording());
}

void tst_saveAVI::attachedCameraBringsDialogBack()
{
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    dialog.startVideo(&cam.camera, dir.path(), true);
    dialog.hide();
    dialog.startVideo(&cam.camera, dir.path(), true);
    QVERIFY(dialog.isVisible());
    QVERIFY(cam.camera.videoRecording());
    // Stopped before its first picture: no empty file is left behind.
    dialog.stopRecording();
    QVERIFY(files(dir.path()).isEmpty());
}

void tst_saveAVI::probeTouchesNoRecording()
{
    const QString earlier = QDir(dir.path()).filePath(QStringLiteral("20240101_120000_probe.MJPEG"));
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("recorded before");
    file.close();
    saveAVI dialog{QString(), QIcon()};
    QVERIFY(dialog.prepareFolder(dir.path()));
    QCOMPARE(files(dir.path()), QStringList{QFileInfo(earlier).fileName()});
    QCOMPARE(fileContents(earlier), QByteArray("recorded before"));
}

void tst_saveAVI::unusableFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("three characters") << "/tm" << QStringList{" Fehler beim File anlegen !! "};
    QTest::newRow("missing folder") << "missing" << QStringList{"Fehler beim File öffnen !! ", " Fehler beim File anlegen !! "};
}

void tst_saveAVI::unusableFolder()
{
    QFETCH(QString, folder);
    if (folder == QLatin1String("missing"))
        folder = QDir(dir.path()).filePath(folder);
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    dialog.startVideo(&cam.camera, folder, true);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!cam.camera.videoAttached());
    QStringList shown = takeMessages();
    shown.sort();
    QFETCH(QStringList, messages);
    messages.sort();
    QCOMPARE(shown, messages);
}

void tst_saveAVI::rollover()
{
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    dialog.recorder().setMaxSize(2500);
    dialog.startVideo(&cam.camera, dir.path(), true);
    QByteArray all;
    for (int i = 0; i < 5; ++i) {
        all += samplePicture(i);
        QVERIFY(dialog.recorder().append(samplePicture(i)));
    }
    dialog.stopRecording();
    const QStringList names = files(dir.path());
    QCOMPARE(names.size(), 2);
    QCOMPARE(QFileInfo(QDir(dir.path()).filePath(names[0])).size(), 3000);
    QCOMPARE(fileContents(QDir(dir.path()).filePath(names[0])) + fileContents(QDir(dir.path()).filePath(names[1])), all);
    QCOMPARE(cam.camera.videoBytesWritten(), qint64(5000));
}

void tst_saveAVI::writeErrorTellsTheUser_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QByteArray>("kept");  // what stays of the file
    QTest::addColumn<QString>("message");
    const QString writeError = QStringLiteral("Fehler beim File schreiben !! ");
    QTest::newRow("disk full") << "full" << samplePicture(1) + samplePicture(2) << writeError;
    QTest::newRow("first picture does not fit: no file left") << "full at once" << QByteArray() << writeError;
    QTest::newRow("folder removed") << "folder" << QByteArray() << writeError;
    // The automatic file takes the camera's pictures; this one gets none of them.
    QTest::newRow("automatic recording switched on") << "automatic" << QByteArray()
                                                     << QStringLiteral("Die Videoaufnahme ist beendet");
}

void tst_saveAVI::writeErrorTellsTheUser()
{
    QFETCH(QString, cause);
    QFETCH(QByteArray, kept);
    QFETCH(QString, message);
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("usb"));
    QVERIFY(QDir().mkpath(folder));
    cameraStub server;
    for (int i = 0; i < 4; ++i)
        server.pictures << noiseJpeg(QSize(160, 120), i);
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    dialog.startVideo(&cam.camera, folder, true);
    const QString path = dialog.recorder().currentPath();
    if (cause == QLatin1String("folder")) {
        QVERIFY(QDir(folder).removeRecursively());
        dialog.showRunningTime();  // notices the missing file
    } else if (cause == QLatin1String("automatic")) {
        cam.settings.BildAllSaveEn = true;
        cam.camera.camModule.CAMautoSaveEn = true;
        cam.camera.camModule.dirCamBild = dir.path();
        cam.camera.controlRecording();
        cam.camera.motionTick();
        cam.start(server.url("/stream"));
        QTRY_VERIFY((cam.camera.tick(false), cam.camera.framesExtracted > 0));
        QVERIFY(cam.camera.recorder().picturesWritten() > 0);
        QVERIFY(!QFile::exists(path));
    } else {
        fileSizeLimit limit(cause == QLatin1String("full") ? 2500 : 500);
        QVERIFY(limit.active);
        const bool fits = cause == QLatin1String("full");
        QCOMPARE(dialog.recorder().append(samplePicture(1)), fits);
        QCOMPARE(dialog.recorder().append(samplePicture(2)), fits);
        QVERIFY(!dialog.recorder().append(samplePicture(3)));
        // Only what was written is counted; the picture written in part is cut off again.
        QCOMPARE(cam.camera.videoBytesWritten(), qint64(kept.size()));
        QCOMPARE(QFile::exists(path), !kept.isEmpty());
        QCOMPARE(fileContents(path), kept);
    }
    QVERIFY(!cam.camera.videoRecording());
    dialog.showRunningTime();
    QVERIFY(!dialog.isVisible());
    QVERIFY(!cam.camera.videoAttached());
    const QStringList shown = takeMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(message), qPrintable(shown.first()));
}

void tst_saveAVI::releasedCamera()
{
    auto cam = std::make_unique<wiredCamera>();
    saveAVI dialog{QString(), QIcon()};
    dialog.startVideo(&cam->camera, dir.path(), true);
    dialog.releaseCamera(&cam->camera);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.recorder().camera());
    cam.reset();
    // A camera deleted without being released first leaves no dangling pointer either.
    auto second = std::make_unique<wiredCamera>();
    dialog.startVideo(&second->camera, dir.path(), true);
    second.reset();
    QVERIFY(!dialog.recorder().camera());
    dialog.stopRecording();
}

void tst_saveAVI::runningTime()
{
    wiredCamera cam;
    saveAVI dialog{QString(), QIcon()};
    dialog.startVideo(&cam.camera, dir.path(), true);
    const QLabel *label = dialog.findChild<QLabel *>(QStringLiteral("dimL"));
    dialog.showRunningTime();
    QCOMPARE(label->text(), QStringLiteral("Laufzeit: 0 Sekunden"));
    QTRY_COMPARE((dialog.showRunningTime(), label->text()), QStringLiteral("Laufzeit: 1 Sekunden"));
}

void tst_saveAVI::followsLanguageChange()
{
    wiredCamera cam;
    saveAVI dialog{QStringLiteral("Viewer"), QIcon()};
    dialog.startVideo(&cam.camera, dir.path(), true);
    QTranslator english;
    QVERIFY(english.load(QFileInfo(QStringLiteral(DXCAMVIEWER_PATH)).absolutePath() + QStringLiteral("/cam_en.qm")));
    QCoreApplication::installTranslator(&english);
    QTRY_COMPARE(dialog.findChild<QToolButton *>(QStringLiteral("StartTB"))->text(),
                 QStringLiteral("Start recording\nContinue recording"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("dimL"))->text(), QStringLiteral("Running time: 0 seconds"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Viewer"));
    QCoreApplication::removeTranslator(&english);
}

QTEST_MAIN(tst_saveAVI)
#include "tst_saveavi.moc"
