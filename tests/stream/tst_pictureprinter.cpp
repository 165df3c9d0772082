#include "pictureprinter.h"
#include "testcamera.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The page content streams of a PDF, inflated.
QList<QByteArray> contentStreams(const QByteArray &pdf)
{
    QList<QByteArray> streams;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream\n", at)) >= 0) {
        const qsizetype start = at + 7;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0)
            break;
        QByteArray packed = pdf.mid(start, end - start);
        // qUncompress wants the length in front; a generous guess will do.
        packed.prepend(QByteArray("\x00\x10\x00\x00", 4));
        const QByteArray inflated = qUncompress(packed);
        if (!inflated.isEmpty())
            streams << inflated;
        at = end + 9;
    }
    return streams;
}

struct placement {
    double width = 0;   // on the page, in device pixels
    double height = 0;
};

// How the one picture was placed: the scale set for it and the picture's own size.
placement picturePlacement(const QByteArray &pdf)
{
    static const QRegularExpression drawn(
        QStringLiteral("([\\d.]+) 0 0 ([\\d.]+) 0 0 cm\\s+(\\d+) 0 0 -(\\d+) 0 \\d+ cm /Im\\d+\\s+Do"));
    for (const QByteArray &content : contentStreams(pdf)) {
        const QRegularExpressionMatch m = drawn.match(QString::fromLatin1(content));
        if (m.hasMatch())
            return {m.captured(1).toDouble() * m.captured(3).toDouble(), m.captured(2).toDouble() * m.captured(4).toDouble()};
    }
    return {};
}

int pageCount(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n"));
}

} // namespace

class tst_picturePrinter : public QObject {
    Q_OBJECT

private slots:
    void pictureArea_data();
    void pictureArea();
    void onePageAspectKept_data();
    void onePageAspectKept();
    void refused_data();
    void refused();
    void dialogFinishesTheJob_data();
    void dialogFinishesTheJob();
    void nothingToPrint();

private:
    QTemporaryDir dir;
};

void tst_picturePrinter::pictureArea_data()
{
    QTest::addColumn<QRect>("viewport");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("area");
    QTest::newRow("wide picture fills the width") << QRect(10, 20, 1000, 1000) << QSize(640, 480) << QRect(10, 20, 1000, 750);
    QTest::newRow("tall picture fills the height") << QRect(0, 0, 800, 600) << QSize(300, 600) << QRect(0, 0, 300, 600);
    QTest::newRow("small picture is enlarged") << QRect(5, 5, 2000, 3000) << QSize(160, 120) << QRect(5, 5, 2000, 1500);
}

void tst_picturePrinter::pictureArea()
{
    QFETCH(QRect, viewport);
    QFETCH(QSize, picture);
    QTEST(picturePrinter::pictureArea(viewport, picture), "area");
}

void tst_picturePrinter::onePageAspectKept_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("640x480") << QSize(640, 480);
    QTest::newRow("wide 320x120") << QSize(320, 120);
    QTest::newRow("tall 120x320") << QSize(120, 320);
}

void tst_picturePrinter::onePageAspectKept()
{
    QFETCH(QSize, size);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    printer.setOutputFileName(path);
    // A picture as cut from a stream: the next part's headers follow it.
    const QByteArray picture = solidJpeg(size, Qt::darkGreen) + "\r\n--b\r\nContent-Type: image/jpeg\r\n\r\n";
    QVERIFY(picturePrinter::paint(printer, picture));
    const QByteArray pdf = readFile(path);
    QCOMPARE(pageCount(pdf), 1);
    const placement drawn = picturePlacement(pdf);
    QVERIFY(drawn.width > 0 && drawn.height > 0);
    QVERIFY(qAbs(drawn.width / drawn.height - double(size.width()) / size.height()) < 0.005);
    // As large as the page allows: one side fills the printable area.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QVERIFY(qAbs(drawn.width - page.width()) <= 2 || qAbs(drawn.height - page.height()) <= 2);
    QVERIFY(drawn.width <= page.width() + 2 && drawn.height <= page.height() + 2);
}

void tst_picturePrinter::refused_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QString>("file");
    QTest::newRow("picture does not decode") << QByteArray("\xFF\xD8 not a picture at all") << "page.pdf";
    QTest::newRow("printer refuses") << solidJpeg(QSize(64, 48), Qt::blue) << "missing/page.pdf";
}

void tst_picturePrinter::refused()
{
    QFETCH(QByteArray, picture);
    QFETCH(QString, file);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(file));
    QFile::remove(dir.filePath(file));
    QVERIFY(!picturePrinter::paint(printer, picture));
    QVERIFY(!QFile::exists(dir.filePath(file)));
}

void tst_picturePrinter::dialogFinishesTheJob_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("fromPopup");  // over a window that stays on top
    QTest::newRow("printed") << true << false;
    QTest::newRow("cancelled") << false << false;
    QTest::newRow("printed from a window on top: the dialog over it") << true << true;
}

void tst_picturePrinter::dialogFinishesTheJob()
{
    QFETCH(bool, accept);
    QFETCH(bool, fromPopup);
    QWidget window;
    QWidget onTop(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
    picturePrinter printer(&window);
    QSignalSpy finished(&printer, &picturePrinter::finished);
    wiredCamera cam;
    cam.camera.setPrintSnapshot(solidJpeg(QSize(160, 120), Qt::yellow));
    QVERIFY(printer.printPicture(&cam.camera, fromPopup ? &onTop : nullptr));
    QVERIFY(cam.camera.printing());
    // The dialog is open and waits; the caller is back at once, and no second dialog opens.
    auto *dialog = (fromPopup ? onTop : window).findChild<QPrintDialog *>();
    QCOMPARE(window.findChild<QPrintDialog *>() != nullptr, !fromPopup);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!printer.printPicture(&cam.camera));
    QCOMPARE(finished.count(), 0);
    const QString path = dir.filePath(QStringLiteral("dialog.pdf"));
    QFile::remove(path);
    // As the user confirms the printer chosen (accept() would take the dialog's fields instead).
    dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
    dialog->printer()->setOutputFileName(path);
    dialog->done(accept ? QDialog::Accepted : QDialog::Rejected);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), accept);
    QVERIFY(!cam.camera.printing());
    QCOMPARE(QFile::exists(path), accept);
    if (accept)
        QCOMPARE(pageCount(readFile(path)), 1);
}

void tst_picturePrinter::nothingToPrint()
{
    QWidget window;
    picturePrinter printer(&window);
    wiredCamera cam;
    QVERIFY(!printer.printPicture(&cam.camera));
    cam.camera.setPrintSnapshot(QByteArray("\xFF\xD8 broken"));
    QVERIFY(!printer.printPicture(&cam.camera));
    QVERIFY(!cam.camera.printing());
    QVERIFY(!window.findChild<QPrintDialog *>());
}

QTEST_MAIN(tst_picturePrinter)
#include "tst_pictureprinter.moc"
