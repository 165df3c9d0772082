#include "owncam.h"
#include "tracecategory.h"
#include "ui_owncam.h"

#include "autostart.h"
#include "camdata.h"
#include "camhandel.h"
#include "commandsender.h"
#include "edition.h"
#include "einstdia.h"
#include "gridlayout.h"
#include "owngraphscene.h"
#include "ownmsgbox.h"
#include "popuponewin.h"
#include "pictureprinter.h"
#include "saveavi.h"
#include "settingsmodel.h"
#include "statusreceiver.h"
#include "videopage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGraphicsPixmapItem>
#include <QMenu>
#include <QMessageBox>
#include <QMutexLocker>

namespace {
const char *notConnectedMessage = QT_TRANSLATE_NOOP("ownCam", "kein Fehlerbild für 'Nicht Verbunden' vorhanden");
const char *builtInNotConnected = ":/iconMarvitons/images/notconnected.jpg";
}

ownCam::ownCam(const appOptions &options, trayProbe trayAvailable, QWidget *parent)
    : QMainWindow(parent)
    , ini(this)
    , popup(*this)
    , dialogs(*this)
    , settingsWork(*this)
    , ui(new Ui::ownCam)
    , trayAvailable(std::move(trayAvailable))
{
    QApplication::setQuitOnLastWindowClosed(false);
    ui->setupUi(this);
    // The tiles are opaque pixmaps drawn with no transformation: painter state and
    // antialiasing margins need no care, and one rectangle around all changed tiles is redrawn.
    ui->bildGW->setOptimizationFlags(QGraphicsView::DontSavePainterState | QGraphicsView::DontAdjustForAntialiasing);
    ui->bildGW->setViewportUpdateMode(QGraphicsView::BoundingRectViewportUpdate);
    applyInitialWindowFlags();
    loadNotConnectedPicture();
    applyEdition();
    notice = new ownMsgBox(windowIcon(), windowTitle());
    graphScene = new ownGraphScene(this);
    if (settings.trayEn)
        createTray();

    ui->mainToolBar->hide();
    ui->menuBar->hide();
    ui->statusBar->hide();
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    setAnimated(false);
    ui->stopPB->setEnabled(false);
    ui->startPB->setEnabled(true);
    connect(ui->cancelPB, &QPushButton::clicked, this, &QWidget::close);

    readConfiguration(options);
    // The stored geometry is the picture area; the window is that plus the margins it is
    // measured with, so that a start followed by a save writes back what was read.
    const QSizeF margins = gridLayout::frameMargins(settings.BildRahmeEin, false);
    setGeometry(int(settings.x), int(settings.y), int(settings.width + margins.width()),
                int(settings.height + margins.height()));
    loadModules();
    settings.dispForm = 2;
    ini.applyValues();
    settingsModel::sanitizeGeometry(settings);
    for (camData *cam : cameras) {
        settingsModel::finishModuleLoad(cam->camModule, cam->sipModuleRec, ini.usedDefaults());
        cam->applyAddressRules();
    }
    // The captions keep the size chosen before the last quit.
    overlayPixelSize = videoPage::fontPixelSize(settings.TextGroese);
    ownAddress = QHostAddress(settings.ownIP);
    traceSwitch = options.logOn;
    // The settings dialog shows the guards of the protection record: read it first.
    dialogs.createPasswordPrompt();
    settingsDialog = new EinstDia(settings, cameras, requests, overlayPixelSize, traceSwitch, dialogs.protection,
                                  autoStart(QCoreApplication::applicationFilePath(), options.configFile), this);
    settingsDialog->showCamera(currentCam);

    firstTick = true;
    ui->steuGB->hide();
    createModuleSockets();
    translateWindowTexts();
    settingsWork.rebuildOrderList();
    applyEdition();
    if (ini.fileUnreadable())
        reportUnreadableConfiguration();
    createCommandPanel();
    windowFrameShown = settings.BildRahmeEin;
    createPopupWindow();
    picturePrint = new picturePrinter(this, this);
    startRecordingCameras();
    timerBusy = 0;
    startTimer(tickMs);
}

ownCam::~ownCam()
{
    delete popupWin;
    // Stop cleanly: recordings closed, connections aborted, workers deleted before the sockets
    // they use.
    closeRecordings();
    delete videoRecorder;
    for (camData *cam : std::as_const(cameras)) {
        cam->closeSockets();
        delete cam;
    }
    cameras.clear();
    delete dispatch;
    delete notice;
    delete ui;
}

