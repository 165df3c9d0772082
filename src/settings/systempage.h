#pragma once

#include <QWidget>

struct settingsRequests;
struct shellSettings;

namespace Ui {
class systemPage;
}

// The "System" tab of the settings dialog: remote control, button labels, picture folder,
// recording switches, sound, the password switches and the log switch.
class systemPage : public QWidget {
    Q_OBJECT

public:
    systemPage(int FaVers, shellSettings &settings, const bool &traceSwitch, settingsRequests &requests,
               QWidget *parent = nullptr);
    ~systemPage() override;

    void fill();
    // Texts in the current language; what the user typed stays.
    void retranslate();
    QString check() const;
    void store();
    // "Übernehmen" takes the button labels over at once.
    void storeButtonText();

signals:
    // Automatic recording switched on or off for all modules.
    void recordingAllowed(bool allowed);

private:
    void connectImmediate();
    void recordingControls();

    Ui::systemPage *ui;
    shellSettings &settings;
    const bool &traceSwitch;
    settingsRequests &requests;
    bool manualSavingShown = true;
};
