#include "saveavi.h"
#include "ui_saveavi.h"

#include "camdata.h"
#include "usermessage.h"

#include <QCloseEvent>

saveAVI::saveAVI(const QString &windowTitle, const QIcon &windowIcon)
    : ui(new Ui::saveAVI), title(windowTitle), icon(windowIcon)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(title);
    setWindowIcon(icon);
}

saveAVI::~saveAVI()
{
    video.stopRecording();
    delete ui;
}

void saveAVI::startVideo(camData *camera, const QString &folder, bool startAtOnce)
{
    if (!camera)
        return;
    if (video.camera() == camera) {
        show();
        raise();
        return;
    }
    if (camera->videoAttached() || camera->videoRecording())
        return;
    // Whenever no camera is attached the folder is taken again: it may have changed.
    if (!video.camera() && !prepareFolder(folder)) {
        message(tr(" Fehler beim File anlegen !! "));
        return;
    }
    if (attach(camera, startAtOnce) || video.camera()) {
        show();
        raise();
    }
}

bool saveAVI::prepareFolder(const QString &folder)
{
    shownSeconds = -1;
    const manualRecorder::folderResult result = video.prepareFolder(folder);
    if (result == manualRecorder::folderResult::probeFailed)
        message(tr("Fehler beim File öffnen !! "));
    return result == manualRecorder::folderResult::ready;
}

bool saveAVI::attach(camData *camera, bool startAtOnce)
{
    if (!video.attach(camera, startAtOnce))
        return false;
    shownSeconds = -1;
    ui->dimL->clear();
    return true;
}

void saveAVI::startRecording()
{
    video.startRecording();
}

void saveAVI::pauseRecording()
{
    video.pauseRecording();
}

void saveAVI::stopRecording()
{
    video.stopRecording();
    hide();
}

void saveAVI::on_cancPB_clicked()
{
    stopRecording();
}

void saveAVI::on_StopTB_clicked()
{
    pauseRecording();
}

void saveAVI::on_StartTB_clicked()
{
    startRecording();
}

void saveAVI::reject()
{
    stopRecording();
    QDialog::reject();
}

void saveAVI::closeEvent(QCloseEvent *event)
{
    stopRecording();
    event->accept();
}

void saveAVI::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    ui->retranslateUi(this);
    setWindowTitle(title);
    if (video.isRecording())
        ui->dimL->setText(runningTimeText());
}

void saveAVI::showRunningTime()
{
    const QString error = video.takeError();
    if (!error.isEmpty()) {
        stopRecording();
        message(tr("Fehler beim File schreiben !! ") + QLatin1Char('\n') + error);
        return;
    }
    if (video.takeTakenOver()) {
        stopRecording();
        message(tr("Die Videoaufnahme ist beendet: die automatische Aufzeichnung dieser Kamera wurde "
                   "eingeschaltet und nimmt ihre Bilder auf."));
        return;
    }
    if (!video.isRecording())
        return;
    const qint64 seconds = video.runningSeconds();
    if (seconds == shownSeconds)
        return;
    shownSeconds = seconds;
    ui->dimL->setText(runningTimeText());
    video.verifyFile();
}

QString saveAVI::runningTimeText() const
{
    return tr("Laufzeit: ") + QString::number(qMax<qint64>(0, shownSeconds)) + tr(" Sekunden");
}

void saveAVI::releaseCamera(camData *camera)
{
    if (camera && video.camera() == camera)
        stopRecording();
}

void saveAVI::message(const QString &text)
{
    userMessage::open(this, title, icon, text);
}
