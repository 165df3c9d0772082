#include "viewerfixture.h"

#include "../config/unprivileged.h"
#include "einstdia.h"
#include "inidata.h"
#include "ownmsgbox.h"
#include "singleinstance.h"
#include "../stream/testcamera.h"

#include <QBuffer>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QImage>
#include <QMoveEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class tst_ownCam : public QObject {
    Q_OBJECT

private slots:
    void modulesLoaded_data();
    void modulesLoaded();
    void addressRule_data();
    void addressRule();
    void unreadableIni();
    void incompleteSectionKept();
    void edition_data();
    void edition();
    void trayMenu();
    void geometryRoundTrip_data();
    void geometryRoundTrip();
    void captionSizeAtStart_data();
    void captionSizeAtStart();
    void resizeRepeatCounter();
    void closeWindow_data();
    void closeWindow();
    void quitLeavesTheLoop_data();
    void quitLeavesTheLoop();
    void hideRequestWinsOverShow();
    void busyTickOnlyCounts();
    void logFile_data();
    void logFile();
    void singleInstanceSignals_data();
    void singleInstanceSignals();
    void secondStart_data();
    void secondStart();
};

void tst_ownCam::modulesLoaded_data()
{
    QTest::addColumn<int>("sections");
    QTest::addColumn<int>("brokenAt");  // section without camName, -1 for none
    QTest::addColumn<int>("cameras");
    QTest::newRow("no module") << 0 << -1 << 0;
    QTest::newRow("three modules") << 3 << -1 << 3;
    QTest::newRow("21 sections load 20") << 21 << -1 << 20;
    QTest::newRow("missing camName stops loading") << 4 << 2 << 2;
}

void tst_ownCam::modulesLoaded()
{
    QFETCH(int, sections);
    QFETCH(int, brokenAt);
    QFETCH(int, cameras);
    viewerFixture f;
    QString text = QStringLiteral("\n[Window]\nAutohide=0\n\n[System]\nHideStartEn=0\n");
    for (int i = 0; i < sections; ++i) {
        QString section = viewerFixture::moduleSection(i);
        if (i == brokenAt)
            section.replace(QStringLiteral("camName=Cam %1\n").arg(i), QString());
        text += section;
    }
    f.writeText(text);
    auto viewer = f.start();
    QCOMPARE(viewer->state().cameras().size(), cameras);
    QCOMPARE(viewer->state().currentCamera() == nullptr, cameras == 0);
    if (cameras > 0)
        QCOMPARE(viewer->state().currentCamera(), viewer->state().cameras().last());

    // With no camera the first-tick start-up waits: no log file is opened.
    viewerFixture::tick(*viewer, 2);
    QCOMPARE(viewer->ticks().firstTick, cameras == 0);
}

void tst_ownCam::addressRule_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("streamUrl");
    QTest::addColumn<QString>("address");  // what status datagrams are matched against
    QTest::newRow("IP only") << "127.0.0.7" << "" << "http://127.0.0.7/mjpg/video.mjpg" << "127.0.0.7";
    QTest::newRow("URL only") << "" << "http://127.0.0.2:8080/s" << "http://127.0.0.2:8080/s"
                              << "http://127.0.0.2:8080/s";
    QTest::newRow("RTSP over TLS") << "" << "rtsps://127.0.0.2:8322/s" << "rtsps://127.0.0.2:8322/s"
                                   << "rtsps://127.0.0.2:8322/s";
    // Edited by hand: the URL is the address, as it names the section; the IP goes.
    QTest::newRow("both") << "127.0.0.7" << "http://127.0.0.2:8080/s" << "http://127.0.0.2:8080/s"
                          << "http://127.0.0.2:8080/s";
}

