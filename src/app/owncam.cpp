#include "owncam.h"
#include "ui_owncam.h"

#include "appoptions.h"
#include "autostart.h"
#include "camdata.h"
#include "camhandel.h"
#include "commanddispatch.h"
#include "commandsender.h"
#include "edition.h"
#include "einstdia.h"
#include "owngraphscene.h"
#include "pictureprinter.h"
#include "popuponewin.h"
#include "rtspfeed.h"
#include "saveavi.h"
#include "settingsmodel.h"
#include "statusreceiver.h"
#include "tracecategory.h"
#include "videopage.h"

#include <QApplication>
#include <QDBusConnection>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace {
const char *notConnectedMessage = QT_TRANSLATE_NOOP("ownCam", "kein Fehlerbild für 'Nicht Verbunden' vorhanden");
const char *builtInNotConnected = ":/iconMarvitons/images/notconnected.jpg";
}

ownCam::ownCam(const appOptions &options, trayProbe trayAvailable, QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::ownCam)
    , frameRules(*this, installData.settings())
    , shellTray(*this, std::move(trayAvailable))
    , auxiliary(installData.settings(), installData.cameras(), installData.requests(), *this, *this)
    , streams(installData, auxiliary)
    , popupLogic(installData, *this, auxiliary)
    , notifier(QDBusConnection::sessionBus(), QStringLiteral(DXCAM_APP_ID),
               [this](const QString &text) { installData.ini().warn(text); })
    , history(installData, shellTray, notifier, *this, popupWin)
    , settingsWork(installData, *this)
{
    QApplication::setQuitOnLastWindowClosed(false);
    ui->setupUi(this);
    // The tiles are opaque pixmaps drawn with no transformation: painter state and
    // antialiasing margins need no care, and one rectangle around all changed tiles is redrawn.
    ui->bildGW->setOptimizationFlags(QGraphicsView::DontSavePainterState | QGraphicsView::DontAdjustForAntialiasing);
    ui->bildGW->setViewportUpdateMode(QGraphicsView::BoundingRectViewportUpdate);
    frameRules.applyStartFlags();
    loadNotConnectedPicture();
    applyEdition();
    popupLogic.setNotifier(&notifier);
    connect(&notifier, &callNotifier::showRequested, this, &ownCam::showStation);
    graphScene = new ownGraphScene(installData, frameRules, notConnected.size(), this);
    connect(graphScene, &ownGraphScene::tileHit, ui->infoL, &QLabel::setText);
    connect(&installData, &installation::cameraAboutToBeRemoved, this, [this](camData *cam) {
        pictureFiles.forget(cam);
        auxiliary.releaseCamera(cam);
    });
    if (installData.settings().trayEn) {
        shellTray.create();
        connectTray();
    }

    ui->mainToolBar->hide();
    ui->menuBar->hide();
    ui->statusBar->hide();
    setAnimated(false);
    ui->stopPB->setEnabled(false);
    ui->startPB->setEnabled(true);
    connect(ui->cancelPB, &QPushButton::clicked, this, &QWidget::close);

    installData.readConfiguration(options.configFile);
    frameRules.placeAtStart();
    loadModules();
    finishModuleLoad(options);
    history.open(QCoreApplication::applicationFilePath());
    createSettingsDialog(options);

    tickValues.firstTick = true;
    ui->steuGB->hide();
    createModuleSockets();
    translateWindowTexts();
    settingsWork.rebuildOrderList();
    applyEdition();
    if (installData.ini().fileUnreadable())
        reportUnreadableConfiguration();
    createCommandPanel();
    frameRules.followFrameSetting();
    createPopupWindow();
    picturePrint = new picturePrinter(this, this);
    streams.startRecordingCameras();
    tickValues.timerBusy = 0;
    startTimer(tickMs);
}

