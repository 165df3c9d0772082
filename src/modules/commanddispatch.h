#pragma once

#include <QList>

#include <optional>

class camData;
class camHandel;
class commandObserver;
class commandSender;
class dispatchHost;
struct shellSettings;

// Turns panel presses into per-camera requests and carries the requests out, one per tick.
class commandDispatch {
public:
    // startAllRequest / startStopRequest: the main window's request bytes (the popup logic sets
    // them too).
    commandDispatch(dispatchHost &host, commandSender &sender, const shellSettings &settings,
                    const QList<camData *> &cameras, bool &startAllRequest, bool &startStopRequest);

    // The panel's first pending button becomes a request of the camera the panel was opened for
    // (discarded when that camera is gone); a press without one goes to the current camera, and
    // without a current camera it stays pending.
    void processButtons(camHandel &panel, camData *current);

    // Carries out at most one request; true when it did something (the tick then ends).
    bool camMsgHand(camData *current);

    // Told what was sent and pressed for which camera (the call history); none by default.
    void setObserver(commandObserver *watcher) { observer = watcher; }

    // Ticks the hang-up waits after the door frame before the intercom is told to hang up.
    static constexpr int hangUpTicks = 50;

private:
    bool startStop(camData *current);
    // Each returns the dispatch's result when it ended this tick's work, nothing to go on.
    std::optional<bool> remoteCommand(camData *cam);
    std::optional<bool> recordingCommand(camData *cam);
    void sendDoor(camData *cam);
    void sendLight(camData *cam);

    dispatchHost &host;
    commandSender &sender;
    const shellSettings &settings;
    const QList<camData *> &cameras;
    bool &startAllRequest;
    bool &startStopRequest;
    commandObserver *observer = nullptr;
};
