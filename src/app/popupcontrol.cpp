#include "popupcontrol.h"

#include "auxdialogs.h"
#include "callnotifier.h"
#include "camdata.h"
#include "installation.h"
#include "pasw1dia.h"
#include "popuphost.h"
#include "popuponewin.h"
#include "tracecategory.h"

popupControl::popupControl(installation &state, popupHost &host, auxDialogs &dialogs)
    : state(state)
    , host(host)
    , dialogs(dialogs)
    , sound([&state](const QString &text) { state.ini().warn(text); })
{
    clock.start();
}

// A monotonic clock, so that a time-out is neither cut short nor stretched at a minute boundary
// and time-outs of a minute or more expire too.
qint64 popupControl::elapsedMs() const
{
    return clock.elapsed() - referenceMs;
}

void popupControl::restartTimeout()
{
    referenceMs = clock.elapsed();
}

// Past any time-out the settings allow, whether or not a millisecond has passed since.
void popupControl::expireTimeout()
{
    referenceMs = clock.elapsed() - (qint64(state.settings().Timeout) + 1) * 1000;
}

void popupControl::statusEvents()
{
    const shellSettings &s = state.settings();
    takeTabChoice();
    int remembered = -1;
    for (int i = 0; i < state.cameras().size(); ++i) {
        camData *cam = state.cameras()[i];
        moduleStatus &sip = cam->sipModuleRec.status;
        moduleStatus &io = cam->camModule.status;
        if (sip.callEnded) {
            if (notifier)
                notifier->callEnded(doorStation(cam));
            sip.popupRequest = sip.statusEvent = sip.callForced = sip.callActive = false;
            io.statusEvent = false;
            clearPopupState(cam);
        } else if (sip.popupRequest) {
            qCDebug(dxcamTrace) << "##### fWS_x";
            cam->setShowRequest(sip.popupRequest);
            sip.popupRequest = false;
            if (cam->showRequest()) {
                if (!cam->popupRequest())
                    followCall(cam);
                cam->setPopupRequest(true);
                qCDebug(dxcamTrace) << "***** fwS_2";
            }
            cam->setSoundRequest(sip.statusEvent);
            sip.statusEvent = false;
            announce(doorStation(cam), callNotifier::event::doorCall, cam->sipModuleRec.sipName, cam);
            if (s.einzelBild && host.windowHidden())
                remembered = i;
        }
        if (takeOverCameraIo(cam) && s.einzelBild && host.windowHidden() && cam->showRequest())
            remembered = i;
    }
    if (remembered < 0)
        return;
    state.settings().dispForm = 2;
    state.requests().selectCameraIndex = remembered;
    state.requests().singleViewAfterSelect = true;
}

bool popupControl::takeOverCameraIo(camData *camera)
{
    moduleStatus &io = camera->camModule.status;
    if (!io.popupRequest)
        return false;
    qCDebug(dxcamTrace).noquote() << "##### fWS_3 -> " + camera->camModule.shownAddress();
    camera->setMotionEvent(true);
    qCDebug(dxcamTrace) << "##### fWS_4";
    camera->setShowRequest(io.popupRequest);
    io.popupRequest = false;
    if (!camera->input1Copy() && !camera->input2Copy())
        followCall(camera);
    camera->setInput1Copy(io.input1Active);
    camera->setInput2Copy(io.input2Active);
    camera->setSoundRequest(io.statusEvent);
    io.statusEvent = false;
    announce(ioStation(camera), io.input1Active ? callNotifier::event::input1 : callNotifier::event::input2,
             camera->camModule.shownAddress(), camera);
    return true;
}

// The camera a door event pops up is the one the user acts on: the first click on it opens its
// panel rather than only selecting it.
void popupControl::followCall(camData *camera)
{
    if (!state.settings().Auto_Popup || camera == state.currentCamera())
        return;
    if (state.makeCurrent(int(state.cameras().indexOf(camera))))
        host.currentCameraChanged();
}

void popupControl::announce(const QString &station, callNotifier::event kind, const QString &stationName,
                            const camData *camera)
{
    const shellSettings &s = state.settings();
    if (!s.Auto_Popup)
        return;
    if (host.windowVisible())
        host.callWhileShown();
    if (notifier && s.NotifyEn)
        notifier->callStarted(station, kind, stationName, camera->camModule.camName);
}

