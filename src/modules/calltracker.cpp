#include "calltracker.h"

#include "camdata.h"
#include "recordfiles.h"
#include "shellsettings.h"
#include "statusparser.h"

#include <QDateTime>

#include <algorithm>

namespace {

// SIP_popup bit values of the three call codes, and the codes.
constexpr int bitBeingCalled = 1;
constexpr int bitCalling = 2;
constexpr int bitConversation = 4;
constexpr int codeBeingCalled = 0x01;
constexpr int codeConversation = 0x05;
constexpr int codeCalling = 0x07;
constexpr int codeCallEnd = 0x0A;
constexpr int codeIoReport = 0xA1;

}  // namespace

using kind = historyEvent::kind;

callTracker::callTracker(const shellSettings &settings) : settings(settings)
{
}

void callTracker::setSinks(eventSink changed, pictureSink picture, eventSink missed)
{
    changedSink = std::move(changed);
    pictureTaken = std::move(picture);
    missedSink = std::move(missed);
}

void callTracker::setClock(clockFunction source)
{
    clock = std::move(source);
}

qint64 callTracker::now() const
{
    return clock ? clock() : QDateTime::currentMSecsSinceEpoch();
}

qint64 callTracker::timeoutMs() const
{
    return qint64(qMax(1, settings.Timeout)) * 1000;
}

callTracker::tracked *callTracker::lasting(const camData *camera, kind what, bool call)
{
    for (tracked &t : events) {
        if (t.camera == camera && !t.event.ended() && (call ? t.event.isCall() : t.event.what == what))
            return &t;
    }
    return nullptr;
}

void callTracker::statusParsed(camData *camera, bool intercom, const QString &summary)
{
    if (!camera)
        return;
    if (intercom)
        callStatus(camera, summary);
    else
        ioStatus(camera);
    flush();
}

void callTracker::callStatus(camData *camera, const QString &callee)
{
    const sipModule &sip = camera->sipModuleRec;
    const int code = sip.status.lastCode;
    const int bits = sip.SIP_popup;
    tracked *open = lasting(camera, kind::calling, true);
    const qint64 at = now();
    if (code == codeCallEnd || (code == codeConversation && !(bits & bitConversation))) {
        if (open)
            end(*open, at, true);
        return;
    }
    kind what = kind::calling;
    if (code == codeBeingCalled && (bits & bitBeingCalled))
        what = kind::beingCalled;
    else if (code == codeCalling && (bits & bitCalling))
        what = kind::calling;
    else if (code == codeConversation)
        what = kind::conversation;
    else
        return;
    // A call for another desk's number is not this desk's call.
    if (!statusParser::calleeMatches(callee, sip.SIP_Callee, sip.allRufNr))
        return;
    if (open && open->event.callee == callee) {
        open->lastSeenMs = at;
        if (what == kind::conversation && !open->event.talked) {
            open->event.talked = true;
            open->changed = true;
        }
        return;
    }
    if (open)
        endUnreported(*open, at);
    begin(camera, what, callee);
}

void callTracker::ioStatus(camData *camera)
{
    const cameraModule &io = camera->camModule;
    if (io.status.lastCode != codeIoReport || (io.CAM_popup != 3 && io.CAM_popup != 4))
        return;
    const bool first = io.CAM_popup == 3;
    const kind what = first ? kind::input1 : kind::input2;
    const char state = io.status.statusChars[first ? 2 : 3];
    tracked *open = lasting(camera, what, false);
    const qint64 at = now();
    // An input reads '0' while it is active.
    if (state == '0') {
        if (open)
            open->lastSeenMs = at;
        else
            begin(camera, what, QString());
    } else if (state == '1' && open) {
        end(*open, at, true);
    }
}

void callTracker::begin(camData *camera, kind what, const QString &callee)
{
    tracked t;
    historyEvent &e = t.event;
    const qint64 at = now();
    e.id = ++nextId;
    e.what = what;
    e.startMs = at;
    e.camName = camera->camModule.camName;
    if (e.isCall()) {
        e.moduleName = camera->sipModuleRec.sipName;
        e.station = camera->sipModuleRec.addressText();
    } else {
        e.moduleName = camera->camModule.camName;
        e.station = camera->camModule.addressText();
    }
    e.callee = callee;
    e.talked = what == kind::conversation;
    const cameraModule &module = camera->camModule;
    if (settings.BildAllSaveEn && (module.CAMautoSaveEn || module.CAMsaveBeweg) && !module.dirCamBild.isEmpty()) {
        e.recordFolder = module.dirCamBild;
        e.recordStem = recordFiles::automaticName(module.camName);
    }
    t.camera = camera;
    t.lastSeenMs = at;
    t.picture = callerPicture(*camera, at);
    t.changed = true;
    events.append(t);
}

