#include "viewerfixture.h"

#include "camhandel.h"
#include "owngraphscene.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsSceneMouseEvent>
#include <QtTest>

class tst_ownGraphScene : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tilesOfFiveCamerasInTwoByTwo();
    void gridAfterStoredSingleView_data();
    void gridAfterStoredSingleView();
    void drag_data();
    void drag();
    void rightClickTogglesMaximised();
    void leftClickSelectsThenOpensPanel();
    void viewToggle();
    void geometryRestoredOnThirdTick();

private:
    void startViewer(int cameras, const QString &window = {});
    void click(Qt::MouseButton button, QEvent::Type type, const QPointF &at);
    void rightDrag(const QPointF &from, const QPointF &to);
    QStringList order() const;

    std::unique_ptr<viewerFixture> fixture;
    std::unique_ptr<ownCam> viewer;
};

void tst_ownGraphScene::init()
{
    fixture = std::make_unique<viewerFixture>();
}

void tst_ownGraphScene::cleanup()
{
    viewer.reset();
    fixture.reset();
}

void tst_ownGraphScene::startViewer(int cameras, const QString &window)
{
    fixture->writeIni(cameras, QStringLiteral("nPicCol=2\nnPicRow=2\n") + window);
    viewer = fixture->start();
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    viewerFixture::tick(*viewer, 3);
    QVERIFY(!viewer->ticks().firstTick && !viewer->ticks().startupPending);
}

void tst_ownGraphScene::click(Qt::MouseButton button, QEvent::Type type, const QPointF &at)
{
    QGraphicsSceneMouseEvent event(type);
    event.setButton(button);
    event.setScenePos(at);
    event.setScreenPos(viewer->mapToGlobal(at.toPoint()));
    QCoreApplication::sendEvent(viewer->scene(), &event);
}

void tst_ownGraphScene::rightDrag(const QPointF &from, const QPointF &to)
{
    click(Qt::RightButton, QEvent::GraphicsSceneMousePress, from);
    click(Qt::RightButton, QEvent::GraphicsSceneMouseRelease, to);
}

QStringList tst_ownGraphScene::order() const
{
    QStringList names;
    for (const camData *cam : viewer->state().cameras())
        names.append(cam->camModule.camName.mid(4));
    return names;
}

void tst_ownGraphScene::tilesOfFiveCamerasInTwoByTwo()
{
    startViewer(5);
    QCOMPARE(viewer->state().settings().width, 640.0);
    QCOMPARE(viewer->state().cameras()[1]->tileRect(), QRectF(320, 0, 320, 240));
    QCOMPARE(viewer->state().cameras()[3]->tileRect(), QRectF(320, 240, 320, 240));
    // The fifth camera lies below the visible area.
    QCOMPARE(viewer->state().cameras()[4]->tileRect(), QRectF(0, 480, 320, 240));
    QCOMPARE(viewer->state().tileAt(QPointF(330, 10)), 1);
    QCOMPARE(viewer->state().tileAt(QPointF(10, 250)), 2);
    QCOMPARE(viewer->state().tileAt(QPointF(-5, 10)), -1);
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->state().cameras()[3]->item()->pos(), QPointF(320, 240));
}

void tst_ownGraphScene::gridAfterStoredSingleView_data()
{
    QTest::addColumn<bool>("startHidden");
    QTest::newRow("shown at start") << false;
    QTest::newRow("hidden at start, shown later") << true;
}

// Quitting in single view stores dispForm=0; the next start shows the grid, laid out.
void tst_ownGraphScene::gridAfterStoredSingleView()
{
    QFETCH(bool, startHidden);
    fixture->writeIni(4, QStringLiteral("nPicCol=2\nnPicRow=2\ndispForm=0\nAutohide=%1\nTimeout=100\n")
                             .arg(int(startHidden)),
                      QStringLiteral("HideStartEn=%1\n").arg(int(startHidden)));
    viewer = fixture->start();
    viewer->show();
    // A viewer that starts hidden may be hidden again by its own timer before the window system
    // reports it exposed: only the one that stays shown is waited for.
    if (!startHidden)
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    viewerFixture::tick(*viewer, 4);
    QVERIFY(!viewer->ticks().startupPending);
    QCOMPARE(viewer->isHidden(), startHidden);
    if (startHidden) {
        viewer->showMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    }
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->state().settings().dispForm, 2);
    const QList<QPointF> corners{{0, 0}, {320, 0}, {0, 240}, {320, 240}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(viewer->state().cameras()[i]->tileRect(), QRectF(corners[i], QSizeF(320, 240)));
        QCOMPARE(viewer->state().cameras()[i]->item()->pos(), corners[i]);
        QVERIFY(viewer->state().cameras()[i]->item()->isVisible());
    }
}

void tst_ownGraphScene::drag_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QStringList>("expected");
    const QPointF tile0(10, 10), tile1(330, 10), tile2(10, 250), tile3(330, 250);
    QTest::newRow("0 onto 2") << tile0 << tile2 << QStringList{"1", "0", "2", "3"};
    QTest::newRow("3 onto 1") << tile3 << tile1 << QStringList{"0", "3", "1", "2"};
    QTest::newRow("press outside any tile") << QPointF(-50, -50) << tile2 << QStringList{"0", "1", "2", "3"};
}

