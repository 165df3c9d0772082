#pragma once

#include "autostart.h"

#include <QWidget>

class accessProtection;
struct settingsRequests;
struct shellSettings;

namespace Ui {
class systemPage;
}

// The "System" tab of the settings dialog: remote control, button labels, picture folder,
// recording switches, sound, door-call notifications, the password switches and the log switch.
class systemPage : public QWidget {
    Q_OBJECT

public:
    systemPage(int FaVers, shellSettings &settings, const bool &traceSwitch, settingsRequests &requests,
               const accessProtection &protection, const autoStart &startAtLogin, QWidget *parent = nullptr);
    ~systemPage() override;

    void fill();
    // The guard switches as the protection record has them. A click only asks for the guard's
    // password (the main window's tick does that); the box shows the click until it is answered.
    void fillGuards();
    // mode: accessProtection::viewerMode or settingsMode.
    bool guardChecked(int mode) const;
    // Texts in the current language; what the user typed stays.
    void retranslate();
    QString check() const;
    void store();
    // "Übernehmen" takes the button labels over at once.
    void storeButtonText();

signals:
    // Automatic recording switched on or off for all modules.
    void recordingAllowed(bool allowed);
    // Something the user must know about: the start at login could not be switched.
    void problem(const QString &text);

private:
    void connectImmediate();
    void recordingControls();
    void switchStartAtLogin(bool on);
    void showButtonText(const QString &stored);

    Ui::systemPage *ui;
    shellSettings &settings;
    const bool &traceSwitch;
    settingsRequests &requests;
    const accessProtection &protection;
    autoStart loginEntry;
    bool manualSavingShown = true;
    QString defaultLabelsShown;  // the default labels in the language the field shows them in
};
