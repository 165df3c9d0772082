#pragma once

#include <QDialog>
#include <QPointer>

class camData;
struct shellSettings;

namespace Ui {
class camHandel;
}

// The small button panel opened over a camera picture. A press only records a request and closes
// the panel; the main window's tick turns the pending request into work (commandDispatch).
class camHandel : public QDialog {
    Q_OBJECT

public:
    // Button numbers, as returned by pendingButton().
    enum button { none = 0, door = 1, doorAndHangUp = 2, light = 3, callStation = 4, savePicture = 5,
                  print = 6, saveVideo = 7, startStop = 8 };

    // settings: read for SavePrintBtnEn now and whenever the availability changes.
    // popupPanel: the separate popup window's panel, without start/stop and view buttons.
    explicit camHandel(const shellSettings &settings, bool popupPanel = false, QWidget *parent = nullptr);
    ~camHandel() override;

    void setButtonLabels(const QString &buttonText);
    // The labels as the settings field shows them: the built-in default in the language in use,
    // any other text as the user wrote it. storedButtonText() is the way back, so that the file
    // keeps the default whatever language it was shown in.
    static QString shownButtonText(const QString &stored);
    static QString storedButtonText(const QString &shown);
    static QString defaultButtonText();
    void setViewLabel(bool gridView);
    void setStartStopLabel(bool streamIdle);
    // 0: manual saving usable (when allowed at all); 1: automatic recording owns saving.
    void setAvailability(int mode);

    // The camera the panel is opened for: every press is bound to it, so that a later change of
    // the current camera cannot redirect it.
    void setCamera(camData *camera);
    camData *camera() const;

    // The first pending request in priority order, none when nothing is pending.
    int pendingButton() const;
    // Whether the press was made with a camera bound, and that camera (null once it is gone).
    bool isBound(int button) const;
    camData *requestCamera(int button) const;
    void clearRequest(int button);
    // Drops the presses for a camera about to be deleted, and the panel's hold on it. current:
    // it is the current camera, which presses made without a camera would go to.
    void releaseCamera(const camData *camera, bool current = false);

    void retranslate();

signals:
    // "Verlauf": the call history is to open (the panel closes).
    void historyRequested();
    // The view button: grid or single picture (the main window toggles it on its next tick).
    void viewToggleAsked();

private slots:
    void on_TuerOfnenPB_clicked();
    void on_verbTrennPB_clicked();
    void on_switchLightPB_clicked();
    void on_callSIPPB_clicked();
    void on_saveJPG_clicked();
    void on_speichernAVIPB_clicked();
    void on_printPB_clicked();
    void on_StartStopVideoPB_clicked();
    void on_Voll_AlleBilderPB_clicked();
    void on_verlaufPB_clicked();

private:
    void request(int button);
    void shrink();

    Ui::camHandel *ui;
    const shellSettings &settings;
    struct press {
        bool pending = false;
        bool bound = false;
        QPointer<camData> camera;
    };
    press requests[startStop + 1];
    QPointer<camData> panelCamera;
};