void tst_ownGraphScene::drag()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QStringList, expected);
    startViewer(4);
    rightDrag(from, to);
    QVERIFY(viewer->scene()->dragging);
    viewerFixture::tick(*viewer);
    QCOMPARE(order(), (QStringList{"0", "1", "2", "3"}));
    // The next release, of any button, confirms the drag.
    click(Qt::LeftButton, QEvent::GraphicsSceneMouseRelease, to);
    QVERIFY(viewer->scene()->moveRequest);
    viewerFixture::tick(*viewer);
    QCOMPARE(order(), expected);
    QVERIFY(!viewer->scene()->moveRequest && !viewer->scene()->dragging);

    // The configuration in memory follows the new order.
    QStringList seen;
    QStringList sections;
    for (const auto &entry : viewer->state().ini().entries()) {
        if (!entry.section.startsWith(QLatin1String("Cam ")) || seen.contains(entry.section))
            continue;
        seen.append(entry.section);
        sections.append(entry.section.mid(4, 1));
    }
    QCOMPARE(sections, expected);
}

void tst_ownGraphScene::rightClickTogglesMaximised()
{
    startViewer(2);
    rightDrag(QPointF(10, 10), QPointF(20, 20));
    QVERIFY(viewer->scene()->rightClick);
    viewerFixture::tick(*viewer);
    QTRY_VERIFY(viewer->isMaximized());
    rightDrag(QPointF(10, 10), QPointF(20, 20));
    viewerFixture::tick(*viewer);
    QTRY_VERIFY(!viewer->isMaximized());
}

void tst_ownGraphScene::leftClickSelectsThenOpensPanel()
{
    startViewer(3);
    QCOMPARE(viewer->state().currentIndex(), 2);
    click(Qt::LeftButton, QEvent::GraphicsSceneMouseRelease, QPointF(330, 10));
    QCOMPARE(viewer->state().currentIndex(), 1);
    QVERIFY(viewer->scene()->currentChanged);
    QVERIFY(!viewer->state().shellRequests().leftClick);
    viewerFixture::tick(*viewer);
    QVERIFY(!viewer->panel()->isVisible());

    click(Qt::LeftButton, QEvent::GraphicsSceneMouseRelease, QPointF(330, 10));
    QVERIFY(viewer->state().shellRequests().leftClick);
    viewerFixture::tick(*viewer);
    QVERIFY(viewer->panel()->isVisible());
    QCOMPARE(viewer->panel()->windowTitle(), QStringLiteral("Cam 1"));
    // Beside the click: a second click there must not land on one of its buttons.
    QVERIFY(!viewer->panel()->frameGeometry().contains(viewer->mapToGlobal(QPoint(330, 10))));

    // A second click closes it; a click on a gap keeps the current camera.
    click(Qt::LeftButton, QEvent::GraphicsSceneMouseRelease, QPointF(330, 10));
    viewerFixture::tick(*viewer);
    QVERIFY(!viewer->panel()->isVisible());
    click(Qt::LeftButton, QEvent::GraphicsSceneMouseRelease, QPointF(700, 700));
    QCOMPARE(viewer->state().currentIndex(), 1);
    QVERIFY(viewer->state().shellRequests().leftClick);
}

void tst_ownGraphScene::viewToggle()
{
    startViewer(3);
    viewer->state().shellRequests().viewToggle = true;
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->state().settings().dispForm, 0);
    QVERIFY(viewer->state().currentCamera()->item()->isVisible());
    QVERIFY(!viewer->state().cameras()[0]->item()->isVisible());
    QCOMPARE(viewer->state().currentCamera()->tileRect(), QRectF(0, 0, 640, 480));

    viewer->state().shellRequests().viewToggle = true;
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->state().settings().dispForm, 2);
    QVERIFY(viewer->state().cameras()[0]->item()->isVisible());
    QCOMPARE(viewer->state().currentCamera()->tileRect(), QRectF(0, 240, 320, 240));
}

void tst_ownGraphScene::geometryRestoredOnThirdTick()
{
    // Tiles follow the picture aspect: 640 wide gives 320 x 240 tiles, so the window is asked
    // to shrink to 2 x 2 of them plus its margins.
    fixture->writeIni(4, QStringLiteral("nPicCol=2\nnPicRow=2\nscaleMode=1\nheight=700.0\n"));
    viewer = fixture->start();
    viewer->show();  // no event loop from here on: only the test's ticks count
    viewerFixture::tick(*viewer);  // the first tick lays the grid out
    QCOMPARE(viewer->rules().restoreCounter(), 1);
    viewerFixture::tick(*viewer, 2);
    QVERIFY(viewer->geometry().height() != 490);
    viewerFixture::tick(*viewer);
    QCOMPARE(viewer->geometry().size(), QSize(650, 490));
    QCOMPARE(viewer->rules().restoreCounter(), 0);
}

QTEST_MAIN(tst_ownGraphScene)
#include "tst_owngraphscene.moc"
