#pragma once

#include "appoptions.h"
#include "auxdialogs.h"
#include "inidata.h"
#include "popupcontrol.h"
#include "settingsrequests.h"
#include "settingsservice.h"
#include "shellsettings.h"
#include "ticktiming.h"
#include "commanddispatch.h"
#include "dispatchhost.h"
#include "picturesaver.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QMainWindow>
#include <QMutex>
#include <QPixmap>
#include <QRectF>
#include <QSystemTrayIcon>
#include <QTime>

#include <functional>

namespace Ui {
class ownCam;
}
class QAction;
class QMenu;
class EinstDia;
class camData;
class camHandel;
class commandSender;
class ownGraphScene;
class ownMsgBox;
class popupOneWin;
class picturePrinter;
class saveAVI;
class statusReceiver;

// The main window: owns the configuration, the cameras, the grid scene, the module sockets, the
// command panel and the tray, and drives all of them from one 40 ms tick.
class ownCam : public QMainWindow, public dispatchHost {
    Q_OBJECT

public:
    // Whether the desktop offers a system tray now. It is asked when the window is closed:
    // without a tray, closing leaves the program, as there would be no way back to it.
    using trayProbe = std::function<bool()>;
    explicit ownCam(const appOptions &options, trayProbe trayAvailable, QWidget *parent = nullptr);
    ~ownCam() override;

    static constexpr int moduleMax = 20;
    static constexpr int tickMs = 40;

    // Configuration
    iniData ini;
    shellSettings settings;
    QHostAddress ownAddress;

    // Cameras in grid order; one of them is current
    QList<camData *> cameras;
    camData *currentCam = nullptr;
    int currentIndex = -1;
    bool makeCurrent(int index);
    bool Start_CAM(camData *pCD);
    void StartAll_CAM();
    void stopCameras();
    // Before a camera is deleted: everything that holds it lets go.
    void releaseCamera(camData *cam);

    // Grid
    int tileAt(const QPointF &scenePos) const;
    int selectCameraUnder(const QPointF &scenePos);
    bool isGridView() const { return settings.dispForm != 0; }
    void layoutGrid(bool setSceneRect);

    // Configuration entries rebuilt from the settings and the modules in list order, each
    // module in the section its name and address give; iniData::writeFile() then saves them.
    void rebuildConfiguration();
    void toggleView();
    ownGraphScene *scene() const { return graphScene; }
    camHandel *panel() const { return commandPanel; }
    popupOneWin *popupWindow() const { return popupWin; }

    // One 40 ms tick; the timer calls it, tests may too.
    void tick();

    // Requests served by the tick
    settingsRequests requests;
    EinstDia *settingsDialog = nullptr;
    bool leftClickRequest = false;
    bool viewToggleRequest = false;
    bool startAllRequest = false;
    bool startStopRequest = false;
    bool stopCurrentRequest = false;

    // Tick state
    tickTiming tickTimes;
    int msCounter = 0;
    int timerBusy = 0;
    bool firstTick = false;
    bool startupPending = false;
    int geometryRestoreCounter = 0;
    bool traceSwitch = false;
    int stallTimeoutMs = 5000;
    int overlayPixelSize = 20;
    int resizeRepeat = 0;
    int relayoutCount = 0;  // grid layouts run by resize and move events
    bool windowFrameShown = true;
    popupControl popup;
    auxDialogs dialogs;
    settingsService settingsWork;

    void showMainWindow();
    void showOnRequest();
    void hideMainWindow();
    bool hasTrayIcon() const { return trayIcon != nullptr; }
    ownMsgBox *trayNotice() const { return notice; }
    QMenu *trayMenu() const { return menu; }

    // dispatchHost
    void startCam(camData *camera) override;
    void startAllCams() override;
    void refreshStartStopLabel() override;
    bool savePictures(camData *camera) override;
    bool printPicture(camData *camera) override;
    void startVideo(camData *camera) override;

    // Pictures and recording
    bool savePictures();
    pictureSaver pictures;
    saveAVI *videoDialog() const { return videoRecorder; }
    picturePrinter *printer() const { return picturePrint; }
    int housekeepingMs = 0;
    static constexpr int housekeepingIntervalMs = 3000;

public slots:
    void udpCamRecPending();
    void udpSipRecPending();
    void on_bildSpeichPB_clicked();
    void on_stopPB_clicked();
    void on_startPB_clicked();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void showMessage();
    void messageClicked();
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
    void timerEvent(QTimerEvent *event) override;

private:
    // Creates, applies, removes and orders modules on the tick.
    friend class settingsService;

    // Start-up
    void applyInitialWindowFlags();
    void loadNotConnectedPicture();
    void applyEdition();
    void createTray();
    void readConfiguration(const appOptions &options);
    void reportUnreadableConfiguration();
    void loadModules();
    bool createCamera(const QString &section);
    void createModuleSockets();
    void translateWindowTexts();
    void createCommandPanel();
    void createPopupWindow();
    void startRecordingCameras();

    // One tick, step by step
    void runTick();
    void countRunningTicks();
    void serveWindowRequests();
    void followPanelToWindow();
    bool restoreGeometryDue();
    void superviseCameras();
    void recordingHousekeeping();
    void firstTickInit();
    void serveMoveRequest();
    bool serveRequests();
    bool serveSettingsRequests();
    bool serveCameraSelection();
    void serveLeftClick();
    void servePanelButtons();
    void updateClock();
    void serveConnectRequests();
    void handOverFrames();
    void collectRecordedPictures();
    void closeRecordings();
    void writeTraceLines();
    void popupWindowFollows();
    void finishStartup();
    void retranslateWindows();
    void retranslatePanel();

    // Helpers
    void relayoutOnGeometryChange();
    void relayout();
    QSizeF measurePictureArea();
    void applyFrameRule();
    void toggleMaximised();
    void moveCamera(int from, int to);
    void showCurrentCameraText();
    void openCommandPanel();
    void applyViewVisibility();

    Ui::ownCam *ui;
    ownGraphScene *graphScene = nullptr;
    ownMsgBox *notice = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;
    QMenu *menu = nullptr;
    QList<QAction *> actions;
    QAction *hideCtrlAction = nullptr;
    trayProbe trayAvailable;
    bool quitting = false;
    QPixmap notConnected;
    statusReceiver *camStatus = nullptr;
    statusReceiver *sipStatus = nullptr;
    commandSender *sender = nullptr;
    commandDispatch *dispatch = nullptr;
    camHandel *commandPanel = nullptr;
    popupOneWin *popupWin = nullptr;
    saveAVI *videoRecorder = nullptr;
    picturePrinter *picturePrint = nullptr;
    int camStatusPort = -1;
    int sipStatusPort = -1;
    QRectF targetGeometry;
    QRectF lastGeometry;
    int lastDispForm = -1;
    bool layoutPending = false;  // the grid view came while the window was hidden: lay out on show
    QTime now;
    int lastPeriodSecond = 0;
    bool periodClosed = false;
    QMutex cameraListLock;
    QMutex layoutLock;
    QMutex visibilityLock;
};