void tst_ownCam::addressRule()
{
    QFETCH(QString, ip);
    QFETCH(QString, url);
    QFETCH(QString, streamUrl);
    QFETCH(QString, address);
    viewerFixture f;
    f.writeText(QStringLiteral("\n[Window]\nAutohide=0\n\n[System]\nHideStartEn=0\n\n[M]\ncamName=M\nIP=%1\n"
                               "URL=%2\nsipName=S\nSIP_IP=127.0.1.2\nCAMautoSaveEn=1\n")
                    .arg(ip, url));
    auto viewer = f.start();
    camData *cam = viewer->state().cameras().first();
    QCOMPARE(cam->connectedUrl(), streamUrl);
    QCOMPARE(cam->camModule.addressText(), address);
    QVERIFY(cam->camModule.IP.isEmpty() || cam->camModule.URL.isEmpty());
    QCOMPARE(cam->camModule.hostAddress, url.isEmpty() ? QHostAddress(ip) : QHostAddress());
}

// An installation must not be replaced by the default module because its file could not be read.
void tst_ownCam::unreadableIni()
{
    RUN_BOUND_BY_PERMISSIONS();
    viewerFixture f;
    f.writeIni(2);
    const QString written = f.readIni();
    QFile::setPermissions(f.iniPath(), QFileDevice::WriteOwner);
    auto viewer = f.start();
    QCOMPARE(viewer->state().cameras().size(), 1);
    QCOMPARE(viewer->state().cameras().first()->camModule.camName, QStringLiteral("DX-CAM Default"));
    const QList<QMessageBox *> boxes = viewer->findChildren<QMessageBox *>();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first()->isVisible() && !boxes.first()->isModal());
    QCOMPARE(boxes.first()->windowTitle(), QStringLiteral("Marviton.DX-CAM-Viewer V2.2.6"));
    QVERIFY(boxes.first()->text().contains(f.iniPath()));
    viewerFixture::tick(*viewer);  // opens the log
    viewer->Raus();
    QFile::setPermissions(f.iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(f.readIni(), written);
    QFile log(f.logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("kann nicht gelesen werden"));
}

void tst_ownCam::incompleteSectionKept()
{
    viewerFixture f;
    f.writeIni(3);
    const QString broken = viewerFixture::moduleSection(1).replace(QStringLiteral("sipName=Door 1\n"), QString());
    f.writeText(f.readIni().replace(viewerFixture::moduleSection(1), broken));
    {
        auto viewer = f.start();
        QCOMPARE(viewer->state().cameras().size(), 1);
        viewer->Raus();
    }
    const QString saved = f.readIni();
    QVERIFY(saved.contains(QLatin1String("[Cam 0_127.0.0.2]\ncamName=Cam 0\n")));
    QVERIFY2(saved.endsWith(broken + viewerFixture::moduleSection(2)), qPrintable(saved));
}

void tst_ownCam::edition_data()
{
    QTest::addColumn<int>("faVers");
    QTest::addColumn<QString>("title");
    QTest::newRow("1") << 1 << QStringLiteral("TORVA HRS-410 MultiViewer V2.2.6");
    QTest::newRow("2") << 2 << QStringLiteral("QUARDELLO DX-CAM Viewer V2.2.6");
    QTest::newRow("7 is the standard edition") << 7 << QStringLiteral("Marviton.DX-CAM-Viewer V2.2.6");
}

void tst_ownCam::edition()
{
    QFETCH(int, faVers);
    QFETCH(QString, title);
    viewerFixture f;
    f.writeIni(1, {}, QStringLiteral("FaVers=%1\n").arg(faVers));
    auto viewer = f.start();
    QCOMPARE(viewer->windowTitle(), title);
    QVERIFY(!viewer->windowIcon().isNull());
    QCOMPARE(viewer->tray().notice()->windowTitle(), title);
}