QString popupControl::doorStation(const camData *camera)
{
    return QStringLiteral("door ") + camera->sipModuleRec.addressText();
}

QString popupControl::ioStation(const camData *camera)
{
    return QStringLiteral("io ") + camera->camModule.addressText();
}

camData *popupControl::cameraOfStation(const QString &station) const
{
    for (camData *cam : state.cameras()) {
        if (doorStation(cam) == station || ioStation(cam) == station)
            return cam;
    }
    return nullptr;
}

bool popupControl::showEvaluation(camData *camera)
{
    if (!camera->showRequest())
        return false;
    qCDebug(dxcamTrace) << "***** fwS_1";
    camera->setShowRequest(false);
    if (!state.settings().Auto_Popup)
        return false;
    if (separateWindow() && state.makeCurrent(int(state.cameras().indexOf(camera))))
        host.currentCameraChanged();
    return true;
}

QList<camData *> popupControl::evaluateAll()
{
    QList<camData *> shown;
    for (camData *cam : state.cameras()) {
        if (showEvaluation(cam)) {
            qCDebug(dxcamTrace) << "##### schowWin=true";
            shown.append(cam);
        }
    }
    return shown;
}

void popupControl::evaluate()
{
    const shellSettings &s = state.settings();
    qint64 elapsed = elapsedMs();
    dialogs.showDoorInfo(elapsed);
    if (state.requests().expireNow) {
        state.requests().expireNow = false;
        elapsed = (qint64(s.Timeout) + 1) * 1000;
    }

    bool due = false;
    if (anyPopupRequest() || userShown) {
        restartTimeout();
    } else {
        due = elapsed > qint64(s.Timeout) * 1000;
        if (due && s.Flanke)
            holdHide = false;
    }

    for (camData *cam : state.cameras()) {
        if (cam->soundRequest()) {
            playSound();
            cam->setSoundRequest(false);
        }
        if (s.Auto_Popup && s.AlarmBildSaveEn && cam->showRequest() != cam->lastShowRequest()) {
            if (cam->showRequest()) {
                cam->setSavePictureRequest(true);
                cam->setSaveAlways(true);
            }
            cam->setLastShowRequest(cam->showRequest());
        }
    }

    const bool popupRefreshed = refreshPopupWindow();

    if (state.requests().showNormal) {
        state.requests().showNormal = false;
        showNormalRequested();
    }
    if (state.requests().hide) {
        state.requests().hide = false;
        hideRequested();
    }

    decide(due, popupRefreshed);
    popupOneWin *window = host.popupWindow();
    if (window && window->isVisible() && !s.OwnPopWin)
        hidePopupWindow();
}

void popupControl::decide(bool due, bool popupRefreshed)
{
    const shellSettings &s = state.settings();
    if (hideArmed) {
        if (const QList<camData *> shown = evaluateAll(); !shown.isEmpty()) {
            popUp(7);
            showPopupWindowIfHidden(shown);
            hideArmed = false;
            return;
        }
        if (host.windowVisible())
            host.hideMainWindow();
        hidePopupWindow();
        if (s.Autohide)
            hideArmed = false;
        return;
    }
    if (popupRefreshed) {
        restartTimeout();
        return;
    }

    popupOneWin *window = separateWindow();
    const bool mainShowing = host.windowVisible() && !holdHide;
    const bool showing = window ? window->isVisible() : mainShowing;
    if (s.Autohide && !showing) {
        if (const QList<camData *> shown = evaluateAll(); !shown.isEmpty()) {
            popUp(4);
            showPopupWindowIfHidden(shown);
            restartTimeout();
            return;
        }
        // A main window that is up without the popup window (at start, or left by a pop_Alle
        // popup) hides by the same rule as without the popup window, or it would stay for good.
        if (!window || !mainShowing) {
            restartTimeout();
            return;
        }
    }
    if (s.Autohide) {
        if (s.Flanke) {
            if (!anyDoorStateActive(true)) {
                hideNow();
                return;
            }
            restartTimeout();
        }
        if (due)
            hideNow();
        return;
    }

    restartTimeout();
    if (window && window->isHidden()) {
        if (window->tabCount() == 0)
            showInPopupWindow(state.currentCamera());
        window->selectTab(0);
        window->show();
    }
    if (host.windowHidden()) {
        host.showMainWindow();
        state.shellRequests().startAll = true;
        qCDebug(dxcamTrace) << "forceCD_StartVideoAll -> 5";
    }
}

