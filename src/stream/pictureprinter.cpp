#include "pictureprinter.h"

#include "camdata.h"
#include "recordfiles.h"
#include "tracecategory.h"
#include "usermessage.h"

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

picturePrinter::picturePrinter(QWidget *parentWidget, QObject *parent)
    : QObject(parent), dialogParent(parentWidget)
{
}

QRect picturePrinter::pictureArea(const QRect &viewport, const QSize &picture)
{
    const QSize fitted = picture.scaled(viewport.size(), Qt::KeepAspectRatio);
    return QRect(viewport.topLeft(), fitted);
}

bool picturePrinter::paint(QPrinter &printer, const QByteArray &picture)
{
    const QImage image = QImage::fromData(picture);
    if (image.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setViewport(pictureArea(painter.viewport(), image.size()));
    painter.setWindow(image.rect());
    painter.drawImage(0, 0, image);
    return painter.end();
}

bool picturePrinter::printPicture(camData *camera, QWidget *over)
{
    if (!camera || camera->printSnapshot().isEmpty() || camera->printing())
        return false;
    const QPointer<QWidget> parentWidget(over ? over : dialogParent);
    const QByteArray picture = camera->printSnapshot();
    if (QImage::fromData(picture).isNull()) {
        qCDebug(dxcamTrace) << "##### Drucken: Bild fehlerhaft";
        report(parentWidget, tr("Das Bild ist fehlerhaft und kann nicht gedruckt werden."));
        return false;
    }
    camera->setPrinting(true);
    auto *printer = new QPrinter;
    // The job is named as the picture would be saved.
    printer->setDocName(recordFiles::timeStamp(QDateTime::currentDateTime())
                        + recordFiles::safeName(camera->camModule.camName) + recordFiles::jpgExtension);
    auto *dialog = new QPrintDialog(printer, parentWidget);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<camData> printed(camera);
    connect(dialog, &QDialog::finished, this, [this, dialog, printed, picture, parentWidget](int result) {
        bool done = false;
        if (result != QDialog::Accepted) {
            qCDebug(dxcamTrace) << "##### Drucken abgebrochen";
        } else if (!(done = paint(*dialog->printer(), picture))) {
            qCDebug(dxcamTrace) << "##### Drucken fehlgeschlagen";
            report(parentWidget, tr("Der Drucker hat den Auftrag nicht angenommen."));
        }
        if (printed)
            printed->setPrinting(false);
        emit finished(done);
    });
    connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    dialog->open();
    return true;
}

void picturePrinter::report(QWidget *parent, const QString &text)
{
    userMessage::open(parent, parent ? parent->windowTitle() : QString(), parent ? parent->windowIcon() : QIcon(),
                      text);
}
