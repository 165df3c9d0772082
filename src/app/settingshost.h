#pragma once

#include <QString>

class camData;

// What the settings work needs of the main window that only the window can do.
class settingsHost {
public:
    virtual ~settingsHost() = default;

    // A camera made from a section of the store, as at start-up; false when it cannot be made.
    virtual bool createCamera(const QString &section) = 0;
    virtual void startCam(camData *camera) = 0;
    // The main window's own buttons and switches, as the dialog asks for them.
    virtual void startCurrentCamera() = 0;
    virtual void stopCameras() = 0;
    virtual void saveCurrentPicture() = 0;
    virtual void toggleMaximised() = 0;
    virtual void toggleControlBox() = 0;
    virtual void applyFrameRule() = 0;
    virtual void showMainWindow() = 0;
    virtual void hideMainWindow() = 0;
    virtual void relayout() = 0;
    virtual void toggleView() = 0;
    // The window goes to the stored geometry.
    virtual void applyStoredGeometry() = 0;
    // The status sockets listen on the first module's ports.
    virtual void bindStatusPorts() = 0;
};