ownCam::~ownCam()
{
    history.close();
    delete popupWin;
    // Stop cleanly: recordings closed, connections aborted, workers deleted before the sockets
    // they use.
    closeRecordings();
    delete videoRecorder;
    installData.deleteCameras();
    // "Beenden" ends within moments whatever the RTSP cameras do: their readers were all asked
    // to stop, and are waited for once.
    rtspFeed::finishAll(2000);
    delete dispatch;
    delete ui;
}

// ---------------------------------------------------------------- start-up

void ownCam::loadNotConnectedPicture()
{
    // A "001.jpg" in the working directory still overrides the built-in picture, which is drawn
    // with its label in the language in use.
    if (notConnected.load(QStringLiteral("001.jpg")))
        return;
    notConnectedLabelled = notConnected.load(QString::fromLatin1(builtInNotConnected));
    if (notConnectedLabelled)
        return;
    QMessageBox::information(this, QString(), tr(notConnectedMessage));
}

void ownCam::applyEdition()
{
    const edition ed = edition::forVersion(installData.settings().FaVers);
    setWindowTitle(ed.translatedTitle());
    setWindowIcon(QIcon(ed.iconPath));
    shellTray.setEdition(windowIcon(), windowTitle());
    notifier.setSender(windowTitle(), edition::installedIconName(installData.settings().FaVers));
    if (installData.settings().FaVers == 1) {
        QStringList quoted;
        for (const QString &name : ed.translatedCameraTypes())
            quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
        qCDebug(dxcamTrace).noquote()
            << "CAM-Tip[1]: " + QLatin1Char('(') + quoted.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
}

void ownCam::connectTray()
{
    connect(&shellTray, &systemTray::hideRequested, this, &ownCam::HideGrWin);
    connect(&shellTray, &systemTray::showMaximisedRequested, this, &ownCam::ShowMaxGrWin);
    connect(&shellTray, &systemTray::showNormalRequested, this, &ownCam::ShowNormGrWin);
    connect(&shellTray, &systemTray::languageRequested, this, &ownCam::spracheFun);
    connect(&shellTray, &systemTray::settingsRequested, this, &ownCam::einstellFun);
    connect(&shellTray, &systemTray::quitRequested, this, &ownCam::Raus);
    connect(&shellTray, &systemTray::toggleControlBoxRequested, this, &ownCam::hideCtrlGB);
}

// The store has said so in the log and the debug channel; the user learns it here, without a
// modal box holding up the start.
void ownCam::reportUnreadableConfiguration()
{
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                tr("Die Einstellungsdatei \"%1\" kann nicht gelesen werden.\n"
                                   "Der Viewer arbeitet mit dem Standardmodul und überschreibt die Datei nicht.")
                                    .arg(QDir::toNativeSeparators(installData.ini().iniPath())),
                                QMessageBox::Ok, this);
    box->setWindowIcon(windowIcon());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void ownCam::loadModules()
{
    settingsModel::loadModules(installData.ini(), installation::moduleMax,
                               [this](const QString &section) { return createCamera(section); });
}

void ownCam::finishModuleLoad(const appOptions &options)
{
    shellSettings &settings = installData.settings();
    settings.dispForm = 2;
    installData.ini().applyValues();
    settingsModel::sanitizeGeometry(settings);
    for (camData *cam : installData.cameras()) {
        settingsModel::finishModuleLoad(cam->camModule, cam->sipModuleRec, installData.ini().usedDefaults());
        cam->applyAddressRules();
    }
    // The captions keep the size chosen before the last quit.
    installData.setOverlayPixelSize(videoPage::fontPixelSize(settings.TextGroese));
    installData.takeOwnAddress();
    installData.setTraceSwitch(options.logOn);
}

void ownCam::createSettingsDialog(const appOptions &options)
{
    // The settings dialog shows the guards of the protection record: read it first.
    auxiliary.createPasswordPrompt();
    settingsDia = new EinstDia(installData.settings(), installData.cameras(), installData.requests(),
                               installData.traceSwitch(), auxiliary.protection,
                               autoStart(QCoreApplication::applicationFilePath(), options.configFile), this);
    settingsDia->showCamera(installData.currentCamera());
    settingsWork.setDialog(settingsDia);
    connect(settingsDia, &EinstDia::overlayPixelSizeChosen, this, [this](int pixels) {
        installData.setOverlayPixelSize(pixels);
    });
    connect(&installData, &installation::cameraAboutToBeRemoved, settingsDia, &EinstDia::releaseCamera);
}

bool ownCam::createCamera(const QString &section)
{
    auto cam = std::make_unique<camData>(notConnected, this);
    cam->labelPlaceholder(notConnectedLabelled);
    cam->wireSettings(&installData.settings(), &installData.traceSwitch(), &installData.stallTimeoutMs(),
                      &installData.overlayPixelSize());
    cam->setDefaults();
    if (!installData.loadModule(cam.get(), section))
        return false;
    cam->attachToScene(graphScene);
    cam->setAddresses(cam->camModule.addressText(), cam->sipModuleRec.addressText(), installData.ownAddress());

    installData.settings().dispForm = 2;
    camData *added = cam.get();
    installData.addCamera(std::move(cam));
    relayout();
    added->setTileRect(QRectF(0, 0, installData.settings().width, installData.settings().height));
    ui->urlE->setText(section);
    ui->bildGW->setScene(graphScene);
    ui->bildGW->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->bildGW->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return true;
}

void ownCam::createModuleSockets()
{
    camStatus = new statusReceiver(statusReceiver::moduleKind::cameraIo, &installData.cameras(), this);
    sender = new commandSender(installData.ownAddress(), this);
    sipStatus = new statusReceiver(statusReceiver::moduleKind::intercom, &installData.cameras(), this);
    bindStatusPorts();
    installation::windowRequests &requests = installData.shellRequests();
    dispatch = new commandDispatch(*this, *sender, installData.settings(), installData.cameras(), requests.startAll,
                                   requests.startStop);
    history.watch(*camStatus, *sipStatus, *dispatch);
}

// The status sockets listen on the first module's ports. Without a module at the start they
// listen nowhere useful; the first module added must not wait for a restart to be heard.
void ownCam::bindStatusPorts()
{
    using kind = statusReceiver::moduleKind;
    camStatus->bind(statusReceiver::firstStatusPort(installData.cameras(), kind::cameraIo));
    sipStatus->bind(statusReceiver::firstStatusPort(installData.cameras(), kind::intercom));
}

void ownCam::translateWindowTexts()
{
    ui->retranslateUi(this);
    ui->steuGB->setTitle(QString());
    setWindowTitle(edition::forVersion(installData.settings().FaVers).translatedTitle());
    shellTray.retranslate();
}

void ownCam::createCommandPanel()
{
    if (!commandPanel) {
        const shellSettings &settings = installData.settings();
        commandPanel = new camHandel(settings, false, this);
        commandPanel->setButtonLabels(settings.ButtonText);
        commandPanel->setAvailability(settings.BildAllSaveEn ? 1 : 0);
        history.attachPanel(commandPanel);
        settingsWork.setPanel(commandPanel);
        connect(commandPanel, &camHandel::viewToggleAsked, this,
                [this] { installData.shellRequests().viewToggle = true; });
        // Pending panel presses for a camera that goes are dropped; those for others stay theirs.
        connect(&installData, &installation::cameraAboutToBeRemoved, commandPanel, [this](camData *cam) {
            commandPanel->releaseCamera(cam, cam == installData.currentCamera());
        });
    }
    commandPanel->setViewLabel(installData.isGridView());
}

// Parentless: it pops up on its own while the main window stays hidden.
void ownCam::createPopupWindow()
{
    popupWin = new popupOneWin(installData.settings(), frameRules.frameShown(), installData.overlayPixelSize());
    popupWin->setWindowTitle(windowTitle());
    popupWin->setWindowIcon(windowIcon());
    popupWin->initialise(notConnected, notConnectedLabelled);
    history.attachPanel(popupWin->panel());
    connect(&installData, &installation::cameraAboutToBeRemoved, popupWin, &popupOneWin::releaseCamera);
}

// ---------------------------------------------------------------- cameras

bool ownCam::Start_CAM(camData *pCD)
{
    return streams.start(pCD);
}

void ownCam::StartAll_CAM()
{
    streams.startAll();
    relayout();
    installData.shellRequests().startAll = false;
}

void ownCam::closeRecordings()
{
    if (videoRecorder)
        videoRecorder->stopRecording();
    streams.closeRecordings();
}

bool ownCam::savePictures()
{
    if (!pictureFiles.savePictures(installData.cameras(), installData.settings()))
        return false;
    shellTray.setLastAction(tr("Bild gespeichert: %1").arg(QFileInfo(pictureFiles.lastSavedPath()).fileName()));
    return true;
}

bool ownCam::printPicture(camData *camera)
{
    camera->setPrintSnapshot(camera->newestFrame());
    // The popup window stays on top: printing the camera it shows (from its panel, or from the
    // main window's for the same camera) opens the dialog over it, not underneath.
    QWidget *over = popupWin && popupWin->isShowing(camera) ? popupWin : nullptr;
    return picturePrint->printPicture(camera, over);
}

void ownCam::startVideo(camData *camera)
{
    if (!videoRecorder) {
        videoRecorder = new saveAVI(windowTitle(), windowIcon());
        connect(&installData, &installation::cameraAboutToBeRemoved, videoRecorder, &saveAVI::releaseCamera);
    }
    videoRecorder->startVideo(camera, installData.settings().ImageFolder, installData.settings().FaVers == 2);
}

void ownCam::refreshStartStopLabel()
{
    camData *current = installData.currentCamera();
    if (commandPanel && current)
        commandPanel->setStartStopLabel(current->isIdle());
}

// ---------------------------------------------------------------- grid

void ownCam::relayout()
{
    graphScene->layOut(true, isVisible(), controlBoxVisible());
}

void ownCam::toggleView()
{
    installData.settings().dispForm = installData.isGridView() ? 0 : 2;
    if (commandPanel)
        commandPanel->setViewLabel(installData.isGridView());
    graphScene->applyViewVisibility();
    relayout();
}

void ownCam::showCurrentCameraText()
{
    if (camData *current = installData.currentCamera())
        ui->urlE->setText(current->camModule.camName + QStringLiteral(" : ") + current->camModule.shownAddress());
}

void ownCam::openCommandPanel()
{
    camData *current = installData.currentCamera();
    if (!commandPanel || !current)
        return;
    if (commandPanel->isVisible()) {
        commandPanel->hide();
        return;
    }
    commandPanel->setViewLabel(installData.isGridView());
    commandPanel->setStartStopLabel(current->isIdle());
    commandPanel->adjustSize();
    const QPoint click = graphScene->screenPosition.toPoint();
    commandPanel->move(windowRules::panelPlace(click, commandPanel->frameGeometry().size(), frameGeometry()));
    commandPanel->setCamera(current);
    commandPanel->setWindowTitle(current->camModule.camName);
    qCDebug(dxcamTrace).noquote() << "TITEL: " << ('"' + current->camModule.camName + '"');
    history.panelOpened(current);
    commandPanel->show();
}

void ownCam::currentCameraChanged()
{
    graphScene->currentChanged = true;
}

// ---------------------------------------------------------------- window

// A door call comes up over what the user is doing without taking the keyboard from it (the
// window manager is told so); a click on the window activates it as usual.
void ownCam::showMainWindow()
{
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    raise();
}

// Wayland honours neither raise() nor staying on top; a window shown anew comes to the front.
void ownCam::callWhileShown()
{
    if (!frameRules.onWayland())
        return;
    hide();
    show();
}

void ownCam::showStation(const QString &station)
{
    camData *camera = popupLogic.cameraOfStation(station);
    if (camera && installData.makeCurrent(int(installData.cameras().indexOf(camera))))
        currentCameraChanged();
    showOnRequest();
}

void ownCam::showOnRequest()
{
    popupLogic.userShown = false;
    ShowNormGrWin();
    raise();
    activateWindow();
}

bool ownCam::controlBoxVisible() const
{
    return !ui->steuGB->isHidden();
}

void ownCam::applyFrameRule()
{
    frameRules.applyFrameRule();
    if (popupWin)
        popupWin->applyWindowFlags(installData.settings().closeEn);
}

void ownCam::moveEvent(QMoveEvent *)
{
    relayoutOnGeometryChange();
}

void ownCam::resizeEvent(QResizeEvent *)
{
    relayoutOnGeometryChange();
}

void ownCam::relayoutOnGeometryChange()
{
    const windowRules::moveOutcome outcome = frameRules.windowMoved(controlBoxVisible());
    if (outcome == windowRules::moveOutcome::ignored)
        return;
    const shellSettings &s = installData.settings();
    if (outcome == windowRules::moveOutcome::changed && settingsDia)
        settingsDia->showGeometry(s.x, s.y, s.width, s.height);
    relayout();
}

void ownCam::showEvent(QShowEvent *)
{
    if (graphScene->layoutPending())
        relayout();
}

// Whoever opens it next goes through the viewer password again.
void ownCam::hideEvent(QHideEvent *)
{
    popupLogic.windowHidden();
}

void ownCam::closeEvent(QCloseEvent *event)
{
    if (quitting || !installData.settings().trayEn || !shellTray.hasIcon()) {
        event->accept();
        return;
    }
    // Without a tray the program stays too, or the next door call would be missed: starting it
    // again shows the window, and the menu entry's "Beenden" ends it.
    if (shellTray.available())
        shellTray.showNoticeIfIconVisible();
    else
        shellTray.showNoTrayNotice();
    if (isVisible())
        hide();
    event->ignore();
}

// ---------------------------------------------------------------- slots

void ownCam::udpCamRecPending()
{
    camStatus->drain();
}

void ownCam::udpSipRecPending()
{
    sipStatus->drain();
}

void ownCam::on_bildSpeichPB_clicked()
{
    if (camData *current = installData.currentCamera())
        current->setSavePictureRequest(true);
    savePictures();
}

void ownCam::on_stopPB_clicked()
{
    streams.stopAll();
    ui->stopPB->setEnabled(true);
    ui->startPB->setEnabled(true);
}

void ownCam::on_startPB_clicked()
{
    camData *current = installData.currentCamera();
    if (installData.cameras().isEmpty() || !current || !Start_CAM(current))
        return;
    ui->stopPB->setEnabled(true);
    ui->startPB->setEnabled(true);
}

void ownCam::HideGrWin()
{
    popupLogic.hideRequested();
}

// The user brings the window up: the notifications have done their job.
void ownCam::ShowMaxGrWin()
{
    notifier.closeAll();
    history.windowShownByUser();
    popupLogic.showMaxRequested();
}

void ownCam::ShowNormGrWin()
{
    notifier.closeAll();
    history.windowShownByUser();
    popupLogic.showNormalRequested();
}

void ownCam::viewerPasswordAnswered(bool maximise, bool accepted)
{
    if (accepted)
        popupLogic.viewerPasswordAccepted(maximise);
    else
        popupLogic.viewerPasswordCancelled();
}

// The one way out: the tray's "Beenden", SIGTERM and SIGINT all come here, so whatever must be
// saved or closed before the program ends belongs here.
void ownCam::Raus()
{
    closeRecordings();
    installData.rebuildConfiguration();
    installData.ini().writeFile();
    quitting = true;
    // exit() cannot be refused by a window that ignores its close, as quit() can in Qt 6.
    QCoreApplication::exit(0);
}

void ownCam::spracheFun()
{
    auxiliary.showLanguageDialog();
}

void ownCam::hideCtrlGB()
{
    ui->steuGB->setVisible(ui->steuGB->isHidden());
}

void ownCam::einstellFun()
{
    auxiliary.openSettings();
}

void ownCam::probe01()
{
}

// ---------------------------------------------------------------- the tick

void ownCam::timerEvent(QTimerEvent *)
{
    timing.record();
    tick();
}

void ownCam::tick()
{
    tickValues.msCounter += tickMs;
    // A modal dialog opened from inside a tick runs its own event loop: the nested tick only
    // counts time.
    if (tickValues.timerBusy > 0)
        return;
    tickValues.timerBusy = 1;
    runTick();
    history.tick();
    tickValues.timerBusy = 0;
}

void ownCam::runTick()
{
    streams.countRunningTicks();
    settingsWork.serveWindowRequests();
    followPanelToWindow();
    if (frameRules.restoreDue())
        return;
    superviseCameras();
    if (tickValues.firstTick && !installData.cameras().isEmpty()) {
        firstTickInit();
        return;
    }
    if (auxiliary.takeLanguageChange()) {
        retranslateWindows();
        return;
    }
    serveMoveRequest();
    if (serveRequests()) {
        qCDebug(dxcamTrace) << "Active";
        return;
    }
    if (savePictures())
        return;
    serveLeftClick();
    servePanelButtons();
    auxiliary.servePasswordResult();
    auxiliary.serveGuardRequests();
    auxiliary.serveStatisticsRequest();
    updateClock();
    streams.serveConnectRequests();
    auxiliary.serveLoginPrompt();
    auxiliary.serveTrustPrompt();
    auxiliary.refreshStatistics(tickValues.msCounter, tickValues.periodClosed);
    settingsWork.serveOrderList();
    handOverFrames();
    streams.writeTraceLines();
    popupWindowFollows();
    finishStartup();
}

void ownCam::followPanelToWindow()
{
    if (!commandPanel || !commandPanel->isVisible())
        return;
    commandPanel->setViewLabel(installData.isGridView());
    if (isHidden())
        commandPanel->hide();
}

void ownCam::firstTickInit()
{
    settingsRequests &requests = installData.requests();
    requests.singleViewAfterSelect = false;
    requests.selectCameraIndex = -1;
    if (installData.ini().iniPath().isEmpty())
        installData.ini().resolvePaths();
    installData.ini().openLog();
    tickValues.firstTick = false;
    qCDebug(dxcamTrace) << "##### first tick";
    relayout();
    tickValues.now = QTime::currentTime();
    settingsDia->showCamera(installData.currentCamera());
    if (installData.settings().HideStartEn && installData.settings().Autohide) {
        requests.stopCameras = true;
        qCDebug(dxcamTrace) << "TP1";
        popupLogic.expireTimeout();
    } else {
        popupLogic.restartTimeout();
    }
    tickValues.lastPeriodSecond = tickValues.now.second();
    tickValues.startupPending = true;
}

void ownCam::serveMoveRequest()
{
    if (!graphScene->moveRequest)
        return;
    if (graphScene->moveDraggedCamera())
        relayout();
    installData.requests().rebuildOrderList = true;
}

bool ownCam::serveRequests()
{
    if (graphScene->rightClick) {
        graphScene->rightClick = false;
        installData.requests().toggleMaximised = true;
    }
    popupLogic.evaluate();
    // Creating a module or refusing a page ends the request handling of this tick.
    const settingsService::outcome modules = settingsWork.serveModuleRequests();
    if (modules == settingsService::outcome::endRequests)
        return true;
    const bool settingsActive = settingsWork.serveShellRequests() || modules == settingsService::outcome::served;
    const bool selectionActive = serveCameraSelection();
    const bool dispatched = dispatch->camMsgHand(installData.currentCamera());
    return settingsActive || selectionActive || dispatched;
}

bool ownCam::serveCameraSelection()
{
    settingsRequests &requests = installData.requests();
    bool active = false;
    if (requests.selectCameraIndex >= 0) {
        qCDebug(dxcamTrace).noquote() << ".... HIER: " << requests.selectCameraIndex;
        installData.makeCurrent(requests.selectCameraIndex);
        settingsDia->showCamera(installData.currentCamera());
        showCurrentCameraText();
        requests.selectCameraIndex = -1;
        active = true;
    } else if (requests.singleViewAfterSelect) {
        requests.singleViewAfterSelect = false;
        if (installData.isGridView())
            toggleView();
        active = true;
    }
    if (graphScene->currentChanged) {
        graphScene->currentChanged = false;
        settingsDia->showCamera(installData.currentCamera());
        showCurrentCameraText();
        refreshStartStopLabel();
        if (commandPanel && commandPanel->isVisible())
            commandPanel->hide();
        active = true;
    }
    return active;
}

void ownCam::serveLeftClick()
{
    installation::windowRequests &requests = installData.shellRequests();
    if (!requests.leftClick)
        return;
    requests.leftClick = false;
    openCommandPanel();
}

void ownCam::servePanelButtons()
{
    installation::windowRequests &requests = installData.shellRequests();
    if (requests.viewToggle) {
        requests.viewToggle = false;
        toggleView();
    }
    if (commandPanel)
        dispatch->processButtons(*commandPanel, installData.currentCamera());
    if (popupWin)
        dispatch->processButtons(*popupWin->panel(), installData.currentCamera());
}

void ownCam::updateClock()
{
    tickValues.takeTime(QTime::currentTime());
    if (videoRecorder)
        videoRecorder->showRunningTime();
    if (tickValues.periodClosed)
        streams.updateRates(tickValues.now);
}

void ownCam::superviseCameras()
{
    if (!installData.cameras().isEmpty() && !tickValues.firstTick && !tickValues.startupPending)
        streams.superviseStartup();
    settingsWork.serveOrderMove();
    streams.recordingHousekeeping();
    popupLogic.statusEvents();
}

void ownCam::handOverFrames()
{
    streams.handOverFrames(isVisible(), isVisible() && !isMinimized(), popupWin);
}

void ownCam::popupWindowFollows()
{
    if (popupWin)
        popupWin->followCamera(installData.currentCamera());
}

void ownCam::finishStartup()
{
    if (!tickValues.startupPending)
        return;
    streams.finishStartup();
    // A window up from the start shows live pictures at once, not after the stall time.
    if (isVisible())
        streams.startAll();
    // The file may have held the single view: the grid shown from now on must be laid out.
    const bool wasSingleView = !installData.isGridView();
    installData.settings().dispForm = 2;
    if (wasSingleView) {
        graphScene->applyViewVisibility();
        graphScene->setLayoutPending();
        relayout();
    }
    tickValues.startupPending = false;
    auxiliary.applyStoredLanguage();
    applyFrameRule();
}

void ownCam::retranslateWindows()
{
    translateWindowTexts();
    retranslatePanel();
    if (popupWin)
        popupWin->retranslate(windowTitle());
    auxiliary.retranslate();
    settingsDia->retranslate();
    history.retranslate();
}

void ownCam::retranslatePanel()
{
    if (!commandPanel)
        return;
    commandPanel->retranslate();
    commandPanel->setButtonLabels(installData.settings().ButtonText);
    commandPanel->setViewLabel(installData.isGridView());
    refreshStartStopLabel();
    if (camData *current = installData.currentCamera())
        commandPanel->setWindowTitle(current->camModule.camName);
}