// ---------------------------------------------------------------- start-up

void ownCam::applyInitialWindowFlags()
{
    Qt::WindowFlags flags = windowFlags();
    flags &= ~(Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint | Qt::WindowType_Mask);
    flags |= Qt::Tool | Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
}

void ownCam::loadNotConnectedPicture()
{
    // A "001.jpg" in the working directory still overrides the built-in picture.
    if (notConnected.load(QStringLiteral("001.jpg")) || notConnected.load(QString::fromLatin1(builtInNotConnected)))
        return;
    QMessageBox::information(this, QString(), tr(notConnectedMessage));
}

void ownCam::applyEdition()
{
    const edition ed = edition::forVersion(settings.FaVers);
    setWindowTitle(ed.translatedTitle());
    setWindowIcon(QIcon(ed.iconPath));
    if (notice)
        notice->setEdition(windowIcon(), windowTitle());
    if (trayIcon)
        trayIcon->setIcon(windowIcon());
    if (settings.FaVers == 1) {
        QStringList quoted;
        for (const QString &name : ed.translatedCameraTypes())
            quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
        qCDebug(dxcamTrace).noquote()
            << "CAM-Tip[1]: " + QLatin1Char('(') + quoted.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
}

void ownCam::createTray()
{
    struct entry {
        const char *text;
        void (ownCam::*slot)();
    };
    const entry entries[] = {
        {QT_TR_NOOP("Mi&nimieren"), &ownCam::HideGrWin},
        {QT_TR_NOOP("Ma&ximieren"), &ownCam::ShowMaxGrWin},
        {QT_TR_NOOP("&Wiederherstellen"), &ownCam::ShowNormGrWin},
        {nullptr, nullptr},
        {QT_TR_NOOP("&Sprache"), &ownCam::spracheFun},
        {QT_TR_NOOP("&Einstellungen"), &ownCam::einstellFun},
        {nullptr, nullptr},
        {QT_TR_NOOP("&Beenden"), &ownCam::Raus},
    };
    menu = new QMenu(this);
    for (const entry &e : entries) {
        if (!e.text) {
            menu->addSeparator();
            continue;
        }
        auto *action = new QAction(tr(e.text), this);
        action->setData(QString::fromUtf8(e.text));
        connect(action, &QAction::triggered, this, e.slot);
        menu->addAction(action);
        actions.append(action);
    }
    hideCtrlAction = new QAction(tr("&ToggleHideCtrl"), this);
    connect(hideCtrlAction, &QAction::triggered, this, &ownCam::hideCtrlGB);

    trayIcon = new QSystemTrayIcon(windowIcon(), this);
    trayIcon->setContextMenu(menu);
    connect(trayIcon, &QSystemTrayIcon::messageClicked, this, &ownCam::messageClicked);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &ownCam::iconActivated);
    trayIcon->setVisible(true);
}

void ownCam::readConfiguration(const appOptions &options)
{
    if (options.configFile.isEmpty())
        ini.resolvePaths();
    else
        ini.useIniPath(options.configFile);
    QStringList lines;
    ini.loadLines(lines);
    ini.parseLines(lines);
    settingsModel::bindGlobals(ini, settings);
    ini.applyValues();
    settingsModel::sanitizeGeometry(settings);
    ini.setUsedSections({QStringLiteral("Window"), QStringLiteral("System")});
}

// The store has said so in the log and the debug channel; the user learns it here, without a
// modal box holding up the start.
void ownCam::reportUnreadableConfiguration()
{
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                tr("Die Einstellungsdatei \"%1\" kann nicht gelesen werden.\n"
                                   "Der Viewer arbeitet mit dem Standardmodul und überschreibt die Datei nicht.")
                                    .arg(QDir::toNativeSeparators(ini.iniPath())),
                                QMessageBox::Ok, this);
    box->setWindowIcon(windowIcon());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void ownCam::loadModules()
{
    settingsModel::loadModules(ini, moduleMax, [this](const QString &section) { return createCamera(section); });
}

