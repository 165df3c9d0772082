#pragma once

#include "callerpicture.h"
#include "commandobserver.h"
#include "historyevent.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

struct shellSettings;

// Turns what the status parser recognised and what the user did into the events of the call
// history, whether or not anything popped up:
// - a door call begins with the first call event of a door station (codes 01, 07, 05 with their
//   SIP_popup bit and a matching callee) and ends with its end report (0A, or 05 without the
//   bit). Further call events with the same callee belong to it; another callee starts the next.
//   A station that never reports the end: the call ended `Timeout` seconds after its last sign
//   of life (a datagram, or something done for it), decided once nothing came for
//   endReportWaitMs more, or at its station's next start;
// - an IO alarm lasts from the selected input's active report to its inactive one (the same
//   rule without one).
// What the user did for the camera while an event lasts is noted with it; the caller's picture
// is waited for (callerPicture). Every change goes to the event sink, which writes it.
// GUI thread.
class callTracker : public commandObserver {
    Q_DECLARE_TR_FUNCTIONS(callTracker)

public:
    static constexpr qint64 endReportWaitMs = 120000;

    using eventSink = std::function<void(const historyEvent &event)>;
    using pictureSink = std::function<void(const historyEvent &event, const callerPicture::source &jpeg)>;
    using clockFunction = std::function<qint64()>;
    using shownTest = std::function<bool(const camData *camera)>;

    explicit callTracker(const shellSettings &settings);

    // changed: every change of an event; picture: its caller's picture; missed: an event that
    // ended with nobody answering it.
    void setSinks(eventSink changed, pictureSink picture, eventSink missed);
    // Wall time in ms since the epoch; tests set their own.
    void setClock(clockFunction clock);

    // The status parser recognised a datagram for the camera's intercom record (intercom) or its
    // camera/IO record; summary is the parser's (the callee of a call event).
    void statusParsed(camData *camera, bool intercom, const QString &summary);

    // commandObserver
    void doorOpened(const camData *camera, int output) override;
    void lightSwitched(const camData *camera, int output) override;
    void hungUp(const camData *camera) override;
    void panelUsed(const camData *camera) override;
    // The user brought the window up: every event that lasts has been seen.
    void windowShownByUser();

    // Every tick: which events' cameras are shown now, the pictures, the ends that were not
    // reported.
    void tick(const shownTest &shown);
    // The program ends: what lasts ends now. (A camera that goes ends its events at the next tick.)
    void endAll();

private:
    struct tracked {
        historyEvent event;
        QPointer<camData> camera;
        qint64 lastSeenMs = 0;  // datagram or action
        callerPicture picture;
        bool pictureSettled = false;
        bool changed = false;
        bool justEnded = false;
    };

    qint64 now() const;
    qint64 timeoutMs() const;
    tracked *lasting(const camData *camera, historyEvent::kind what, bool call);
    void callStatus(camData *camera, const QString &callee);
    void ioStatus(camData *camera);
    void begin(camData *camera, historyEvent::kind what, const QString &callee);
    void end(tracked &t, qint64 atMs, bool reported);
    void endUnreported(tracked &t, qint64 atMs);
    void takePicture(tracked &t, qint64 atMs);
    void settleWithout(tracked &t, const QString &reason);
    template <typename Change> void forCamera(const camData *camera, Change change);
    void flush();

    const shellSettings &settings;
    eventSink changedSink;
    pictureSink pictureTaken;
    eventSink missedSink;
    clockFunction clock;
    QList<tracked> events;
    qint64 nextId = 0;
};