void popupControl::popUp(int tag)
{
    qCDebug(dxcamTrace) << "##### Here schowWin";
    if (!host.windowHidden())
        return;
    if (separateWindow()) {
        if (!state.settings().pop_Alle) {
            // The main window stays hidden; the calling camera's stream is started for the popup
            // window (showInPopupWindow) rather than stopped.
            qCDebug(dxcamTrace) << "##### Show_None";
            return;
        }
        state.shellRequests().startAll = true;
        qCDebug(dxcamTrace).noquote() << QStringLiteral("forceCD_StartVideoAll -> %1").arg(tag);
        host.showMainWindow();
        qCDebug(dxcamTrace) << "##### Show_1";
        return;
    }
    state.shellRequests().startAll = true;
    qCDebug(dxcamTrace).noquote() << QStringLiteral("forceCD_StartVideoAll -> %1").arg(tag);
    host.showMainWindow();
    qCDebug(dxcamTrace) << "##### Show_2";
}

void popupControl::hideNow()
{
    qCDebug(dxcamTrace) << "***** HERE HIDE";
    if (!holdHide)
        host.hideMainWindow();
    hidePopupWindow();
    state.requests().selectCameraIndex = -1;
    if (!anyRecordingCamera() && !holdHide) {
        state.requests().stopCameras = true;
        qCDebug(dxcamTrace) << "STOP!!!";
        restartTimeout();
    }
    for (camData *cam : state.cameras()) {
        moduleStatus &sip = cam->sipModuleRec.status;
        sip.popupRequest = sip.statusEvent = sip.callForced = sip.callActive = false;
        cam->camModule.status.statusEvent = false;
        clearPopupState(cam);
    }
    // The popup is over, and with it what the notifications announced.
    if (notifier)
        notifier->closeAll();
}

popupOneWin *popupControl::separateWindow() const
{
    return state.settings().OwnPopWin ? host.popupWindow() : nullptr;
}

// The camera the user picked on the popup window's tab bar becomes current.
void popupControl::takeTabChoice()
{
    popupOneWin *window = host.popupWindow();
    camData *chosen = window ? window->takeChosenCamera() : nullptr;
    if (chosen && state.makeCurrent(int(state.cameras().indexOf(chosen))))
        host.currentCameraChanged();
}

// Further door events while the popup window is up each bring their camera to its tab.
bool popupControl::refreshPopupWindow()
{
    popupOneWin *window = separateWindow();
    if (!window || !window->isVisible())
        return false;
    bool refreshed = false;
    for (camData *cam : state.cameras()) {
        if (showEvaluation(cam)) {
            showInPopupWindow(cam);
            refreshed = true;
        }
    }
    return refreshed;
}

// A camera shown in the popup window must stream even while the main window stays hidden.
void popupControl::showInPopupWindow(camData *camera)
{
    popupOneWin *window = host.popupWindow();
    if (!camera || !window || !window->showCamera(camera))
        return;
    if (camera->state() == camData::connectionState::unconnected)
        camera->setConnectRequest(true);
}

// Every camera that popped up at once gets its tab; the last in list order, the current one,
// ends up selected.
void popupControl::showPopupWindowIfHidden(const QList<camData *> &shown)
{
    popupOneWin *window = separateWindow();
    if (!window || !window->isHidden())
        return;
    for (camData *cam : shown)
        showInPopupWindow(cam);
    showInPopupWindow(state.currentCamera());
    window->show();
}

void popupControl::hidePopupWindow()
{
    popupOneWin *window = host.popupWindow();
    if (!window || !window->isVisible())
        return;
    window->hide();
    window->removeAllTabs();
}