bool ownCam::createCamera(const QString &section)
{
    auto *cam = new camData(notConnected, this);
    cam->wireSettings(&settings, &traceSwitch, &stallTimeoutMs, &overlayPixelSize);
    cam->setDefaults();
    cam->camModule.camName = ini.valueOf(section, QStringLiteral("camName"));
    cam->camModule.IP = ini.valueOf(section, QStringLiteral("IP"));
    cam->camModule.URL = ini.valueOf(section, QStringLiteral("URL"));
    cam->sipModuleRec.sipName = ini.valueOf(section, QStringLiteral("sipName"));
    cam->sipModuleRec.SIP_IP = ini.valueOf(section, QStringLiteral("SIP_IP"));
    if (!settingsModel::missingModuleKey(ini, section).isEmpty()) {
        delete cam;
        return false;
    }
    settingsModel::bindModule(ini, section, cam->camModule, cam->sipModuleRec);
    ini.addUsedSection(section);
    cam->sectionName = section;
    cam->attachToScene(graphScene);
    cam->setAddresses(cam->camModule.addressText(), cam->sipModuleRec.addressText(), &ownAddress);

    settings.dispForm = 2;
    {
        QMutexLocker lock(&cameraListLock);
        cameras.append(cam);
    }
    makeCurrent(cameras.size() - 1);
    relayout();
    cam->setTileRect(QRectF(0, 0, settings.width, settings.height));
    ui->urlE->setText(section);
    ui->bildGW->setScene(graphScene);
    ui->bildGW->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->bildGW->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return true;
}

void ownCam::createModuleSockets()
{
    using kind = statusReceiver::moduleKind;
    camStatusPort = statusReceiver::firstStatusPort(cameras, kind::cameraIo);
    camStatus = new statusReceiver(kind::cameraIo, &cameras, this);
    camStatus->bind(camStatusPort);
    sender = new commandSender(&ownAddress, this);
    sipStatusPort = statusReceiver::firstStatusPort(cameras, kind::intercom);
    sipStatus = new statusReceiver(kind::intercom, &cameras, this);
    sipStatus->bind(sipStatusPort);
    dispatch = new commandDispatch(*this, *sender, settings, cameras, startAllRequest, startStopRequest);
}

void ownCam::translateWindowTexts()
{
    ui->retranslateUi(this);
    ui->steuGB->setTitle(QString());
    setWindowTitle(edition::forVersion(settings.FaVers).translatedTitle());
    for (QAction *action : std::as_const(actions))
        action->setText(tr(action->data().toString().toUtf8().constData()));
    if (hideCtrlAction)
        hideCtrlAction->setText(tr("&ToggleHideCtrl"));
    if (notice)
        notice->retranslate();
}

void ownCam::createCommandPanel()
{
    if (!commandPanel) {
        commandPanel = new camHandel(settings, false, this);
        commandPanel->setButtonLabels(settings.ButtonText);
        commandPanel->setAvailability(settings.BildAllSaveEn ? 1 : 0);
    }
    commandPanel->setViewToggleRequest(&viewToggleRequest);
    commandPanel->setViewLabel(isGridView());
}

// Parentless: it pops up on its own while the main window stays hidden.
void ownCam::createPopupWindow()
{
    popupWin = new popupOneWin(settings, windowFrameShown, overlayPixelSize);
    popupWin->setWindowTitle(windowTitle());
    popupWin->setWindowIcon(windowIcon());
    popupWin->initialise(notConnected);
}

void ownCam::startRecordingCameras()
{
    for (camData *cam : std::as_const(cameras)) {
        // The file is open before the first picture comes, so the recording starts with it.
        cam->controlRecording();
        if (cam->camModule.CAMautoSaveEn)
            Start_CAM(cam);
    }
}

// ---------------------------------------------------------------- cameras

bool ownCam::makeCurrent(int index)
{
    if (index < 0 || index >= cameras.size())
        return false;
    currentIndex = index;
    currentCam = cameras[index];
    return true;
}

void ownCam::releaseCamera(camData *cam)
{
    // Its recordings are closed first.
    if (videoRecorder)
        videoRecorder->releaseCamera(cam);
    cam->closeRecording();
    pictures.forget(cam);
    dialogs.releaseCamera(cam);
    if (settingsDialog)
        settingsDialog->releaseCamera(cam);
    // Pending panel presses for this camera are dropped; those for other cameras stay theirs.
    if (commandPanel)
        commandPanel->releaseCamera(cam, cam == currentCam);
    if (popupWin)
        popupWin->releaseCamera(cam);
    if (cam != currentCam)
        return;
    currentCam = nullptr;
    currentIndex = -1;
}

