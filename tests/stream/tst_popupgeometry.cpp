#include "popupgeometry.h"

#include <QtTest>

// The popup window's arithmetic: the stored picture area against the screen, the fit to the
// picture's aspect, and where the command panel opens.
class tst_popupGeometry : public QObject {
    Q_OBJECT

private slots:
    void clampToScreen_data();
    void clampToScreen();
    void fitToPicture_data();
    void fitToPicture();
    void panelPosition_data();
    void panelPosition();
};

namespace {
const QRect fullHd(0, 0, 1920, 1080);
}

void tst_popupGeometry::clampToScreen_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<bool>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRectF>("clamped");

    QTest::newRow("inside stays") << QRectF(100, 100, 640, 480) << true << fullHd << QRectF(100, 100, 640, 480);
    QTest::newRow("hand-edited 100000 square, framed")
        << QRectF(100, 100, 100000, 100000) << true << fullHd << QRectF(0, 0, 1910, 1070);
    QTest::newRow("hand-edited 100000 square, frameless")
        << QRectF(100, 100, 100000, 100000) << false << fullHd << QRectF(0, 0, 1920, 1080);
    QTest::newRow("too small is 50 x 50") << QRectF(100, 100, 10, 0) << true << fullHd << QRectF(100, 100, 50, 50);
    QTest::newRow("negative position") << QRectF(-500, -300, 640, 480) << false << fullHd << QRectF(0, 0, 640, 480);
    QTest::newRow("beyond the right and bottom edges")
        << QRectF(5000, 900, 640, 480) << false << fullHd << QRectF(1280, 600, 640, 480);
    QTest::newRow("second screen")
        << QRectF(2000, 50, 400, 300) << true << QRect(1920, 0, 1280, 1024) << QRectF(2000, 50, 400, 300);
}

void tst_popupGeometry::clampToScreen()
{
    QFETCH(QRectF, area);
    QFETCH(bool, frame);
    QFETCH(QRect, available);
    QTEST(popupGeometry::clampToScreen(area, popupGeometry::margins(frame), available), "clamped");
}

void tst_popupGeometry::fitToPicture_data()
{
    QTest::addColumn<QSizeF>("area");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("scaleMode");
    QTest::addColumn<QSizeF>("fitted");

    const QSize wide(1280, 720);
    const QSizeF limit(1910, 1070);
    QTest::newRow("mode 1 keeps the width") << QSizeF(500, 400) << wide << 1 << QSizeF(500, 282);
    QTest::newRow("mode 2 keeps the height") << QSizeF(500, 360) << wide << 2 << QSizeF(640, 360);
    QTest::newRow("mode 0 keeps both") << QSizeF(500, 400) << wide << 0 << QSizeF(500, 400);
    QTest::newRow("mode 0 below 50 x 50") << QSizeF(30, 20) << wide << 0 << QSizeF(50, 50);
    QTest::newRow("mode 1 below 50: width 50, height from it") << QSizeF(30, 30) << wide << 1 << QSizeF(50, 29);
    QTest::newRow("mode 1 portrait taller than the screen")
        << QSizeF(1900, 1000) << QSize(720, 1280) << 1 << QSizeF(602, 1070);
    QTest::newRow("mode 2 wider than the screen") << QSizeF(500, 1000) << QSize(1920, 800) << 2 << QSizeF(1910, 796);
    QTest::newRow("mode 0 larger than the screen") << QSizeF(3000, 3000) << wide << 0 << limit;
    QTest::newRow("no picture") << QSizeF(500, 400) << QSize() << 1 << QSizeF(500, 400);
}

void tst_popupGeometry::fitToPicture()
{
    QFETCH(QSizeF, area);
    QFETCH(QSize, picture);
    QFETCH(int, scaleMode);
    QTEST(popupGeometry::fitToPicture(area, picture, scaleMode, QSizeF(1910, 1070)), "fitted");
}

void tst_popupGeometry::panelPosition_data()
{
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("position");

    const QRect window(100, 100, 650, 490);  // right 749, bottom 589
    QTest::newRow("room enough: at the click") << QPoint(300, 300) << window << QPoint(300, 300);
    QTest::newRow("lower right corner: 8 pixels inside")
        << QPoint(740, 580) << window << QPoint(749 - 8 - 160, 589 - 8 - 160);
    QTest::newRow("window smaller than the panel: at its top left")
        << QPoint(150, 150) << QRect(100, 100, 60, 60) << QPoint(100, 100);
    QTest::newRow("small window at the screen's right edge")
        << QPoint(1900, 150) << QRect(1860, 100, 60, 60) << QPoint(1920 - 160, 100);
}

void tst_popupGeometry::panelPosition()
{
    QFETCH(QPoint, click);
    QFETCH(QRect, window);
    QTEST(popupGeometry::panelPosition(click, QSize(160, 160), window, fullHd), "position");
}

QTEST_MAIN(tst_popupGeometry)
#include "tst_popupgeometry.moc"
