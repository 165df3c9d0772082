#pragma once

class EinstDia;
class camData;

// What the auxiliary dialogs need of the main window: the settings dialog they guard, a camera
// start after a new login, and whoever waits for the viewer password.
class auxDialogsHost {
public:
    virtual ~auxDialogsHost() = default;

    virtual EinstDia *settingsDialog() const = 0;
    virtual void startCam(camData *camera) = 0;
    // The answer to the viewer password asked for showing the window (maximised or normal).
    virtual void viewerPasswordAnswered(bool maximise, bool accepted) = 0;
};