bool ownCam::Start_CAM(camData *pCD)
{
    qCDebug(dxcamTrace) << " **** ownCam::Start_CAM( camData *pCD )";
    if (!pCD)
        return false;
    if (pCD->running && !pCD->streamError)
        return true;
    pCD->reservedFlag = false;
    // A new connection gets the whole stall time; the count of a stopped camera runs on and would
    // abort the new one at once when it happens to be near its end.
    pCD->noDataMs = 0;
    pCD->abortedOnce = false;
    pCD->receiving = true;
    pCD->userStopped = false;
    dialogs.fillLoginPrompt(pCD);
    pCD->createHttp();
    pCD->requestStream();
    pCD->streamError = false;
    return true;
}

void ownCam::StartAll_CAM()
{
    qCDebug(dxcamTrace) << "StartAll_CAM";
    for (camData *cam : std::as_const(cameras)) {
        if (!cam->running) {
            Start_CAM(cam);
            cam->running = true;
        }
    }
    relayout();
    startAllRequest = false;
}

void ownCam::stopCameras()
{
    for (camData *cam : std::as_const(cameras)) {
        if (!cam->camModule.CAMautoSaveEn)
            cam->abortStream();
    }
}

void ownCam::startCam(camData *camera)
{
    Start_CAM(camera);
}

void ownCam::startAllCams()
{
    StartAll_CAM();
}

bool ownCam::savePictures()
{
    return pictures.savePictures(cameras, settings);
}

bool ownCam::savePictures(camData *)
{
    return savePictures();
}

bool ownCam::printPicture(camData *camera)
{
    camera->printSnapshot = camera->newestFrame();
    return picturePrint->printPicture(camera);
}

void ownCam::startVideo(camData *camera)
{
    if (!videoRecorder)
        videoRecorder = new saveAVI(windowTitle(), windowIcon());
    videoRecorder->startVideo(camera, settings.ImageFolder, settings.FaVers == 2);
}

void ownCam::closeRecordings()
{
    if (videoRecorder)
        videoRecorder->stopRecording();
    for (camData *cam : std::as_const(cameras))
        cam->closeRecording();
}

void ownCam::refreshStartStopLabel()
{
    if (commandPanel && currentCam)
        commandPanel->setStartStopLabel(currentCam->isIdle());
}

// ---------------------------------------------------------------- grid

int ownCam::tileAt(const QPointF &scenePos) const
{
    for (int i = 0; i < cameras.size(); ++i) {
        if (cameras[i]->tileRect().contains(scenePos))
            return i;
    }
    return -1;
}

int ownCam::selectCameraUnder(const QPointF &scenePos)
{
    if (cameras.isEmpty()) {
        ui->infoL->setText(QStringLiteral("-10"));
        return -1;
    }
    const int index = tileAt(scenePos);
    ui->infoL->setText(QString::number(index));
    if (index < 0)
        return -1;
    makeCurrent(index);
    return index;
}

void ownCam::layoutGrid(bool setSceneRect)
{
    if (setSceneRect)
        graphScene->setSceneRect(20, 20, std::max(100.0, settings.width), std::max(100.0, settings.height));
    if (!isGridView()) {
        if (currentCam) {
            const QRectF whole(0, 0, settings.width, settings.height);
            currentCam->setTileRect(whole);
            currentCam->setSecondRect(whole);
        }
        return;
    }
    if (!isVisible() || cameras.isEmpty())
        return;
    layoutPending = false;
    qCDebug(dxcamTrace) << "SHOW MULTICAM ...";
    const QSizeF margins = measurePictureArea();
    const gridLayout::tileResult tiles =
        gridLayout::tileSize(QSizeF(settings.width, settings.height), margins, settings.nPicCol,
                             settings.nPicRow, true, settings.scaleMode, notConnected.size());
    if (tiles.fitWindow) {
        targetGeometry = QRectF(QPointF(settings.x, settings.y), tiles.windowSize);
        geometryRestoreCounter = 1;
    }
    for (int i = 0; i < cameras.size(); ++i)
        cameras[i]->setTileRect(gridLayout::tileRect(i, tiles.tile, settings.nPicCol));
}

