#pragma once

#include "accessprotection.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QtGlobal>

class QWidget;
struct settingsRequests;
struct shellSettings;
class auxDialogsHost;
class camData;
class pasw1Dia;
class paswDia;
class paswSettings;
class service;
class spracheDia;
class zertDia;

// The main window's auxiliary dialogs and what its tick does with them: the password entry and
// change with the protection record, the language, the camera login prompt, the question whether
// to trust a camera's certificate, and the statistics.
// The dialogs are children of the main window; this object only keeps track of them.
class auxDialogs {
public:
    // The settings and the cameras are read; the requests are the guard and statistics ones it
    // serves.
    auxDialogs(const shellSettings &settings, const QList<camData *> &cameras, settingsRequests &requests,
               auxDialogsHost &host, QWidget &dialogParent);

    // The protection record; later handed to whoever edits the guards.
    accessProtection protection;

    // Start-up: the record read from the store, the password entry created.
    void createPasswordPrompt();
    pasw1Dia *passwordPrompt() const { return prompt; }
    bool viewerGuardOn() const { return protection.protectViewer; }
    void askViewerPassword(int purpose);
    // The tray's "&Einstellungen": the settings dialog, behind the settings password when that
    // guard is on.
    void openSettings();
    // Tick: the answer of the password entry goes to whoever asked (the popup logic, the
    // settings dialog or one of its guard switches).
    void servePasswordResult();
    // Tick: the settings dialog's guard switches and "Passwort einstellen" buttons.
    void serveGuardRequests();
    // The one password change dialog, shown for accessProtection::settingsMode or viewerMode.
    paswSettings *changePassword(int mode);

    void setLanguageDialog(spracheDia *dialog);
    spracheDia *languageDialog() const { return language; }
    void showLanguageDialog();
    bool takeLanguageChange();
    void applyStoredLanguage();

    // The login prompt mirrors the camera being started; after two refused logins in a row it
    // asks the user, once per camera. Like the certificate question it is shown only while the
    // main window is shown to the user and no door calls; meanwhile it waits.
    void fillLoginPrompt(camData *camera);
    void serveLoginPrompt();
    paswDia *loginPrompt() const { return login; }
    camData *loginCamera() const;

    // A certificate that does not verify: trusted, the camera connects with it; declined, the
    // camera stays unconnected and is not asked for again until its address changes or the
    // settings page forgets the answer.
    void serveTrustPrompt();
    zertDia *trustPrompt() const { return trust; }
    camData *trustCamera() const;

    void serveStatisticsRequest();
    void refreshStatistics(int msCounter, bool periodClosed);
    void showDoorInfo(qint64 elapsedMs);
    service *statistics() const { return stats; }

    void retranslate();
    void releaseCamera(camData *camera);

private:
    enum class loginAnswer { none, accepted, rejected };

    bool questionsAllowed() const;

    // One question at a time: a new one gives up the question still open.
    void askPassword(int mode, int purpose);
    void finishPrompt(bool accepted);
    void takeGuardAnswer(int mode, bool accepted);
    void showSettingsDialog();

    bool doorCallActive() const;
    void askLogin(camData *camera);
    void takeLoginAnswer();
    void askTrust(camData *camera);
    void takeTrustAnswer();

    const shellSettings &settings;
    const QList<camData *> &cameras;
    settingsRequests &requests;
    auxDialogsHost &host;
    QWidget &parent;
    pasw1Dia *prompt = nullptr;
    paswSettings *change = nullptr;
    spracheDia *language = nullptr;
    paswDia *login = nullptr;
    // Guarded as well as released: the prompts outlive their cameras.
    QPointer<camData> loginFor;
    loginAnswer loginReply = loginAnswer::none;
    QSet<camData *> loginDeclined;
    zertDia *trust = nullptr;
    QPointer<camData> trustFor;
    loginAnswer trustReply = loginAnswer::none;
    service *stats = nullptr;
};
