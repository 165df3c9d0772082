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

    // Picture and video recording. The first two return whether they did work that ends the
    // tick.
    virtual bool savePictures(camData *cam) = 0;
    virtual bool printPicture(camData *cam) = 0;
    virtual void startVideo(camData *cam) = 0;
};