// The picture area is the window less its margins; it is what the geometry settings hold.
QSizeF ownCam::measurePictureArea()
{
    const QSizeF margins = gridLayout::frameMargins(windowFrameShown, !ui->steuGB->isHidden());
    const QRectF area = gridLayout::pictureArea(geometry(), margins);
    settings.x = area.x();
    settings.y = area.y();
    settings.width = area.width();
    settings.height = area.height();
    return margins;
}

void ownCam::relayout()
{
    layoutGrid(true);
}

void ownCam::applyViewVisibility()
{
    QMutexLocker lock(&visibilityLock);
    for (camData *cam : std::as_const(cameras))
        cam->item()->setVisible(isGridView() || cam == currentCam);
}

void ownCam::toggleView()
{
    settings.dispForm = isGridView() ? 0 : 2;
    if (commandPanel)
        commandPanel->setViewLabel(isGridView());
    applyViewVisibility();
    relayout();
}

void ownCam::moveCamera(int from, int to)
{
    const QList<int> order = gridLayout::moveOrder(cameras.size(), from, to);
    QList<camData *> moved;
    for (int i : order)
        moved.append(cameras[i]);
    if (moved == cameras)
        return;
    camData *current = currentCam;
    cameras = moved;
    currentIndex = cameras.indexOf(current);
    rebuildConfiguration();
    relayout();
}

void ownCam::rebuildConfiguration()
{
    QList<settingsModel::moduleRef> modules;
    for (camData *cam : std::as_const(cameras))
        modules.append({&cam->camModule, &cam->sipModuleRec});
    const QStringList sections = settingsModel::rebuild(ini, settings, modules);
    for (int i = 0; i < cameras.size(); ++i)
        cameras[i]->sectionName = sections.at(i);
}

void ownCam::showCurrentCameraText()
{
    if (!currentCam)
        return;
    ui->urlE->setText(currentCam->camModule.camName + QStringLiteral(" : ") + currentCam->camModule.addressText());
}

void ownCam::openCommandPanel()
{
    if (!commandPanel || !currentCam)
        return;
    if (commandPanel->isVisible()) {
        commandPanel->hide();
        return;
    }
    commandPanel->setViewLabel(isGridView());
    commandPanel->setStartStopLabel(currentCam->isIdle());
    const QPoint click = graphScene->screenPosition.toPoint();
    const QRect window = frameGeometry();
    QPoint at = click;
    at.setX(std::min(at.x(), window.right() - 8 - commandPanel->width()));
    at.setY(std::min(at.y(), window.bottom() - 8 - commandPanel->height()));
    commandPanel->move(at);
    commandPanel->setCamera(currentCam);
    commandPanel->setWindowTitle(currentCam->camModule.camName);
    qCDebug(dxcamTrace).noquote() << "TITEL: " << ('"' + currentCam->camModule.camName + '"');
    commandPanel->show();
}

// ---------------------------------------------------------------- window

void ownCam::showMainWindow()
{
    show();
    raise();
}

// A second start of the viewer with the same INI file asks this one to come to the front.
void ownCam::showOnRequest()
{
    popup.userShown = false;
    ShowNormGrWin();
    raise();
    activateWindow();
}

void ownCam::hideMainWindow()
{
    hide();
}

void ownCam::applyFrameRule()
{
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags = Qt::Tool | Qt::WindowStaysOnTopHint;
    if (settings.BildRahmeEin) {
        flags |= Qt::WindowTitleHint | Qt::CustomizeWindowHint;
        if (settings.closeEn)
            flags |= Qt::WindowCloseButtonHint;
    } else {
        flags |= Qt::FramelessWindowHint;
    }
    windowFrameShown = settings.BildRahmeEin;
    if (popupWin)
        popupWin->applyWindowFlags(settings.closeEn);
    if (flags == windowFlags())
        return;
    const QRect keep = geometry();
    setWindowFlags(flags);
    setGeometry(keep);
    if (wasVisible)
        show();
}

void ownCam::toggleMaximised()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
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
    QMutexLocker lock(&layoutLock);
    measurePictureArea();
    const QRectF area(settings.x, settings.y, settings.width, settings.height);
    if (area == lastGeometry && settings.dispForm == lastDispForm) {
        if (resizeRepeat++ > 20) {
            resizeRepeat = 100;
            return;
        }
    } else {
        resizeRepeat = 0;
        if (settingsDialog)
            settingsDialog->showGeometry(area.x(), area.y(), area.width(), area.height());
    }
    lastGeometry = area;
    lastDispForm = settings.dispForm;
    ++relayoutCount;
    layoutGrid(true);
}

