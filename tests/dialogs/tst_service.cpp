#include "service.h"

#include "../stream/testcamera.h"

#include <QScrollBar>
#include <QTableWidget>
#include <QTime>
#include <QtTest>

// The statistics dialog: rates in tenths shown with one decimal, no average without a sample,
// counters that restart when it opens, rows that follow the camera list.
class tst_service : public QObject {
    Q_OBJECT

private slots:
    void rateText_data();
    void rateText();
    void average_data();
    void average();
    void openingRestartsRates();
    void rowsFollowTheList();
};

void tst_service::rateText_data()
{
    QTest::addColumn<qint64>("tenths");
    QTest::addColumn<QString>("text");
    QTest::newRow("7") << qint64(7) << "0.7";
    QTest::newRow("250") << qint64(250) << "25.0";
    QTest::newRow("123") << qint64(123) << "12.3";
    QTest::newRow("0") << qint64(0) << "0.0";
    QTest::newRow("-123") << qint64(-123) << "-12.3";
}

void tst_service::rateText()
{
    QFETCH(qint64, tenths);
    QFETCH(QString, text);
    QCOMPARE(service::rateText(tenths), text);
}

void tst_service::average_data()
{
    QTest::addColumn<qint64>("sum");
    QTest::addColumn<int>("samples");
    QTest::addColumn<QString>("text");
    QTest::newRow("no sample") << qint64(0) << 0 << "-";
    QTest::newRow("sum without sample") << qint64(120) << 0 << "-";
    QTest::newRow("one sample of 7") << qint64(7) << 1 << "0.7";
    QTest::newRow("integer division") << qint64(2509) << 10 << "25.0";
}

void tst_service::average()
{
    QFETCH(qint64, sum);
    QFETCH(int, samples);
    QFETCH(QString, text);
    QCOMPARE(service::averageText(sum, samples), text);
}

// Before opening the camera counted 500 pictures; a rate measured against that old count would
// be negative.
void tst_service::openingRestartsRates()
{
    wiredCamera wired;
    camData &cam = wired.camera;
    cam.framesExtracted = 500;
    cam.framesDisplayed = 480;
    cam.updateRates(QTime(10, 0, 5));
    service dialog;
    dialog.prepare({&cam}, QTime(10, 0, 10));
    QCOMPARE(dialog.cellText(0, 4), QStringLiteral("0"));
    QCOMPARE(dialog.cellText(0, 5), QStringLiteral("0"));
    QCOMPARE(dialog.cellText(0, 3), QStringLiteral("-"));
    QCOMPARE(dialog.cellText(0, 2), QStringLiteral("-"));

    // 40 pictures in the 10 s after opening: 4 a second.
    cam.framesExtracted = 40;
    cam.framesDisplayed = 30;
    cam.updateRates(QTime(10, 0, 20));
    dialog.refresh({&cam});
    QCOMPARE(dialog.cellText(0, 2), QStringLiteral("4.0"));
    QCOMPARE(dialog.cellText(0, 3), QStringLiteral("4.0"));
    QCOMPARE(dialog.cellText(0, 4), QStringLiteral("40"));
    QCOMPARE(dialog.cellText(0, 5), QStringLiteral("30"));
}

void tst_service::rowsFollowTheList()
{
    wiredCamera a;
    wiredCamera b;
    wiredCamera c;
    a.camera.camModule.camName = QStringLiteral("Hof");
    a.camera.camModule.IP = QStringLiteral("127.0.0.2");
    b.camera.camModule.camName = QStringLiteral("Tor");
    b.camera.camModule.URL = QStringLiteral("http://127.0.0.3/x");
    c.camera.camModule.camName = QStringLiteral("Garage");
    c.camera.camModule.IP = QStringLiteral("127.0.0.4");
    c.camera.framesExtracted = 9;
    service dialog;
    dialog.refresh({&a.camera, &b.camera, &c.camera});
    QCOMPARE(dialog.cellText(1, 1), QStringLiteral("http://127.0.0.3/x"));

    dialog.refresh({&c.camera, &a.camera});
    QCOMPARE(dialog.cellText(0, 0), QStringLiteral("Garage"));
    QCOMPARE(dialog.cellText(0, 4), QStringLiteral("9"));
    QCOMPARE(dialog.cellText(1, 0), QStringLiteral("Hof"));
    QCOMPARE(dialog.cellText(1, 1), QStringLiteral("127.0.0.2"));
    QCOMPARE(dialog.cellText(2, 0), QString());  // no row left for the removed camera

    // Every column shows whole at the size the dialog opens with.
    dialog.show();
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("DaTW"));
    QTRY_VERIFY(table->isVisible());
    QTRY_COMPARE(table->horizontalScrollBar()->maximum(), 0);
}

QTEST_MAIN(tst_service)
#include "tst_service.moc"
