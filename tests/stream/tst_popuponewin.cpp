#include "popuponewin.h"

#include "camhandel.h"
#include "testcamera.h"

#include <QGraphicsView>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include <memory>

// The separate popup window on its own: tabs, geometry kept in hx/hy/hwidth/hheight, the fit to
// the picture, its panel, and pictures that cannot be shown.
class tst_popupOneWin : public QObject {
    Q_OBJECT

private slots:
    void tabs();
    void frameMargins_data();
    void frameMargins();
    void storedSizeLimitedToScreen_data();
    void storedSizeLimitedToScreen();
    void geometrySurvivesRestart_data();
    void geometrySurvivesRestart();
    void resizeFitsPicture_data();
    void resizeFitsPicture();
    void faultyPictureKeepsWindowStill_data();
    void faultyPictureKeepsWindowStill();
    void panelInsideWindowCloseOnlyHides();
    void newPicturesOnly();
    void otherCameraPictureNotShown();
    void onlyLivePicturesShownLive_data();
    void onlyLivePicturesShownLive();
    void releaseCamera();
};

namespace {

const QByteArray widePicture = solidJpeg(QSize(1280, 720), Qt::blue);

// A popup window wired as the main window wires it, with cameras "Cam 0", "Cam 1", ...
struct popupRig {
    shellSettings settings;
    bool frame = true;
    int pixelSize = 20;
    QList<camData *> cameras;
    std::unique_ptr<popupOneWin> window;

    explicit popupRig(bool frameOn = true, const QRectF &area = QRectF(100, 100, 400, 300), int scaleMode = 0)
        : frame(frameOn)
    {
        settings.hx = area.x();
        settings.hy = area.y();
        settings.hwidth = area.width();
        settings.hheight = area.height();
        settings.scaleMode = scaleMode;
        settings.closeEn = true;
        window = std::make_unique<popupOneWin>(settings, frame, pixelSize);
        QPixmap placeholder(320, 240);
        placeholder.fill(Qt::gray);
        window->initialise(placeholder);
    }
    ~popupRig()
    {
        window.reset();
        qDeleteAll(cameras);
    }

    camData *camera(int i)
    {
        while (cameras.size() <= i) {
            auto *cam = new camData(QPixmap(), nullptr);
            cam->camModule.camName = QStringLiteral("Cam %1").arg(cameras.size());
            cameras.append(cam);
        }
        return cameras[i];
    }