void ownCam::showEvent(QShowEvent *)
{
    if (layoutPending)
        relayout();
}

void ownCam::closeEvent(QCloseEvent *event)
{
    if (quitting || !settings.trayEn || !trayIcon) {
        event->accept();
        return;
    }
    if (!trayAvailable || !trayAvailable()) {
        // Hiding would leave no way back to the window or to "Beenden".
        Raus();
        event->accept();
        return;
    }
    if (trayIcon->isVisible())
        notice->show();
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
    if (currentCam)
        currentCam->savePictureRequest = true;
    savePictures();
}

void ownCam::on_stopPB_clicked()
{
    stopCameras();
    ui->stopPB->setEnabled(true);
    ui->startPB->setEnabled(true);
}

void ownCam::on_startPB_clicked()
{
    if (cameras.isEmpty() || !currentCam || !Start_CAM(currentCam))
        return;
    ui->stopPB->setEnabled(true);
    ui->startPB->setEnabled(true);
}

void ownCam::iconActivated(QSystemTrayIcon::ActivationReason)
{
}

void ownCam::showMessage()
{
}

void ownCam::messageClicked()
{
}

void ownCam::HideGrWin()
{
    popup.hideRequested();
}

void ownCam::ShowMaxGrWin()
{
    popup.showMaxRequested();
}

void ownCam::ShowNormGrWin()
{
    popup.showNormalRequested();
}

// The one way out: the tray's "Beenden", SIGTERM and SIGINT all come here, so whatever must be
// saved or closed before the program ends belongs here.
void ownCam::Raus()
{
    closeRecordings();
    rebuildConfiguration();
    ini.writeFile();
    quitting = true;
    // exit() cannot be refused by a window that ignores its close, as quit() can in Qt 6.
    QCoreApplication::exit(0);
}

void ownCam::spracheFun()
{
    dialogs.showLanguageDialog();
}

void ownCam::hideCtrlGB()
{
    ui->steuGB->setVisible(ui->steuGB->isHidden());
}

void ownCam::einstellFun()
{
    dialogs.openSettings();
}

void ownCam::probe01()
{
}

// ---------------------------------------------------------------- the tick

void ownCam::timerEvent(QTimerEvent *)
{
    tickTimes.record();
    tick();
}

void ownCam::tick()
{
    msCounter += tickMs;
    // A modal dialog opened from inside a tick runs its own event loop: the nested tick only
    // counts time.
    if (timerBusy > 0)
        return;
    timerBusy = 1;
    runTick();
    timerBusy = 0;
}

