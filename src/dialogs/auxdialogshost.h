#pragma once

class camData;
class guardedSettings;

// What the auxiliary dialogs need of the main window: the settings dialog they guard, a camera
// start after a new login or a trusted certificate, the file written, whoever waits for the
// viewer password, and whether the window is shown to the user.
class auxDialogsHost {
public:
    virtual ~auxDialogsHost() = default;

    virtual guardedSettings *settingsGuard() const = 0;
    virtual void startCam(camData *camera) = 0;
    // The answer to the viewer password asked for showing the window (maximised or normal).
    virtual void viewerPasswordAnswered(bool maximise, bool accepted) = 0;
    // Visible, and opened by the user (through the viewer password when that guard is on):
    // questions about a camera's login or certificate wait for it.
    virtual bool windowShownToUser() const = 0;
    virtual void saveConfiguration() = 0;
    // The language dialog's choice, stored with the settings.
    virtual void storeLanguage(int language) = 0;
};
