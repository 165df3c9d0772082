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
        target->setForceMsgToCamTuer(true);
        break;
    case camHandel::doorAndHangUp:
        trace(QStringLiteral("-----> TUER OEFFNEN UND TRENNEN"));
        target->setForceMsgToCamTuer(true);
        target->setHangUpWait(1);
        target->setForceMsgVerbTrenen(true);
        break;
    case camHandel::light:
        trace(QStringLiteral("-----> BELEUCHTUNG EIN"));
        target->setLightRequest(true);
        break;
    case camHandel::callStation:
        trace(QStringLiteral("-----> SPRECHSTELLE ANRUFEN"));
        target->setCallRequest(true);
        break;
    case camHandel::savePicture:
        trace(QStringLiteral("-----> BILD SPEICHERN"));
        target->setSaveCommand(true);
        break;
    case camHandel::print:
        trace(QStringLiteral("-----> BILD DRUCKEN"));
        target->setPrintCommand(true);
        break;
    case camHandel::saveVideo:
        trace(QStringLiteral("-----> VIDEO SPEICHERN"));
        target->setVideoCommand(true);
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
            current->setUserStopped(false);
            host.startCam(current);
        } else {
            current->abortStream();
            current->setUserStopped(true);
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
        cam->setForceMsgToCamTuer(false);
        cam->setLightRequest(false);
        cam->setCallRequest(false);
        return std::nullopt;
    }
    if (cam->forceMsgToCamTuer()) {
        trace(QStringLiteral("!!! pbo=&aDa->forceMsgToCamTuer !!!  (Tür-öffnen ...) "));
        cam->setHangUpWait(1);
        sendDoor(cam);
        cam->setForceMsgToCamTuer(false);
        return true;
    }
    if (cam->lightRequest()) {
        sendLight(cam);
        cam->setLightRequest(false);
        return true;
    }
    if (cam->forceMsgVerbTrenen()) {
        // The hang-up waits in ticks so that the door frame is acted on first; everything after
        // this camera waits with it.
        cam->setHangUpWait(cam->hangUpWait() + 1);
        if (cam->hangUpWait() <= hangUpTicks)
            return false;
        trace(QStringLiteral("!!! pbo=&aDa->forceMsgVerbTrenen !!! (Verbindung trennen)  "));
        sender.sendIntercom(hangUpCommand, cam->sipModuleRec);
        if (observer)
            observer->hungUp(cam);
        cam->setForceMsgVerbTrenen(false);
        cam->setHangUpWait(0);
        return true;
    }
    cam->setHangUpWait(0);
    if (cam->callRequest()) {
        // Calling the station has no frame: the request is only consumed.
        cam->setCallRequest(false);
        return false;
    }
    return std::nullopt;
}

std::optional<bool> commandDispatch::recordingCommand(camData *cam)
{
    if (cam->saveCommand()) {
        trace(QStringLiteral("#### -> camMsgHand -> '%1'").arg(cam->camModule.camName));
        cam->setSavePictureRequest(true);
        host.savePictures(cam);
        cam->setSavePictureRequest(false);
        cam->setSaveCommand(false);
        return true;
    }
    if (cam->printCommand()) {
        cam->setPrintCommand(false);
        return cam->hasFrame() && host.printPicture(cam);
    }
    if (cam->videoCommand()) {
        if (!settings.BildAllSaveEn) {
            trace(QStringLiteral("Start Saving ..."));
            host.startVideo(cam);
        }
        cam->setVideoCommand(false);
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