void tst_ownCam::trayMenu()
{
    viewerFixture f;
    f.writeIni(1);
    auto viewer = f.start();
    QStringList entries;
    for (const QAction *action : viewer->tray().menu()->actions())
        entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(entries, (QStringList{"Mi&nimieren", "Ma&ximieren", "&Wiederherstellen", "-", "&Sprache",
                                   "&Einstellungen", "&Verlauf", "-", "&Beenden"}));
    QCOMPARE(viewer->tray().notice()->text(),
             QStringLiteral("Das Programm bleibt im 'System Tray' aktiv. Zum Verlassen \n"
                            "wählen Sie bitte im System Tray Menü den Eintrag <Beenden>."));
}

void tst_ownCam::geometryRoundTrip_data()
{
    QTest::addColumn<bool>("wayland");
    QTest::newRow("X11") << false;
    // Wayland reports every window at 0,0; the next start under X11 must not open in the corner.
    QTest::newRow("Wayland: the stored place kept") << true;
}

void tst_ownCam::geometryRoundTrip()
{
    QFETCH(bool, wayland);
    viewerFixture f;
    f.writeIni(2);
    {
        auto viewer = f.start();
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
        QTRY_VERIFY(!viewer->ticks().startupPending && !viewer->ticks().firstTick);
        if (wayland) {
            viewer->rules().setOnWayland(true);
            const int measured = viewer->rules().relayoutCount();
            viewer->move(0, 0);
            QTRY_VERIFY(viewer->rules().relayoutCount() > measured);
        }
        viewer->Raus();
    }
    const QString written = f.readIni();
    for (const char *line : {"x=30.0\n", "y=40.0\n", "width=640.0\n", "height=480.0\n"})
        QVERIFY2(written.contains(QLatin1String(line)), line);
}

void tst_ownCam::captionSizeAtStart_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("small") << "TextGroese=0\n" << 10;
    QTest::newRow("medium") << "TextGroese=1\n" << 15;
    QTest::newRow("large") << "TextGroese=2\n" << 20;
    QTest::newRow("beyond the list: the last entry") << "TextGroese=7\n" << 20;
}

// The captions are drawn at the size chosen in the settings, from the start on.
void tst_ownCam::captionSizeAtStart()
{
    QFETCH(QString, stored);
    QFETCH(int, pixelSize);
    viewerFixture f;
    f.writeIni(1, stored);
    auto viewer = f.start();
    QCOMPARE(viewer->state().overlayPixelSize(), pixelSize);

    // Chosen in the settings dialog, the size is the one drawn after the next start.
    auto *sizes = viewer->settingsDialog()->findChild<QComboBox *>(QStringLiteral("schrifftGroseCB"));
    const int other = pixelSize == 15 ? 0 : 1;
    sizes->setCurrentIndex(other);
    QCOMPARE(viewer->state().overlayPixelSize(), other == 0 ? 10 : 15);
    viewer->Raus();
    viewer.reset();
    viewer = f.start();
    QCOMPARE(viewer->state().overlayPixelSize(), other == 0 ? 10 : 15);
}

void tst_ownCam::resizeRepeatCounter()
{
    viewerFixture f;
    f.writeIni(1);
    auto viewer = f.start();
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    const QPoint at = viewer->pos();

    // A change always relayouts and restarts the count of unchanged events.
    viewer->move(at + QPoint(5, 0));
    QTRY_COMPARE(viewer->rules().repeatCount(), 0);
    const int before = viewer->rules().relayoutCount();
    for (int i = 0; i < 22; ++i) {
        QMoveEvent event(viewer->pos(), viewer->pos());
        QCoreApplication::sendEvent(viewer.get(), &event);
    }
    QCOMPARE(viewer->rules().relayoutCount(), before + 21);
    QCOMPARE(viewer->rules().repeatCount(), 100);
}

void tst_ownCam::closeWindow_data()
{
    QTest::addColumn<bool>("trayAtStart");
    QTest::addColumn<bool>("trayAtClose");
    QTest::newRow("with tray: hide and keep running") << true << true;
    // GNOME has no tray: the next door call must still come up.
    QTest::newRow("without tray: hide and keep running") << false << false;
    // At session start the tray often comes after the viewer.
    QTest::newRow("tray came after the start: hide") << false << true;
    QTest::newRow("tray gone since the start: hide") << true << false;
}

