#pragma once

class QString;
class camData;

// What the auxiliary dialogs do with the settings dialog: bring it up (behind its password),
// settle a guard switch once its password was answered, and show a login or a certificate
// decision the user made elsewhere, so that storing the pages cannot bring the old one back.
class guardedSettings {
public:
    virtual ~guardedSettings() = default;

    virtual bool shownToUser() const = 0;
    // Shown, raised and given the keyboard.
    virtual void bringUp() = 0;
    // What the box of a guard (accessProtection::viewerMode or settingsMode) shows now, and the
    // protection record shown again.
    virtual bool guardChecked(int mode) const = 0;
    virtual void showGuards() = 0;
    // A message that does not block.
    virtual void inform(const QString &text) = 0;
    virtual void takeCredentials(const camData *camera) = 0;
    virtual void takeCertificate(const camData *camera) = 0;
};
