#pragma once

class QTime;
class auxDialogs;
class camData;
class installation;
class popupOneWin;

// The camera records' share of the tick: their streams started, stopped and supervised, their
// recording housekeeping, the hand-over of their frames to the tiles and the popup window, and
// their trace lines into the log file. GUI thread, as the tick that drives it.
class cameraStreams {
public:
    static constexpr int housekeepingIntervalMs = 3000;

    cameraStreams(installation &state, auxDialogs &dialogs);

    // The start operation: a camera that runs and has no error is left alone; any other is
    // connected anew. False without a camera.
    bool start(camData *camera);
    // Every camera that does not run yet; each is marked running.
    void startAll();
    // Every camera stops that neither records continuously nor is recorded by hand.
    void stopAll();
    void closeRecordings();
    // Cameras that record continuously open their file before their first picture comes, and
    // connect at once.
    void startRecordingCameras();

    // Tick steps
    void countRunningTicks();
    // After start-up: a camera that waits too long for its first answer is scanned again.
    void superviseStartup();
    void recordingHousekeeping();
    void serveConnectRequests();
    void updateRates(const QTime &now);
    // Grid view: every camera renders, and a stalled one the window, the popup window or its
    // recording wants is started again. Single view: only the current camera renders, and only a
    // recorded camera is started again after a stall.
    void handOverFrames(bool windowVisible, bool windowShown, popupOneWin *popupWindow);
    void writeTraceLines();
    // Start-up is complete: a later start-all starts every camera again.
    void finishStartup();

private:
    void handOverSingleView(camData *current, popupOneWin *popupWindow);
    void collectRecordedPictures(camData *current);
    void restartRecordedAfterStall(camData *camera, bool stalledTwice);
    void restartAfterStall(camData *camera);
    void traceFirstPictures();

    installation &state;
    auxDialogs &dialogs;
    int housekeepingMs = 0;
    bool firstPictureTraced = false;
    bool everyTileTraced = false;
};
