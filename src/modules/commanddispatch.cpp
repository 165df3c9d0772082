#include "commanddispatch.h"

#include "camdata.h"
#include "camhandel.h"
#include "commandobserver.h"
#include "commandsender.h"
#include "dispatchhost.h"
#include "shellsettings.h"
#include "tracecategory.h"

namespace {

constexpr quint8 hangUpCommand = 3;

void trace(const QString &line)
{
    qCDebug(dxcamTrace).noquote() << line;
}

} // namespace

commandDispatch::commandDispatch(dispatchHost &host, commandSender &sender, const shellSettings &settings,
                                 const QList<camData *> &cameras, bool &startAllRequest,
                                 bool &startStopRequest)
    : host(host), sender(sender), settings(settings), cameras(cameras), startAllRequest(startAllRequest),
      startStopRequest(startStopRequest)
{
}

void commandDispatch::processButtons(camHandel &panel, camData *current)
{
    const int button = panel.pendingButton();
    if (button == camHandel::none)
        return;
    // A press belongs to the camera whose panel it came from, whatever is current by now; the
    // current camera is only the fallback of a panel opened without one.
    camData *target = panel.isBound(button) ? panel.requestCamera(button) : current;
    if (panel.isBound(button) && !cameras.contains(target)) {
        trace(QStringLiteral("-----> discarded: the camera of the panel is gone"));
        panel.clearRequest(button);
        return;
    }
    if (!target)
        return;
    panel.clearRequest(button);
    if (observer)
        observer->panelUsed(target);
    switch (button) {
    case camHandel::door:
        trace(QStringLiteral("-----> TUER OEFFNEN \"%1\"").arg(target->sipModuleRec.sipName));
        target->forceMsgToCamTuer = true;
        break;
    case camHandel::doorAndHangUp:
        trace(QStringLiteral("-----> TUER OEFFNEN UND TRENNEN"));
        target->forceMsgToCamTuer = true;
        target->hangUpWait = 1;
        target->forceMsgVerbTrenen = true;
        break;
    case camHandel::light:
        trace(QStringLiteral("-----> BELEUCHTUNG EIN"));
        target->lightRequest = true;
        break;
    case camHandel::callStation:
        trace(QStringLiteral("-----> SPRECHSTELLE ANRUFEN"));
        target->callRequest = true;
        break;
    case camHandel::savePicture:
        trace(QStringLiteral("-----> BILD SPEICHERN"));
        target->saveCommand = true;
        break;
    case camHandel::print:
        trace(QStringLiteral("-----> BILD DRUCKEN"));
        target->printCommand = true;
        break;
    case camHandel::saveVideo:
        trace(QStringLiteral("-----> VIDEO SPEICHERN"));
        target->videoCommand = true;
        break;
    case camHandel::startStop:
        trace(QStringLiteral("-----> KAMERA STARTEN"));
        startStopRequest = true;
        break;
    default:
        break;
    }
}

bool commandDispatch::camMsgHand(camData *current)
{
    if (cameras.isEmpty())
        return false;
    if (startAllRequest) {
        host.startAllCams();
        startAllRequest = false;
        return true;
    }
    if (startStopRequest)
        return startStop(current);
    for (camData *cam : cameras) {
        if (!cam)
            continue;
        if (const std::optional<bool> result = remoteCommand(cam))
            return *result;
        if (const std::optional<bool> result = recordingCommand(cam))
            return *result;
    }
    return false;
}

bool commandDispatch::startStop(camData *current)
{
    if (current) {
        if (current->isIdle()) {
            current->userStopped = false;
            host.startCam(current);
        } else {
            current->abortStream();
            current->userStopped = true;
        }
    }
    host.refreshStartStopLabel();
    startStopRequest = false;
    return true;
}

std::optional<bool> commandDispatch::remoteCommand(camData *cam)
{
    if (!settings.RemoteCtrl) {
        // Without remote control nothing may be sent; a pending hang-up is kept for when it is
        // switched on.
        cam->forceMsgToCamTuer = false;
        cam->lightRequest = false;
        cam->callRequest = false;
        return std::nullopt;
    }
    if (cam->forceMsgToCamTuer) {
        trace(QStringLiteral("!!! pbo=&aDa->forceMsgToCamTuer !!!  (Tür-öffnen ...) "));
        cam->hangUpWait = 1;
        sendDoor(cam);
        cam->forceMsgToCamTuer = false;
        return true;
    }
    if (cam->lightRequest) {
        sendLight(cam);
        cam->lightRequest = false;
        return true;
    }
    if (cam->forceMsgVerbTrenen) {
        // The hang-up waits in ticks so that the door frame is acted on first; everything after
        // this camera waits with it.
        if (++cam->hangUpWait <= hangUpTicks)
            return false;
        trace(QStringLiteral("!!! pbo=&aDa->forceMsgVerbTrenen !!! (Verbindung trennen)  "));
        sender.sendIntercom(hangUpCommand, cam->sipModuleRec);
        if (observer)
            observer->hungUp(cam);
        cam->forceMsgVerbTrenen = false;
        cam->hangUpWait = 0;
        return true;
    }
    cam->hangUpWait = 0;
    if (cam->callRequest) {
        // Calling the station has no frame: the request is only consumed.
        cam->callRequest = false;
        return false;
    }
    return std::nullopt;
}

std::optional<bool> commandDispatch::recordingCommand(camData *cam)
{
    if (cam->saveCommand) {
        trace(QStringLiteral("#### -> camMsgHand -> '%1'").arg(cam->camModule.camName));
        cam->savePictureRequest = true;
        host.savePictures(cam);
        cam->savePictureRequest = false;
        cam->saveCommand = false;
        return true;
    }
    if (cam->printCommand) {
        cam->printCommand = false;
        return cam->hasFrame() && host.printPicture(cam);
    }
    if (cam->videoCommand) {
        if (!settings.BildAllSaveEn) {
            trace(QStringLiteral("Start Saving ..."));
            host.startVideo(cam);
        }
        cam->videoCommand = false;
        return false;
    }
    return std::nullopt;
}

void commandDispatch::sendDoor(camData *cam)
{
    int output = 0;
    if (cam->sipModuleRec.SIP_tuer > 0)
        sender.sendRelay(output = cam->sipModuleRec.SIP_tuer, cam->sipModuleRec);
    else if (cam->camModule.CAM_tuer > 0)
        sender.sendRelay(output = cam->camModule.CAM_tuer, cam->camModule);
    if (output > 0 && observer)
        observer->doorOpened(cam, output);
}

void commandDispatch::sendLight(camData *cam)
{
    int output = 0;
    if (cam->sipModuleRec.SIP_light > 0)
        sender.sendRelay(output = cam->sipModuleRec.SIP_light, cam->sipModuleRec);
    else if (cam->camModule.CAM_light > 0)
        sender.sendRelay(output = cam->camModule.CAM_light, cam->camModule);
    if (output > 0 && observer)
        observer->lightSwitched(cam, output);
}
