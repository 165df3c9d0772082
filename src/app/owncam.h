#pragma once

#include "auxdialogs.h"
#include "auxdialogshost.h"
#include "callnotifier.h"
#include "camerastreams.h"
#include "dispatchhost.h"
#include "einstdia.h"
#include "historyservice.h"
#include "installation.h"
#include "picturesaver.h"
#include "popupcontrol.h"
#include "popuphost.h"
#include "settingshost.h"
#include "settingsservice.h"
#include "systemtray.h"
#include "tickstate.h"
#include "ticktiming.h"
#include "windowrules.h"

#include <QMainWindow>
#include <QPixmap>

class QCloseEvent;
class QHideEvent;
class QMoveEvent;
class QResizeEvent;
class QShowEvent;
class QTimerEvent;
struct appOptions;
class camData;
class camHandel;
class commandDispatch;
class commandSender;
class ownGraphScene;
class picturePrinter;
class popupOneWin;
class saveAVI;
class statusReceiver;

namespace Ui {
class ownCam;
}

// The main window: it holds the form, the grid scene and the windows and sockets it makes at
// start-up, and drives the program from one 40 ms tick. The installation's state, the tray, the
// window rules, the popup logic, the settings work and the auxiliary dialogs are objects of their
// own; the window does for them what only a window can do.
class ownCam : public QMainWindow,
               public dispatchHost,
               public popupHost,
               public settingsHost,
               public auxDialogsHost {
    Q_OBJECT

public:
    using trayProbe = systemTray::availabilityProbe;
    explicit ownCam(const appOptions &options, trayProbe trayAvailable, QWidget *parent = nullptr);
    ~ownCam() override;

    installation &state() { return installData; }
    const installation &state() const { return installData; }
    systemTray &tray() { return shellTray; }
    windowRules &rules() { return frameRules; }
    popupControl &popup() { return popupLogic; }
    auxDialogs &dialogs() { return auxiliary; }
    tickState &ticks() { return tickValues; }
    tickTiming &tickTimes() { return timing; }
    pictureSaver &pictures() { return pictureFiles; }

    ownGraphScene *scene() const { return graphScene; }
    popupOneWin *popupWindow() const override { return popupWin; }
    camHandel *panel() const { return commandPanel; }
    EinstDia *settingsDialog() const { return settingsDia; }
    saveAVI *videoDialog() const { return videoRecorder; }
    picturePrinter *printer() const { return picturePrint; }

    // One 40 ms tick; the timer calls it, tests may too.
    void tick();

    bool Start_CAM(camData *pCD);
    void StartAll_CAM();
    bool savePictures();
    // A second start of the viewer with the same INI file asks this one to come to the front.
    void showOnRequest();
    // The user chose a door call's desktop notification: its camera, shown as a second start would.
    void showStation(const QString &station);
    callNotifier &notifications() { return notifier; }
    historyService &callHistory() { return history; }

    // dispatchHost
    void startCam(camData *camera) override { Start_CAM(camera); }
    void startAllCams() override { StartAll_CAM(); }
    void refreshStartStopLabel() override;
    bool savePictures(camData *) override { return savePictures(); }
    bool printPicture(camData *camera) override;
    void startVideo(camData *camera) override;

    // popupHost
    bool windowHidden() const override { return isHidden(); }
    bool windowVisible() const override { return isVisible(); }
    bool windowMaximised() const override { return isMaximized(); }
    void showMainWindow() override;  // popupHost and settingsHost
    void hideMainWindow() override { hide(); }
    // The user asked for the window: it takes the keyboard (a door call's does not).
    void showWindowNormal() override { showAsked(&QWidget::showNormal); }
    void showWindowMaximised() override { showAsked(&QWidget::showMaximized); }
    void currentCameraChanged() override;
    void callWhileShown() override;

    // settingsHost
    bool createCamera(const QString &section) override;
    void relayout() override;
    void toggleView() override;
    void startCurrentCamera() override { on_startPB_clicked(); }
    void stopCameras() override { on_stopPB_clicked(); }
    void saveCurrentPicture() override { on_bildSpeichPB_clicked(); }
    void toggleMaximised() override { frameRules.toggleMaximised(); }
    void toggleControlBox() override { hideCtrlGB(); }
    void applyFrameRule() override;
    void applyStoredGeometry() override { frameRules.applyStoredGeometry(controlBoxVisible()); }
    void bindStatusPorts() override;

    // auxDialogsHost
    void viewerPasswordAnswered(bool maximise, bool accepted) override;
    bool windowShownToUser() const override { return popupLogic.windowShownToUser(); }
    void saveConfiguration() override { settingsWork.writeOrSay(); }
    guardedSettings *settingsGuard() const override { return settingsDia; }
    void storeLanguage(int language) override { installData.settings().language = language; }

public slots:
    void udpCamRecPending();
    void udpSipRecPending();
    void on_bildSpeichPB_clicked();
    void on_stopPB_clicked();
    void on_startPB_clicked();
    void HideGrWin();
    void ShowMaxGrWin();
    void ShowNormGrWin();
    void Raus();
    void spracheFun();
    void hideCtrlGB();
    void einstellFun();
    void probe01();

protected:
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    // Start-up
    void loadNotConnectedPicture();
    void applyEdition();
    void connectTray();
    void reportUnreadableConfiguration();
    void loadModules();
    void finishModuleLoad(const appOptions &options);
    void createSettingsDialog(const appOptions &options);
    void createModuleSockets();
    void translateWindowTexts();
    void createCommandPanel();
    void createPopupWindow();

    // One tick, step by step
    void runTick();
    void followPanelToWindow();
    void superviseCameras();
    void firstTickInit();
    void serveMoveRequest();
    bool serveRequests();
    bool serveCameraSelection();
    void serveLeftClick();
    void servePanelButtons();
    void updateClock();
    void handOverFrames();
    void popupWindowFollows();
    void finishStartup();
    void retranslateWindows();
    void retranslatePanel();

    // Cameras, window and grid
    void closeRecordings();
    bool controlBoxVisible() const;
    void relayoutOnGeometryChange();
    void showCurrentCameraText();
    void showAsked(void (QWidget::*show)())
    {
        setAttribute(Qt::WA_ShowWithoutActivating, false);
        (this->*show)();
    }
    void openCommandPanel();

    Ui::ownCam *ui;
    installation installData;
    windowRules frameRules;
    systemTray shellTray;
    auxDialogs auxiliary;
    cameraStreams streams;
    popupControl popupLogic;
    callNotifier notifier;
    historyService history;
    settingsService settingsWork;
    tickState tickValues;
    tickTiming timing;
    pictureSaver pictureFiles;
    ownGraphScene *graphScene = nullptr;
    EinstDia *settingsDia = nullptr;
    bool quitting = false;
    QPixmap notConnected;
    bool notConnectedLabelled = false;  // the built-in picture, without its text
    statusReceiver *camStatus = nullptr;
    statusReceiver *sipStatus = nullptr;
    commandSender *sender = nullptr;
    commandDispatch *dispatch = nullptr;
    camHandel *commandPanel = nullptr;
    popupOneWin *popupWin = nullptr;
    saveAVI *videoRecorder = nullptr;
    picturePrinter *picturePrint = nullptr;
};