void tst_ownCam::closeWindow()
{
    QFETCH(bool, trayAtStart);
    QFETCH(bool, trayAtClose);
    viewerFixture f;
    f.writeIni(1, QStringLiteral("Auto_Popup=1\nAutohide=1\nTimeout=60\n"));
    bool trayAvailable = trayAtStart;
    auto viewer = f.start([&trayAvailable] { return trayAvailable; });
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    QFile::remove(f.iniPath());
    trayAvailable = trayAtClose;
    viewer->close();
    QVERIFY(viewer->isHidden());
    QVERIFY(!QFile::exists(f.iniPath()));
    // The notice says how to leave: through the tray's menu, or without one through the menu
    // entry's, after starting the program again.
    QVERIFY(viewer->tray().notice()->isVisible());
    QCOMPARE(viewer->tray().notice()->text().contains(QLatin1String("System Tray")), trayAtClose);
    const int counted = viewer->ticks().msCounter;
    QTRY_VERIFY(viewer->ticks().msCounter > counted);
    QVERIFY(viewer->isHidden());
    moduleStatus &door = viewer->state().cameras().first()->sipModuleRec.status;
    door.popupRequest = door.statusEvent = true;
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->isVisible());
}

void tst_ownCam::quitLeavesTheLoop_data()
{
    QTest::addColumn<bool>("visible");
    QTest::newRow("window visible") << true;
    QTest::newRow("window hidden") << false;
}

void tst_ownCam::quitLeavesTheLoop()
{
    QFETCH(bool, visible);
    viewerFixture f;
    f.writeIni(1);
    auto viewer = f.start();
    viewer->setVisible(visible);
    QFile::remove(f.iniPath());
    bool timedOut = false;
    QTimer::singleShot(200, viewer.get(), &ownCam::Raus);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&] { timedOut = true; QCoreApplication::exit(1); });
    guard.start(10000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!timedOut);
    QVERIFY(QFile::exists(f.iniPath()));
    QVERIFY(f.readIni().contains(QLatin1String("[Cam 0_127.0.0.2]")));
}

void tst_ownCam::hideRequestWinsOverShow()
{
    viewerFixture f;
    f.writeIni(1);
    auto viewer = f.start();
    viewer->show();
    viewer->state().requests().hideMainWindow = true;
    viewer->state().requests().showMainWindow = true;
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->isHidden());
    QVERIFY(!viewer->state().requests().showMainWindow);
}

void tst_ownCam::busyTickOnlyCounts()
{
    viewerFixture f;
    f.writeIni(1);
    auto viewer = f.start();
    viewer->ticks().timerBusy = 1;
    viewer->state().requests().hideMainWindow = true;
    const int counted = viewer->ticks().msCounter;
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->ticks().msCounter, counted + 40);
    QVERIFY(viewer->state().requests().hideMainWindow);
    QVERIFY(viewer->ticks().firstTick);
}

