#include "camerastreams.h"

#include "auxdialogs.h"
#include "camdata.h"
#include "installation.h"
#include "popuponewin.h"
#include "tickperiod.h"
#include "tracecategory.h"

#include <QTime>

#include <algorithm>

namespace {

// The video dialog holds the camera: its recording runs, or is paused and may go on at any
// moment. Like a camera that records continuously it keeps its stream while the window is hidden,
// or the file would stop growing while the dialog goes on counting.
bool recordedByHand(const camData *camera)
{
    return camera->videoAttached();
}

bool recorded(const camData *camera)
{
    return camera->recordsAutomatically() || recordedByHand(camera);
}

} // namespace

cameraStreams::cameraStreams(installation &state, auxDialogs &dialogs)
    : state(state)
    , dialogs(dialogs)
{
}

bool cameraStreams::start(camData *camera)
{
    qCDebug(dxcamTrace) << " **** ownCam::Start_CAM( camData *pCD )";
    if (!camera)
        return false;
    if (camera->runsWithoutError())
        return true;
    dialogs.fillLoginPrompt(camera);
    camera->start();
    return true;
}

void cameraStreams::startAll()
{
    qCDebug(dxcamTrace) << "StartAll_CAM";
    for (camData *cam : state.cameras()) {
        if (!cam->isRunning()) {
            start(cam);
            cam->markRunning();
        }
    }
}

void cameraStreams::stopAll()
{
    for (camData *cam : state.cameras()) {
        if (!cam->camModule.CAMautoSaveEn && !recordedByHand(cam))
            cam->abortStream();
    }
}

void cameraStreams::closeRecordings()
{
    for (camData *cam : state.cameras())
        cam->closeRecording();
}

void cameraStreams::startRecordingCameras()
{
    for (camData *cam : state.cameras()) {
        cam->controlRecording();
        if (cam->camModule.CAMautoSaveEn)
            start(cam);
    }
}

void cameraStreams::countRunningTicks()
{
    for (camData *cam : state.cameras())
        cam->countRunningTick();
}

void cameraStreams::superviseStartup()
{
    for (camData *cam : state.cameras())
        cam->superviseStartup();
}

void cameraStreams::recordingHousekeeping()
{
    for (camData *cam : state.cameras())
        cam->motionTick();
    housekeepingMs += tickMs;
    if (housekeepingMs <= housekeepingIntervalMs)
        return;
    housekeepingMs = 0;
    for (camData *cam : state.cameras())
        cam->controlRecording();
}

void cameraStreams::serveConnectRequests()
{
    for (camData *cam : state.cameras()) {
        if (!cam->connectRequest())
            continue;
        start(cam);
        cam->setConnectRequest(false);
    }
}

void cameraStreams::updateRates(const QTime &now)
{
    for (camData *cam : state.cameras())
        cam->updateRates(now);
}

void cameraStreams::handOverFrames(bool windowVisible, bool windowShown, popupOneWin *popupWindow)
{
    camData *current = state.currentCamera();
    for (camData *cam : state.cameras()) {
        cam->setShown(windowShown && (state.isGridView() || cam == current));
        cam->setPlaces(windowShown && !state.isGridView() && cam == current,
                       popupWindow && popupWindow->isShowing(cam));
    }
    if (!state.isGridView()) {
        handOverSingleView(current, popupWindow);
        return;
    }
    for (camData *cam : state.cameras()) {
        const bool stalledTwice = cam->tick(cam == current);
        // A camera that is recorded is brought back even while the window is hidden.
        const bool wanted = windowVisible || (popupWindow && popupWindow->isShowing(cam)) || recorded(cam);
        if (cam->stallCheck(stalledTwice, wanted))
            restartAfterStall(cam);
    }
    camData::finishRenders(state.cameras());
    if (popupWindow)
        popupWindow->feedFrom(current, true);
    for (camData *cam : state.cameras())
        cam->updateSceneItem();
    traceFirstPictures();
}

// Once per run, for the start-up benchmark and whoever wonders how long the first minute takes.
void cameraStreams::traceFirstPictures()
{
    if (everyTileTraced)
        return;
    const QList<camData *> &cameras = state.cameras();
    const auto shown =
        std::count_if(cameras.cbegin(), cameras.cend(), [](const camData *c) { return c->framesDisplayed > 0; });
    if (shown > 0 && !firstPictureTraced) {
        firstPictureTraced = true;
        qCDebug(dxcamTrace) << "##### first picture on a tile";
    }
    if (shown == cameras.size() && shown > 0) {
        everyTileTraced = true;
        qCDebug(dxcamTrace) << "##### a picture on every tile";
    }
}

void cameraStreams::handOverSingleView(camData *current, popupOneWin *popupWindow)
{
    collectRecordedPictures(current);
    for (camData *cam : state.cameras()) {
        if (cam != current && recorded(cam))
            restartRecordedAfterStall(cam, cam->advanceStallClock());
    }
    if (!current)
        return;
    restartRecordedAfterStall(current, current->tick(true));
    current->finishRender();
    if (popupWindow)
        popupWindow->feedFrom(current, false);
    current->updateSceneItem();
}

// The single view leaves a silent camera alone, except one that is recorded: its file would stop
// growing until the grid is shown again.
void cameraStreams::restartRecordedAfterStall(camData *camera, bool stalledTwice)
{
    if (recorded(camera) && camera->stallCheck(stalledTwice, true))
        restartAfterStall(camera);
}

void cameraStreams::restartAfterStall(camData *camera)
{
    start(camera);
    qCDebug(dxcamTrace) << "StartCAM_1";
}

// The single view ticks only the current camera; the others that record still need their
// pictures cut.
void cameraStreams::collectRecordedPictures(camData *current)
{
    for (camData *cam : state.cameras()) {
        if (cam != current && (cam->recorder().recordingActive() || cam->videoRecording()))
            cam->collectPictures();
    }
}

void cameraStreams::writeTraceLines()
{
    // One write for the tick rather than one per line: there is a line per read of every camera.
    QString text;
    for (camData *cam : state.cameras()) {
        const QStringList lines = cam->takeTraceLines();
        if (!state.traceSwitch())
            continue;
        for (const QString &line : lines)
            text += line + QLatin1Char('\n');
    }
    if (!text.isEmpty())
        state.ini().writeLog(text);
}

void cameraStreams::finishStartup()
{
    for (camData *cam : state.cameras())
        cam->finishStartup();
}
