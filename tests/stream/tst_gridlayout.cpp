#include "gridlayout.h"

#include <QtTest>

class tst_gridLayout : public QObject {
    Q_OBJECT

private slots:
    void margins_data();
    void margins();
    void tileSize_data();
    void tileSize();
    void tilePlacement_data();
    void tilePlacement();
    void moveOrder_data();
    void moveOrder();
};

void tst_gridLayout::margins_data()
{
    QTest::addColumn<bool>("frame");
    QTest::addColumn<bool>("controlBox");
    QTest::addColumn<QSizeF>("expected");
    QTest::newRow("frame and control box") << true << true << QSizeF(10, 60);
    QTest::newRow("frame only") << true << false << QSizeF(10, 10);
    QTest::newRow("frameless") << false << true << QSizeF(0, 0);
}

void tst_gridLayout::margins()
{
    QFETCH(bool, frame);
    QFETCH(bool, controlBox);
    QFETCH(QSizeF, expected);
    QCOMPARE(gridLayout::frameMargins(frame, controlBox), expected);
    const QRectF area = gridLayout::pictureArea(QRect(30, 40, 650, 490), expected);
    QCOMPARE(area, QRectF(30, 40, 650 - expected.width(), 490 - expected.height()));
}

void tst_gridLayout::tileSize_data()
{
    QTest::addColumn<QSizeF>("area");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("gridView");
    QTest::addColumn<int>("scaleMode");
    QTest::addColumn<QSizeF>("tile");
    QTest::addColumn<QSizeF>("window");  // empty: the window is not asked to fit

    const QSizeF none;
    QTest::newRow("2x2 free") << QSizeF(640, 480) << 2 << 2 << true << 0 << QSizeF(320, 240) << none;
    QTest::newRow("0x0 counts as 1x1") << QSizeF(640, 480) << 0 << 0 << true << 0 << QSizeF(640, 480) << none;
    QTest::newRow("single view ignores grid") << QSizeF(640, 480) << 3 << 3 << false << 0 << QSizeF(640, 480) << none;
    QTest::newRow("fit width") << QSizeF(640, 600) << 2 << 2 << true << 1 << QSizeF(320, 240) << QSizeF(650, 490);
    QTest::newRow("fit height") << QSizeF(1000, 480) << 2 << 2 << true << 2 << QSizeF(320, 240) << QSizeF(650, 490);
    QTest::newRow("fit width single") << QSizeF(400, 600) << 2 << 2 << false << 1 << QSizeF(400, 300) << QSizeF(410, 310);
}

void tst_gridLayout::tileSize()
{
    QFETCH(QSizeF, area);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(bool, gridView);
    QFETCH(int, scaleMode);
    QFETCH(QSizeF, tile);
    QFETCH(QSizeF, window);
    const auto result = gridLayout::tileSize(area, QSizeF(10, 10), columns, rows, gridView, scaleMode, QSize(640, 480));
    QCOMPARE(result.tile, tile);
    QCOMPARE(result.fitWindow, !window.isEmpty());
    if (result.fitWindow)
        QCOMPARE(result.windowSize, window);
}

void tst_gridLayout::tilePlacement_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("index");
    QTest::addColumn<QPointF>("topLeft");
    QTest::newRow("2x2 first") << 2 << 0 << QPointF(0, 0);
    QTest::newRow("2x2 second") << 2 << 1 << QPointF(100, 0);
    QTest::newRow("2x2 fourth") << 2 << 3 << QPointF(100, 50);
    QTest::newRow("2x2 fifth lies below the grid") << 2 << 4 << QPointF(0, 100);
    QTest::newRow("0 columns: every camera on a new row") << 0 << 2 << QPointF(0, 100);
    QTest::newRow("1 column") << 1 << 3 << QPointF(0, 150);
}

void tst_gridLayout::tilePlacement()
{
    QFETCH(int, columns);
    QFETCH(int, index);
    QFETCH(QPointF, topLeft);
    QCOMPARE(gridLayout::tileRect(index, QSizeF(100, 50), columns), QRectF(topLeft, QSizeF(100, 50)));
}

void tst_gridLayout::moveOrder_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("order");
    QTest::newRow("0 onto 2") << 0 << 2 << QList<int>{1, 0, 2, 3};
    QTest::newRow("3 onto 1") << 3 << 1 << QList<int>{0, 3, 1, 2};
    QTest::newRow("press outside any tile") << -1 << 2 << QList<int>{0, 1, 2, 3};
    QTest::newRow("same tile") << 1 << 1 << QList<int>{0, 1, 2, 3};
}

void tst_gridLayout::moveOrder()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QList<int>, order);
    QCOMPARE(gridLayout::moveOrder(4, from, to), order);
}

QTEST_GUILESS_MAIN(tst_gridLayout)
#include "tst_gridlayout.moc"