namespace {
QByteArray testPicture()
{
    QImage image(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}
} // namespace

void tst_ownCam::logFile_data()
{
    QTest::addColumn<bool>("logOn");
    QTest::newRow("log switched on") << true;
    QTest::newRow("log switched off") << false;
}

void tst_ownCam::logFile()
{
    QFETCH(bool, logOn);
    cameraStub camera;
    camera.picture = testPicture();
    camera.copies = 200;
    QVERIFY(camera.listen(QHostAddress(QStringLiteral("127.0.0.1"))));

    viewerFixture f;
    // A continuously recording camera connects at start, so frames and trace lines come at once.
    const QString module = QStringLiteral("\n[Live_url]\ncamName=Live\nIP=\nURL=%1\nsipName=Door\n"
                                          "SIP_IP=127.0.1.9\nCAMautoSaveEn=1\n")
                               .arg(camera.url("/stream"));
    f.writeIni(0);
    f.writeText(f.readIni() + module);
    {
        QFile old(f.logPath());
        old.open(QIODevice::WriteOnly);
        old.write("left from the last run\n");
    }
    auto viewer = f.start(true, logOn);
    QCOMPARE(viewer->state().cameras().size(), 1);
    viewer->show();
    QTRY_VERIFY(!viewer->ticks().firstTick);
    // Opened anew by the first tick; the next tick may already have written to it.
    QFile log(f.logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(!log.readAll().contains("left from the last run"));
    QTRY_VERIFY(viewer->state().cameras().first()->framesExtracted > 3);
    viewerFixture::tick(*viewer, 3);
    QCOMPARE(QFileInfo(f.logPath()).size() > 0, logOn);
}

void tst_ownCam::singleInstanceSignals_data()
{
    QTest::addColumn<int>("command");  // singleInstance::command, also the index of its signal
    QTest::newRow("show") << int(singleInstance::command::show);
    QTest::newRow("settings") << int(singleInstance::command::settings);
    QTest::newRow("quit") << int(singleInstance::command::quit);
}

void tst_ownCam::singleInstanceSignals()
{
    QFETCH(int, command);
    const auto what = singleInstance::command(command);
    QTemporaryDir dir;
    singleInstance first(dir.filePath(QStringLiteral("a.ini")));
    QVERIFY(first.listen());
    QSignalSpy shown(&first, &singleInstance::showRequested);
    QSignalSpy settings(&first, &singleInstance::settingsRequested);
    QSignalSpy quit(&first, &singleInstance::quitRequested);
    singleInstance other(dir.filePath(QStringLiteral("b.ini")));
    QVERIFY(!other.askRunningViewer(what, 200));
    singleInstance same(dir.filePath(QStringLiteral("a.ini")));
    QVERIFY(same.askRunningViewer(what));
    QSignalSpy *const spies[] = {&shown, &settings, &quit};
    QVERIFY(spies[command]->wait());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(spies[i]->count(), i == command ? 1 : 0);
}

void tst_ownCam::secondStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("firstEnds");
    QTest::addColumn<bool>("traces");  // the second start writes trace lines on standard error
    QTest::newRow("plain second start shows the first") << QStringList{} << false << true;
    QTest::newRow("--show") << QStringList{"--show"} << false << false;
    QTest::newRow("--show with the log") << QStringList{"--show", "--log"} << false << true;
    QTest::newRow("--quit ends the first, settings saved") << QStringList{"--quit"} << true << false;
}

void tst_ownCam::secondStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, firstEnds);
    viewerFixture f;
    f.writeIni(1);
    QProcess first;
    first.start(QStringLiteral(DXCAMVIEWER_PATH), {QStringLiteral("--config"), f.iniPath()});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(singleInstance(f.iniPath()).askRunningViewer(singleInstance::command::show, 100), 15000);
    const QString written = f.readIni();

    QProcess second;
    second.start(QStringLiteral(DXCAMVIEWER_PATH), QStringList{QStringLiteral("--config"), f.iniPath()} + arguments);
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(second.readAllStandardError());
    QTEST(errors.contains(QLatin1String("Platform: ")) || errors.contains(QLatin1String("#####")), "traces");
    // The file is written by the viewer only when it ends, with every key in its order.
    QCOMPARE(f.readIni() != written, firstEnds);
    QVERIFY(f.readIni().contains(QLatin1String("\n[Cam 0_127.0.0.2]\n")));
    if (firstEnds) {
        // --quit returns once the first has ended.
        QVERIFY(first.waitForFinished(1000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        return;
    }
    QVERIFY(singleInstance(f.iniPath()).askRunningViewer(singleInstance::command::show));
    first.kill();
    first.waitForFinished();
}

QTEST_MAIN(tst_ownCam)
#include "tst_owncam.moc"