    bool showUp()
    {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // One tick's worth of picture: fed and rendered.
    void feed(const QByteArray &picture)
    {
        window->feedPicture(picture);
        window->renderPopup();
        window->placeItem();
    }

    QRectF stored() const { return QRectF(settings.hx, settings.hy, settings.hwidth, settings.hheight); }
};

}  // namespace

// Five tabs at most, one per camera. Tabs the program adds or selects are no choice of the user;
// every click on the tab bar is, also after several tabs were added.
void tst_popupOneWin::tabs()
{
    popupRig rig;
    QVERIFY(rig.showUp());
    for (int i = 0; i < 5; ++i)
        QVERIFY(rig.window->showCamera(rig.camera(i)));
    QVERIFY(!rig.window->showCamera(rig.camera(5)));
    QCOMPARE(rig.window->tabCount(), 5);
    QCOMPARE(rig.window->currentCamera(), rig.camera(4));
    QVERIFY(rig.window->showCamera(rig.camera(1)));
    rig.window->followCamera(rig.camera(2));
    QCOMPARE(rig.window->tabCount(), 5);
    QCOMPARE(rig.window->takeChosenCamera(), nullptr);

    QTabBar *bar = rig.window->findChild<QTabWidget *>(QStringLiteral("popTW"))->tabBar();
    QCOMPARE(bar->currentIndex(), 2);
    // A tab's label always names its own camera; a camera without a tab is not followed.
    rig.window->followCamera(rig.camera(5));
    QCOMPARE(rig.window->currentCamera(), rig.camera(2));
    rig.feed(widePicture);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(bar->tabText(i), QStringLiteral("Cam %1").arg(i));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    QCOMPARE(rig.window->takeChosenCamera(), rig.camera(0));
    QCOMPARE(rig.window->takeChosenCamera(), nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    QCOMPARE(rig.window->takeChosenCamera(), rig.camera(3));
}

void tst_popupOneWin::frameMargins_data()
{
    QTest::addColumn<bool>("frame");
    QTest::addColumn<int>("margin");
    QTest::newRow("frameless: window is the stored size") << false << 0;
    QTest::newRow("framed: 10 pixels larger") << true << 10;
}

void tst_popupOneWin::frameMargins()
{
    QFETCH(bool, frame);
    QFETCH(int, margin);
    popupRig rig(frame);
    QVERIFY(rig.showUp());
    QCOMPARE(rig.window->windowFlags().testFlag(Qt::FramelessWindowHint), !frame);
    QVERIFY(rig.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(rig.window->geometry(), QRect(100, 100, 400 + margin, 300 + margin));

    rig.window->resize(500, 400);
    QTRY_COMPARE(rig.stored(), QRectF(100, 100, 500 - margin, 400 - margin));
}

void tst_popupOneWin::storedSizeLimitedToScreen_data()
{
    QTest::addColumn<QRectF>("stored");
    QTest::newRow("hand-edited 100000") << QRectF(100, 100, 100000, 100000);
    QTest::newRow("off the screen") << QRectF(-3000, 90000, 400, 300);
}

void tst_popupOneWin::storedSizeLimitedToScreen()
{
    QFETCH(QRectF, stored);
    popupRig rig(true, stored);
    const QRect available = rig.window->screen()->availableGeometry();
    QVERIFY(available.contains(rig.window->geometry()));
    QVERIFY(rig.settings.hwidth >= 50 && rig.settings.hwidth <= available.width() - 10);
    QVERIFY(rig.settings.hheight >= 50 && rig.settings.hheight <= available.height() - 10);
}

void tst_popupOneWin::geometrySurvivesRestart_data()
{
    QTest::addColumn<bool>("frame");
    QTest::newRow("framed") << true;
    QTest::newRow("frameless") << false;
}

// The stored geometry is the picture area, whatever the window went through: a start with the
// saved values gives the same window, not one 10 pixels larger, nor one frame higher, each time.
// (The test platform puts a frame of 2 pixels around a window, as a window manager a larger one.)
void tst_popupOneWin::geometrySurvivesRestart()
{
    QFETCH(bool, frame);
    popupRig rig(frame);
    QVERIFY(rig.showUp());
    rig.window->showCamera(rig.camera(0));
    rig.feed(widePicture);
    rig.feed(widePicture);
    rig.window->hide();
    const QRect first = rig.window->geometry();
    QCOMPARE(rig.stored(), QRectF(100, 100, 400, 300));

    for (int start = 0; start < 3; ++start) {
        popupOneWin again(rig.settings, rig.frame, rig.pixelSize);
        again.initialise(QPixmap());
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        again.hide();
        QCOMPARE(again.geometry(), first);
        QCOMPARE(rig.stored(), QRectF(100, 100, 400, 300));
    }
}

void tst_popupOneWin::resizeFitsPicture_data()
{
    QTest::addColumn<int>("scaleMode");
    QTest::addColumn<QSize>("window");   // the size the user gives the window
    QTest::addColumn<QSizeF>("stored");   // hwidth, hheight after the fit
    QTest::addColumn<QSizeF>("picture");  // the picture shown, to a pixel
    // 1280 x 720 at width 500: 281.25 high; 20 x 20 is raised to 50 x 50.
    QTest::newRow("mode 1 keeps the width, snaps the height")
        << 1 << QSize(510, 410) << QSizeF(500, 282) << QSizeF(500, 281.25);
    QTest::newRow("smaller than 50 x 50 is enlarged") << 0 << QSize(30, 30) << QSizeF(50, 50) << QSizeF(50, 50);
}

void tst_popupOneWin::resizeFitsPicture()
{
    QFETCH(int, scaleMode);
    QFETCH(QSize, window);
    QFETCH(QSizeF, stored);
    QFETCH(QSizeF, picture);
    popupRig rig(true, QRectF(100, 100, 400, 300), scaleMode);
    QVERIFY(rig.showUp());
    rig.window->showCamera(rig.camera(0));
    rig.feed(widePicture);

    rig.window->resize(window);
    QTRY_COMPARE(QSizeF(rig.settings.hwidth, rig.settings.hheight), stored);
    const QSize expected = (stored + QSizeF(10, 10)).toSize();
    QTRY_COMPARE((rig.feed(widePicture), rig.window->size()), expected);
    QCOMPARE(QSizeF(rig.settings.hwidth, rig.settings.hheight), stored);
    const QSize shown = rig.window->displayPixmap().size();
    QVERIFY(qAbs(shown.width() - picture.width()) < 1 && qAbs(shown.height() - picture.height()) < 1);
}

void tst_popupOneWin::faultyPictureKeepsWindowStill_data()
{
    QTest::addColumn<QByteArray>("picture");
    QByteArray garbage(600, 'x');
    garbage[0] = char(0xFF);
    garbage[1] = char(0xD8);
    QTest::newRow("does not decode") << garbage;
    QTest::newRow("500 bytes") << widePicture.left(500);
}

// A picture that cannot be shown puts the placeholder up with the fault; the window neither
// moves nor resizes for it, however long such pictures come.
void tst_popupOneWin::faultyPictureKeepsWindowStill()
{
    QFETCH(QByteArray, picture);
    popupRig rig(true, QRectF(100, 100, 400, 300), 1);
    QVERIFY(rig.showUp());
    rig.window->showCamera(rig.camera(0));
    const QRect before = rig.window->geometry();
    for (int tick = 0; tick < 10; ++tick) {
        rig.feed(picture);
        QCoreApplication::processEvents();
    }
    QCOMPARE(rig.window->caption(), QStringLiteral("!BILD Fehler! : Cam 0"));
    QCOMPARE(rig.window->geometry(), before);
    QCOMPARE(rig.settings.hx, 100.0);

    // The first good picture fits the window once (mode 1: 400 wide, 16:9), then it stays.
    rig.feed(widePicture);
    QTRY_COMPARE(rig.window->size(), QSize(410, 235));
    const QRect fitted = rig.window->geometry();
    for (int tick = 0; tick < 5; ++tick)
        rig.feed(widePicture);
    QCOMPARE(rig.window->geometry(), fitted);
    QCOMPARE(rig.window->caption(), QStringLiteral("> Cam 0"));
}

void tst_popupOneWin::panelInsideWindowCloseOnlyHides()
{
    popupRig rig;
    QVERIFY(rig.showUp());
    rig.window->showCamera(rig.camera(0));
    rig.feed(widePicture);
    // A click near the lower right corner, through the view to the window.
    QWidget *viewport = rig.window->findChild<QGraphicsView *>(QStringLiteral("grGW"))->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 2, viewport->height() - 2));
    camHandel *panel = rig.window->panel();
    QTRY_VERIFY(panel->isVisible());
    const QRect window = rig.window->frameGeometry();
    const QRect placed = panel->frameGeometry();
    QVERIFY(window.contains(placed));
    QCOMPARE(window.right() - placed.right(), 9);
    QCOMPARE(window.bottom() - placed.bottom(), 9);
    QCOMPARE(panel->windowTitle(), QStringLiteral("Cam 0"));
    // A window manager puts its frame around the panel after it was shown: placed again.
    panel->resize(panel->width(), panel->height() + 24);
    QTRY_COMPARE(window.bottom() - panel->frameGeometry().bottom(), 9);

    QVERIFY(!rig.window->close());
    QVERIFY(rig.window->isHidden());
    QVERIFY(panel->isHidden());
    QCOMPARE(rig.window->tabCount(), 1);
}

// The same newest picture is shown once, not decoded and scaled again on every tick.
void tst_popupOneWin::newPicturesOnly()
{
    cameraStub stub;
    stub.picture = widePicture;
    stub.copies = 3;
    QVERIFY(stub.listen(QHostAddress::LocalHost));
    wiredCamera wired;
    wired.start(stub.url("/stream"));
    QTRY_VERIFY(wired.tickShown());
    QTRY_VERIFY((wired.tickShown(), wired.camera.framesExtracted == stub.copies - 1));

    popupRig rig;
    QVERIFY(rig.showUp());
    rig.window->showCamera(&wired.camera);
    rig.window->feedFrom(&wired.camera, true);
    QCOMPARE(rig.window->caption(), QStringLiteral("> Eingang"));
    const qint64 shown = rig.window->displayPixmap().cacheKey();
    for (int tick = 0; tick < 3; ++tick) {
        wired.tickShown();
        rig.window->feedFrom(&wired.camera, true);
    }
    QCOMPARE(rig.window->displayPixmap().cacheKey(), shown);
    rig.window->removeAllTabs();
}

// Switching to another camera never shows the previous camera's picture under the new name.
void tst_popupOneWin::otherCameraPictureNotShown()
{
    popupRig rig;
    QVERIFY(rig.showUp());
    rig.window->showCamera(rig.camera(0));
    rig.feed(widePicture);
    QCOMPARE(rig.window->caption(), QStringLiteral("> Cam 0"));
    rig.window->showCamera(rig.camera(1));
    rig.window->renderPopup();
    QCOMPARE(rig.window->caption(), QStringLiteral("!UNCONNECTED! : Cam 1"));
}

void tst_popupOneWin::onlyLivePicturesShownLive_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("caption");
    QTest::newRow("camera silent") << "stall" << "!UNCONNECTED! : Eingang";
    QTest::newRow("new connection, no picture yet") << "restart" << "!UNCONNECTED! : Eingang";
    QTest::newRow("main window selects another camera") << "other" << "> Eingang";
}

