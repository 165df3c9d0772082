#pragma once

class camData;

// The main window's services that the command dispatch needs.
class dispatchHost {
public:
    virtual ~dispatchHost() = default;

    virtual void startCam(camData *cam) = 0;
    // Starts every camera and clears the start-all request.
    virtual void startAllCams() = 0;
    // Sets the panel's start/stop label from the current camera's stream state.
    virtual void refreshStartStopLabel() = 0;

    // Picture and video recording. Each returns whether it did work that ends the tick; until
    // recording is wired in, the requests are only consumed.
    virtual bool savePictures(camData *cam) { (void)cam; return false; }
    virtual bool printPicture(camData *cam) { (void)cam; return false; }
    virtual void startVideo(camData *cam) { (void)cam; }
};
