#pragma once

#include "manualrecorder.h"

#include <QDialog>
#include <QIcon>

namespace Ui {
class saveAVI;
}
class camData;

// The video dialog: records one camera by hand (start, pause, stop) and shows the running time.
// One instance serves the whole program, one camera at a time. Escape and closing the window
// stop the recording, so that no recording runs on without a way to stop it.
class saveAVI : public QDialog {
    Q_OBJECT

public:
    saveAVI(const QString &title, const QIcon &icon);
    ~saveAVI() override;

    // The save-video command: takes the folder, attaches the camera and shows the dialog; for the
    // camera attached already it only brings the dialog back.
    void startVideo(camData *camera, const QString &folder, bool startAtOnce);
    bool prepareFolder(const QString &folder);
    bool attach(camData *camera, bool startAtOnce);
    void startRecording();
    void pauseRecording();
    void stopRecording();
    // Every tick: the running time, and the end of a recording that could not be written.
    void showRunningTime();
    // The camera is about to be deleted: a recording of it ends.
    void releaseCamera(camData *camera);
    void message(const QString &text);

    manualRecorder &recorder() { return video; }
    QString runningTimeText() const;

public slots:
    void on_cancPB_clicked();
    void on_StopTB_clicked();
    void on_StartTB_clicked();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Ui::saveAVI *ui;
    manualRecorder video;
    QString title;
    QIcon icon;
    qint64 shownSeconds = -1;
};