// What the window marks live ("> ") is a picture its camera delivers now; it goes on showing its
// own camera's pictures while the main window selects another one.
void tst_popupOneWin::onlyLivePicturesShownLive()
{
    QFETCH(QString, what);
    QFETCH(QString, caption);
    cameraStub stub;
    QVERIFY(stub.listen(QHostAddress::LocalHost));
    wiredCamera wired;
    wired.start(stub.url("/live"));
    QTRY_COMPARE(stub.live.size(), 1);
    stub.push(cameraStub::part(widePicture));
    QTRY_VERIFY(wired.tickShown());

    popupRig rig;
    QVERIFY(rig.showUp());
    rig.window->showCamera(&wired.camera);
    rig.window->feedFrom(&wired.camera, true);
    QCOMPARE(rig.window->caption(), QStringLiteral("> Eingang"));
    const qint64 first = rig.window->displayPixmap().cacheKey();

    camData *fed = &wired.camera;
    if (what == QLatin1String("stall")) {
        wired.stallTimeout = 200;
        QTRY_VERIFY((wired.tickShown(), !wired.camera.isReceiving()));
    } else if (what == QLatin1String("restart")) {
        wired.start(stub.url("/live"));
        wired.tickShown();
    } else {
        fed = rig.camera(0);
        stub.push(cameraStub::part(solidJpeg(QSize(1280, 720), Qt::red)));
        QTRY_COMPARE((wired.tickShown(), wired.camera.framesDisplayed), qint64(2));
    }
    rig.window->feedFrom(fed, true);
    QCOMPARE(rig.window->caption(), caption);
    if (what == QLatin1String("other"))
        QVERIFY(rig.window->displayPixmap().cacheKey() != first);
    rig.window->removeAllTabs();
}

void tst_popupOneWin::releaseCamera()
{
    popupRig rig;
    QVERIFY(rig.showUp());
    for (int i = 0; i < 3; ++i)
        rig.window->showCamera(rig.camera(i));
    rig.window->followCamera(rig.camera(1));
    QTest::mousePress(rig.window.get(), Qt::LeftButton, {}, QPoint(20, 20));
    rig.window->panel()->findChild<QPushButton *>(QStringLiteral("TuerOfnenPB"))->click();

    rig.window->releaseCamera(rig.camera(1));
    QCOMPARE(rig.window->tabCount(), 2);
    QCOMPARE(rig.window->findCameraTab(rig.camera(2)), 1);
    QCOMPARE(rig.window->currentCamera(), nullptr);
    QCOMPARE(rig.window->panel()->pendingButton(), int(camHandel::none));
    rig.feed(QByteArray());
    QCOMPARE(rig.window->caption(), QStringLiteral("!UNCONNECTED! : "));
}

QTEST_MAIN(tst_popupOneWin)
#include "tst_popuponewin.moc"
