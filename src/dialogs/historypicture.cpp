#include "historypicture.h"
#include "ui_historypicture.h"

#include "pictureprinter.h"
#include "recordfiles.h"
#include "shellsettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

historyPicture::historyPicture(const shellSettings &settings, QWidget *parent)
    : QDialog(parent), ui(new Ui::historyPicture), settings(settings)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui->savePB, &QPushButton::clicked, this, &historyPicture::save);
    connect(ui->printPB, &QPushButton::clicked, this, &historyPicture::print);
    connect(ui->recordingPB, &QPushButton::clicked, this, [this] { emit recordingRequested(shown); });
    connect(ui->closePB, &QPushButton::clicked, this, &QDialog::close);
}

historyPicture::~historyPicture()
{
    delete ui;
}

void historyPicture::retranslate()
{
    ui->retranslateUi(this);
}

void historyPicture::present(const historyEvent &event, const QString &pictureFolder, const QString &caption,
                             const QString &recordingWhyNot)
{
    shown = event;
    jpeg.clear();
    QFile file(QDir(pictureFolder).filePath(event.picture));
    if (!event.picture.isEmpty() && file.open(QIODevice::ReadOnly))
        jpeg = file.readAll();
    ui->captionL->setText(caption);
    const bool saving = settings.Autosave && !settings.ImageFolder.isEmpty();
    ui->savePB->setEnabled(!jpeg.isEmpty() && saving);
    ui->savePB->setToolTip(saving ? QString() : tr("Bilder speichern ist in den Einstellungen nicht freigegeben."));
    ui->printPB->setEnabled(!jpeg.isEmpty());
    ui->recordingPB->setEnabled(recordingWhyNot.isEmpty());
    ui->recordingPB->setToolTip(recordingWhyNot);
    ui->noteL->setText(recordingWhyNot);
    if (jpeg.isEmpty()) {
        ui->pictureL->setPixmap(QPixmap());
        ui->pictureL->setText(event.noPicture.isEmpty() ? tr("kein Bild") : tr("kein Bild: %1").arg(event.noPicture));
    }
    fit();
}

void historyPicture::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    fit();
}

void historyPicture::fit()
{
    if (jpeg.isEmpty())
        return;
    QPixmap pixmap;
    if (!pixmap.loadFromData(jpeg, "JPEG")) {
        ui->pictureL->setText(tr("Das Bild ist fehlerhaft."));
        return;
    }
    ui->pictureL->setPixmap(pixmap.scaled(ui->pictureL->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// As "Bild speichern" does: into ImageFolder, never over another file.
void historyPicture::save()
{
    const QString stem = recordFiles::timeStamp(QDateTime::fromMSecsSinceEpoch(shown.startMs))
                         + recordFiles::safeName(shown.camName);
    lastSaved = recordFiles::writeNew(settings.ImageFolder, stem, recordFiles::jpgExtension, jpeg);
    ui->noteL->setText(lastSaved.isEmpty()
                           ? tr("Das Bild konnte nicht in \"%1\" gespeichert werden.").arg(settings.ImageFolder)
                           : tr("Gespeichert: %1").arg(QDir::toNativeSeparators(lastSaved)));
}

// The print dialog opens without a loop of its own: the tick goes on meanwhile.
void historyPicture::print()
{
    auto *printer = new QPrinter;
    auto *dialog = new QPrintDialog(printer, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QByteArray picture = jpeg;
    connect(dialog, &QDialog::accepted, this, [this, dialog, picture] {
        if (!picturePrinter::paint(*dialog->printer(), picture))
            ui->noteL->setText(tr("Der Drucker hat den Auftrag nicht angenommen."));
    });
    connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    dialog->open();
}
