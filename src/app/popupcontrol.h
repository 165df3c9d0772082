#pragma once

#include "callnotifier.h"
#include "doorsound.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>

class auxDialogs;
class camData;
class installation;
class popupHost;
class popupOneWin;

// Turns the cameras' door events into showing and hiding the main window, or with OwnPopWin the
// separate popup window: the status events taken over every tick, the popup evaluation with its
// time-out or edge rule, and the tray's minimise, maximise and restore.
class popupControl {
public:
    popupControl(installation &state, popupHost &host, auxDialogs &dialogs);
    // Door calls and IO alarms that pop a camera up are also announced there.
    void setNotifier(callNotifier *announcer) { notifier = announcer; }
    // The notification's station of the camera, and back.
    static QString doorStation(const camData *camera);
    static QString ioStation(const camData *camera);
    camData *cameraOfStation(const QString &station) const;

    void statusEvents();
    void evaluate();

    void hideRequested();        // tray "Mi&nimieren"
    void showNormalRequested();  // tray "&Wiederherstellen"
    void showMaxRequested();     // tray "Ma&ximieren"
    // The viewer password asked for by the two above.
    void viewerPasswordAccepted(bool maximise);
    void viewerPasswordCancelled();
    // The main window is visible and was opened by the user (through the viewer password when
    // that guard is on), not popped up by a door event; it stops being so once it hides.
    bool windowShownToUser() const;
    void windowHidden() { userOpened = false; }

    // The time-out restarts now; expireAtStart makes it due at the next evaluation.
    void restartTimeout();
    void expireTimeout();
    qint64 elapsedMs() const;

    bool userShown = false;
    bool hideArmed = false;
    bool holdHide = false;

private:
    bool userOpened = false;

    bool showEvaluation(camData *camera);
    QList<camData *> evaluateAll();  // the cameras whose show evaluation said yes
    void decide(bool due, bool popupRefreshed);
    void popUp(int tag);
    // The popup window when popups go there (OwnPopWin), else none.
    popupOneWin *separateWindow() const;
    void takeTabChoice();
    bool refreshPopupWindow();
    void showInPopupWindow(camData *camera);
    void showPopupWindowIfHidden(const QList<camData *> &shown);
    void hidePopupWindow();
    void hideNow();
    void showNormal();
    void showMaximised();
    bool anyDoorStateActive(bool takeOverPending);
    bool anyInputActive();
    bool anyPopupRequest() const;
    bool anyRecordingCamera() const;
    void clearPopupState(camData *camera);
    void takeOverPending(camData *camera);
    bool takeOverCameraIo(camData *camera);
    void playSound();
    void announce(const QString &station, callNotifier::event kind, const QString &stationName,
                  const camData *camera);
    void followCall(camData *camera);

    installation &state;
    popupHost &host;
    auxDialogs &dialogs;
    QElapsedTimer clock;
    qint64 referenceMs = 0;
    doorSound sound;
    callNotifier *notifier = nullptr;
};