void callTracker::end(tracked &t, qint64 atMs, bool reported)
{
    t.event.endMs = qMax(atMs, t.event.startMs);
    t.event.endReported = reported;
    t.changed = true;
    t.justEnded = true;
}

// It ended `Timeout` after its last sign of life, or at what ends it now if that came sooner.
void callTracker::endUnreported(tracked &t, qint64 atMs)
{
    end(t, qMin(atMs, t.lastSeenMs + timeoutMs()), false);
}

template <typename Change> void callTracker::forCamera(const camData *camera, Change change)
{
    const qint64 at = now();
    for (tracked &t : events) {
        if (t.camera != camera || t.event.ended())
            continue;
        change(t.event, at);
        t.lastSeenMs = at;
        t.changed = true;
    }
    flush();
}

void callTracker::doorOpened(const camData *camera, int output)
{
    forCamera(camera, [output](historyEvent &e, qint64 at) {
        if (e.doorMs != 0)
            return;
        e.doorMs = at;
        e.doorOutput = output;
    });
}

void callTracker::lightSwitched(const camData *camera, int)
{
    forCamera(camera, [](historyEvent &e, qint64) { e.light = true; });
}

void callTracker::hungUp(const camData *camera)
{
    forCamera(camera, [](historyEvent &e, qint64) { e.hungUp = true; });
}

void callTracker::panelUsed(const camData *camera)
{
    forCamera(camera, [](historyEvent &e, qint64) { e.panel = true; });
}

void callTracker::windowShownByUser()
{
    for (tracked &t : events) {
        if (!t.event.ended() && !t.event.userShown) {
            t.event.userShown = true;
            t.changed = true;
        }
    }
    flush();
}

void callTracker::tick(const shownTest &shown)
{
    const qint64 at = now();
    for (tracked &t : events) {
        if (!t.camera) {
            if (!t.event.ended())
                endUnreported(t, at);
            settleWithout(t, tr("Kamera entfernt"));
            continue;
        }
        if (!t.event.ended()) {
            if (!t.event.shown && shown && shown(t.camera)) {
                t.event.shown = true;
                t.changed = true;
            }
            if (at - t.lastSeenMs > timeoutMs() + endReportWaitMs)
                endUnreported(t, at);
        }
        takePicture(t, at);
    }
    flush();
}

void callTracker::takePicture(tracked &t, qint64 atMs)
{
    if (t.pictureSettled)
        return;
    callerPicture::source jpeg;
    QString reason;
    switch (t.picture.poll(*t.camera, atMs, jpeg, reason)) {
    case callerPicture::outcome::waiting:
        return;
    case callerPicture::outcome::picture:
        t.pictureSettled = true;
        t.changed = true;
        if (pictureTaken)
            pictureTaken(t.event, jpeg);
        return;
    case callerPicture::outcome::none:
        settleWithout(t, reason);
        return;
    }
}

void callTracker::settleWithout(tracked &t, const QString &reason)
{
    if (t.pictureSettled)
        return;
    t.pictureSettled = true;
    t.event.noPicture = reason;
    t.changed = true;
}

void callTracker::endAll()
{
    const qint64 at = now();
    for (tracked &t : events) {
        if (!t.event.ended())
            endUnreported(t, at);
        settleWithout(t, tr("Viewer beendet"));
    }
    flush();
}

void callTracker::flush()
{
    for (tracked &t : events) {
        if (!t.changed)
            continue;
        t.changed = false;
        t.event.done = t.event.ended() && t.pictureSettled;
        if (changedSink)
            changedSink(t.event);
        if (std::exchange(t.justEnded, false) && t.event.missed() && missedSink)
            missedSink(t.event);
    }
    events.erase(std::remove_if(events.begin(), events.end(), [](const tracked &t) { return t.event.done; }),
                 events.end());
}