void popupControl::clearPopupState(camData *camera)
{
    camera->setShowRequest(false);
    camera->setSoundRequest(false);
    camera->setPopupRequest(false);
}

void popupControl::takeOverPending(camData *camera)
{
    moduleStatus &io = camera->camModule.status;
    moduleStatus &sip = camera->sipModuleRec.status;
    if (io.popupRequest) {
        camera->setShowRequest(true);
        io.popupRequest = false;
        camera->setInput1Copy(io.input1Active);
        camera->setInput2Copy(io.input2Active);
    }
    if (sip.popupRequest) {
        camera->setShowRequest(true);
        sip.popupRequest = false;
    }
}

bool popupControl::anyDoorStateActive(bool takeOver)
{
    bool active = false;
    for (camData *cam : state.cameras()) {
        if (takeOver)
            takeOverPending(cam);
        if (cam->input1Copy() || cam->input2Copy() || cam->sipModuleRec.status.callForced)
            active = true;
    }
    return active;
}

// Only the camera/IO record's pending event is taken over here; an intercom call that is pending
// stays for the status events, which give it its sound and let it hold the time-out.
bool popupControl::anyInputActive()
{
    bool active = false;
    for (camData *cam : state.cameras()) {
        takeOverCameraIo(cam);
        if (cam->input1Copy() || cam->input2Copy())
            active = true;
    }
    return active;
}

bool popupControl::anyPopupRequest() const
{
    for (const camData *cam : state.cameras()) {
        if (cam->popupRequest())
            return true;
    }
    return false;
}

bool popupControl::anyRecordingCamera() const
{
    for (const camData *cam : state.cameras()) {
        if (cam->camModule.CAMautoSaveEn)
            return true;
    }
    return false;
}

void popupControl::hideRequested()
{
    userShown = false;
    if (!host.windowVisible() || hideArmed)
        return;
    hideArmed = true;
    holdHide = false;
    if (!anyRecordingCamera())
        state.requests().stopCameras = true;
}

// The viewer password comes in front of these two, unless a door is calling.
void popupControl::showNormalRequested()
{
    if (userShown)
        return;
    userShown = true;
    if (!state.isGridView())
        state.shellRequests().viewToggle = true;
    if (!dialogs.viewerGuardOn() || anyDoorStateActive(false))
        showNormal();
    else
        dialogs.askViewerPassword(pasw1Dia::showNormal);
}

void popupControl::showMaxRequested()
{
    if (!dialogs.viewerGuardOn()) {
        showMaximised();
        return;
    }
    if (userShown)
        return;
    userShown = true;
    if (anyDoorStateActive(false))
        showMaximised();
    else
        dialogs.askViewerPassword(pasw1Dia::showMaximised);
}

void popupControl::viewerPasswordAccepted(bool maximise)
{
    // The window is the user's whichever question was answered: one given up for another (a
    // second start's "show" while the tray's question was open) has cleared the mark meanwhile.
    userShown = true;
    if (maximise)
        showMaximised();
    else
        showNormal();
}

void popupControl::viewerPasswordCancelled()
{
    userShown = false;
}

bool popupControl::windowShownToUser() const
{
    return host.windowVisible() && (userOpened || !dialogs.viewerGuardOn());
}

void popupControl::showNormal()
{
    hideArmed = false;
    userOpened = true;
    if (host.windowVisible()) {
        if (host.windowMaximised())
            host.showWindowNormal();
        return;
    }
    if (state.settings().Flanke && !anyInputActive())
        holdHide = true;
    state.shellRequests().startAll = true;
    qCDebug(dxcamTrace) << "forceCD_StartVideoAll -> 2";
    host.showWindowNormal();
}

void popupControl::showMaximised()
{
    hideArmed = false;
    userOpened = true;
    if (host.windowHidden()) {
        if (state.settings().Flanke && !anyInputActive())
            holdHide = true;
        state.shellRequests().startAll = true;
        qCDebug(dxcamTrace) << "forceCD_StartVideoAll -> 1";
    }
    host.showWindowMaximised();
}

void popupControl::playSound()
{
    const shellSettings &s = state.settings();
    if (s.SoundEn && !s.Soundfile.isEmpty())
        sound.play(s.Soundfile);
}