void ownCam::runTick()
{
    countRunningTicks();
    serveWindowRequests();
    followPanelToWindow();
    if (restoreGeometryDue())
        return;
    superviseCameras();
    if (firstTick && !cameras.isEmpty()) {
        firstTickInit();
        return;
    }
    if (dialogs.takeLanguageChange()) {
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
    dialogs.servePasswordResult();
    dialogs.serveGuardRequests();
    dialogs.serveStatisticsRequest();
    updateClock();
    serveConnectRequests();
    dialogs.serveLoginPrompt();
    dialogs.refreshStatistics(msCounter, periodClosed);
    settingsWork.serveOrderList();
    handOverFrames();
    writeTraceLines();
    popupWindowFollows();
    finishStartup();
}

void ownCam::countRunningTicks()
{
    for (camData *cam : std::as_const(cameras)) {
        if (cam->runningTicks > 0)
            ++cam->runningTicks;
    }
}

void ownCam::serveWindowRequests()
{
    if (requests.refreshWindowFlags) {
        requests.refreshWindowFlags = false;
        applyFrameRule();
    }
    if (requests.hideMainWindow) {
        requests.hideMainWindow = false;
        requests.showMainWindow = false;
        hideMainWindow();
    } else if (requests.showMainWindow) {
        requests.showMainWindow = false;
        showMainWindow();
    }
}

void ownCam::followPanelToWindow()
{
    if (!commandPanel || !commandPanel->isVisible())
        return;
    commandPanel->setViewLabel(isGridView());
    if (isHidden())
        commandPanel->hide();
}

bool ownCam::restoreGeometryDue()
{
    if (geometryRestoreCounter == 0)
        return false;
    if (++geometryRestoreCounter <= 3 || isMaximized())
        return false;
    setGeometry(targetGeometry.toRect());
    geometryRestoreCounter = 0;
    return true;
}

void ownCam::superviseCameras()
{
    if (!cameras.isEmpty() && !firstTick && !startupPending) {
        for (camData *cam : std::as_const(cameras)) {
            if (cam->receiving || !cam->stream())
                continue;
            if (cam->state() == camData::connectionState::connecting) {
                cam->checkCounter = 0;
                continue;
            }
            if (++cam->checkCounter > 50)
                cam->scannedOnce = false;
        }
    }
    settingsWork.serveOrderMove();
    recordingHousekeeping();
    popup.statusEvents();
}

void ownCam::recordingHousekeeping()
{
    for (camData *cam : std::as_const(cameras))
        cam->motionTick();
    housekeepingMs += tickMs;
    if (housekeepingMs <= housekeepingIntervalMs)
        return;
    housekeepingMs = 0;
    for (camData *cam : std::as_const(cameras))
        cam->controlRecording();
}

void ownCam::firstTickInit()
{
    requests.singleViewAfterSelect = false;
    requests.selectCameraIndex = -1;
    if (ini.iniPath().isEmpty())
        ini.resolvePaths();
    ini.openLog();
    firstTick = false;
    qCDebug(dxcamTrace) << "##### first tick";
    relayout();
    now = QTime::currentTime();
    settingsDialog->showCamera(currentCam);
    if (settings.HideStartEn && settings.Autohide) {
        requests.stopCameras = true;
        qCDebug(dxcamTrace) << "TP1";
        popup.expireTimeout();
    } else {
        popup.restartTimeout();
    }
    lastPeriodSecond = now.second();
    startupPending = true;
}

void ownCam::serveMoveRequest()
{
    if (!graphScene->moveRequest)
        return;
    moveCamera(graphScene->pressIndex, graphScene->releaseIndex);
    requests.rebuildOrderList = true;
    graphScene->moveRequest = false;
    graphScene->dragging = false;
}

bool ownCam::serveRequests()
{
    if (graphScene->rightClick) {
        graphScene->rightClick = false;
        requests.toggleMaximised = true;
    }
    popup.evaluate();
    // Creating a module or refusing a page ends the request handling of this tick.
    const settingsService::outcome modules = settingsWork.serveModuleRequests();
    if (modules == settingsService::outcome::endRequests)
        return true;
    const bool settingsActive = serveSettingsRequests() || modules == settingsService::outcome::served;
    const bool selectionActive = serveCameraSelection();
    const bool dispatched = dispatch->camMsgHand(currentCam);
    return settingsActive || selectionActive || dispatched;
}

bool ownCam::serveSettingsRequests()
{
    bool active = false;
    if (requests.startCurrentCamera) {
        requests.startCurrentCamera = false;
        qCDebug(dxcamTrace) << "**** START CAM ****";
        on_startPB_clicked();
        active = true;
    }
    if (requests.stopCameras) {
        requests.stopCameras = false;
        qCDebug(dxcamTrace) << "**** STOP CAM ****";
        on_stopPB_clicked();
        active = true;
    }
    if (requests.savePicture) {
        requests.savePicture = false;
        on_bildSpeichPB_clicked();
        active = true;
    }
    if (requests.toggleMaximised) {
        requests.toggleMaximised = false;
        toggleMaximised();
        active = true;
    }
    if (requests.traceChanged) {
        requests.traceChanged = false;
        traceSwitch = requests.traceChecked;
        active = true;
    }
    if (requests.toggleControlBox) {
        requests.toggleControlBox = false;
        hideCtrlGB();
        active = true;
    }
    return settingsWork.serveDisplayRequests() || active;
}

bool ownCam::serveCameraSelection()
{
    bool active = false;
    if (requests.selectCameraIndex >= 0) {
        qCDebug(dxcamTrace).noquote() << ".... HIER: " << requests.selectCameraIndex;
        makeCurrent(requests.selectCameraIndex);
        settingsDialog->showCamera(currentCam);
        showCurrentCameraText();
        requests.selectCameraIndex = -1;
        active = true;
    } else if (requests.singleViewAfterSelect) {
        requests.singleViewAfterSelect = false;
        if (isGridView())
            toggleView();
        active = true;
    }
    if (graphScene->currentChanged) {
        graphScene->currentChanged = false;
        settingsDialog->showCamera(currentCam);
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
    if (!leftClickRequest)
        return;
    leftClickRequest = false;
    openCommandPanel();
}

void ownCam::servePanelButtons()
{
    if (viewToggleRequest) {
        viewToggleRequest = false;
        toggleView();
    }
    if (commandPanel)
        dispatch->processButtons(*commandPanel, currentCam);
    if (popupWin)
        dispatch->processButtons(*popupWin->panel(), currentCam);
}

void ownCam::updateClock()
{
    now = QTime::currentTime();
    if (videoRecorder)
        videoRecorder->showRunningTime();
    const int second = now.second();
    periodClosed = false;
    if (second < lastPeriodSecond) {
        lastPeriodSecond = second;
        return;
    }
    if (second - lastPeriodSecond < 11)
        return;
    msCounter = 0;
    lastPeriodSecond = second;
    periodClosed = true;
    for (camData *cam : std::as_const(cameras))
        cam->updateRates(now);
}

void ownCam::serveConnectRequests()
{
    for (camData *cam : std::as_const(cameras)) {
        if (!cam->connectRequest)
            continue;
        Start_CAM(cam);
        cam->connectRequest = false;
    }
}

void ownCam::handOverFrames()
{
    const bool shown = isVisible() && !isMinimized();
    for (camData *cam : std::as_const(cameras))
        cam->setShown(shown);
    if (!isGridView()) {
        collectRecordedPictures();
        if (currentCam) {
            currentCam->tick(true);
            currentCam->finishRender();
            if (popupWin)
                popupWin->feedFrom(currentCam, false);
            currentCam->updateSceneItem();
        }
        return;
    }
    for (camData *cam : std::as_const(cameras)) {
        const bool stalledTwice = cam->tick(cam == currentCam);
        // A camera that records continuously is brought back even while the window is hidden.
        const bool wanted = isVisible() || (popupWin && popupWin->isShowing(cam)) || cam->recordsAutomatically();
        if (cam->stallCheck(stalledTwice, wanted)) {
            Start_CAM(cam);
            qCDebug(dxcamTrace) << "StartCAM_1";
            cam->noDataMs = 0;
        }
    }
    camData::finishRenders(cameras);
    if (popupWin)
        popupWin->feedFrom(currentCam, true);
    for (camData *cam : std::as_const(cameras))
        cam->updateSceneItem();
}

// The single view ticks only the current camera; the others that record still need their
// pictures cut.
void ownCam::collectRecordedPictures()
{
    for (camData *cam : std::as_const(cameras)) {
        if (cam != currentCam && (cam->recorder().recordingActive() || cam->videoRecording))
            cam->collectPictures();
    }
}

void ownCam::writeTraceLines()
{
    // One write for the tick rather than one per line: there is a line per read of every camera.
    QString text;
    for (camData *cam : std::as_const(cameras)) {
        const QStringList lines = cam->takeTraceLines();
        if (!traceSwitch)
            continue;
        for (const QString &line : lines)
            text += line + QLatin1Char('\n');
    }
    if (!text.isEmpty())
        ini.writeLog(text);
}

void ownCam::popupWindowFollows()
{
    if (popupWin)
        popupWin->followCamera(currentCam);
}

void ownCam::finishStartup()
{
    if (!startupPending)
        return;
    for (camData *cam : std::as_const(cameras)) {
        cam->running = false;
        cam->camModule.startupMark = true;
    }
    // The file may have held the single view: the grid shown from now on must be laid out.
    const bool wasSingleView = !isGridView();
    settings.dispForm = 2;
    if (wasSingleView) {
        applyViewVisibility();
        layoutPending = true;
        relayout();
    }
    startupPending = false;
    dialogs.applyStoredLanguage();
    applyFrameRule();
}

void ownCam::retranslateWindows()
{
    translateWindowTexts();
    retranslatePanel();
    if (popupWin)
        popupWin->retranslate(windowTitle());
    dialogs.retranslate();
    settingsDialog->retranslate();
}

void ownCam::retranslatePanel()
{
    if (!commandPanel)
        return;
    commandPanel->retranslate();
    commandPanel->setButtonLabels(settings.ButtonText);
    commandPanel->setViewLabel(isGridView());
    refreshStartStopLabel();
    if (currentCam)
        commandPanel->setWindowTitle(currentCam->camModule.camName);
}
