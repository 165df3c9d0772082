#include "auxdialogs.h"

#include "camdata.h"
#include "auxdialogshost.h"
#include "guardedsettings.h"
#include "pasw1dia.h"
#include "paswdia.h"
#include "paswsettings.h"
#include "service.h"
#include "settingsrequests.h"
#include "shellsettings.h"
#include "sprachedia.h"
#include "zertdia.h"

#include <QCoreApplication>
#include <QTime>

#include <utility>

auxDialogs::auxDialogs(const shellSettings &settings, const QList<camData *> &cameras, settingsRequests &requests,
                       auxDialogsHost &host, QWidget &dialogParent)
    : settings(settings)
    , cameras(cameras)
    , requests(requests)
    , host(host)
    , parent(dialogParent)
{
}

// ---------------------------------------------------------------- passwords

void auxDialogs::createPasswordPrompt()
{
    protection.load();
    if (!prompt)
        prompt = new pasw1Dia(protection, settings.FaVers, &parent);
}

camData *auxDialogs::loginCamera() const
{
    return loginFor;
}

camData *auxDialogs::trustCamera() const
{
    return trustFor;
}

void auxDialogs::askViewerPassword(int purpose)
{
    askPassword(accessProtection::viewerMode, purpose);
}

void auxDialogs::openSettings()
{
    if (host.settingsGuard()->shownToUser()) {
        showSettingsDialog();
        return;
    }
    protection.load();
    if (!protection.protectSetting) {
        showSettingsDialog();
        return;
    }
    askPassword(accessProtection::settingsMode, pasw1Dia::openSettings);
}

void auxDialogs::askPassword(int mode, int purpose)
{
    if (!prompt)
        createPasswordPrompt();
    // A password accepted just now still reaches whoever asked for it.
    servePasswordResult();
    if (prompt->isVisible()) {
        if (prompt->currentMode() == mode && prompt->currentPurpose() == purpose) {
            prompt->raise();
            prompt->activateWindow();
            return;
        }
        // Whoever waits for the question given up must not wait for good.
        finishPrompt(false);
    }
    prompt->prompt(mode, purpose);
}

void auxDialogs::servePasswordResult()
{
    if (!prompt)
        return;
    const pasw1Dia::result outcome = prompt->takeResult();
    if (outcome != pasw1Dia::result::none)
        finishPrompt(outcome == pasw1Dia::result::accepted);
}

void auxDialogs::finishPrompt(bool accepted)
{
    const int purpose = prompt->currentPurpose();
    switch (purpose) {
    case pasw1Dia::showNormal:
    case pasw1Dia::showMaximised:
        host.viewerPasswordAnswered(purpose == pasw1Dia::showMaximised, accepted);
        break;
    case pasw1Dia::openSettings:
        if (accepted)
            showSettingsDialog();
        break;
    case pasw1Dia::confirmGuard:
        takeGuardAnswer(prompt->currentMode(), accepted);
        break;
    }
}

void auxDialogs::serveGuardRequests()
{
    if (std::exchange(requests.changeViewerPassword, false))
        changePassword(accessProtection::viewerMode);
    if (std::exchange(requests.changeSettingsPassword, false))
        changePassword(accessProtection::settingsMode);
    if (std::exchange(requests.protectViewerClicked, false))
        askPassword(accessProtection::viewerMode, pasw1Dia::confirmGuard);
    if (std::exchange(requests.protectSettingsClicked, false))
        askPassword(accessProtection::settingsMode, pasw1Dia::confirmGuard);
}

// Switching a guard on or off both need that guard's password; without it the box goes back.
void auxDialogs::takeGuardAnswer(int mode, bool accepted)
{
    guardedSettings *dialog = host.settingsGuard();
    if (accepted) {
        bool &guard = mode == accessProtection::viewerMode ? protection.protectViewer : protection.protectSetting;
        const bool before = guard;
        guard = dialog->guardChecked(mode);
        if (!protection.save()) {
            guard = before;
            dialog->inform(QCoreApplication::translate("auxDialogs",
                                                       "Die Einstellung konnte nicht gespeichert werden: "
                                                       "die Datei %1 ist nicht beschreibbar.")
                               .arg(protection.storePath()));
        }
    }
    dialog->showGuards();
}

void auxDialogs::showSettingsDialog()
{
    host.settingsGuard()->bringUp();
}

paswSettings *auxDialogs::changePassword(int mode)
{
    if (!change)
        change = new paswSettings(protection, settings.FaVers, &parent);
    change->start(mode);
    return change;
}

// ---------------------------------------------------------------- language

void auxDialogs::setLanguageDialog(spracheDia *dialog)
{
    language = dialog;
    QObject::connect(language, &spracheDia::languageChosen, &parent,
                     [this](int value) { host.storeLanguage(value); });
}

void auxDialogs::showLanguageDialog()
{
    if (language)
        language->prepare();
}

bool auxDialogs::takeLanguageChange()
{
    return language && language->takeChanged();
}

void auxDialogs::applyStoredLanguage()
{
    if (language)
        language->apply(settings.language);
}

// ---------------------------------------------------------------- camera login

void auxDialogs::fillLoginPrompt(camData *camera)
{
    if (!login) {
        login = new paswDia(settings.FaVers, &parent);
        QObject::connect(login, &QDialog::accepted, login, [this] { loginReply = loginAnswer::accepted; });
        QObject::connect(login, &QDialog::rejected, login, [this] { loginReply = loginAnswer::rejected; });
    }
    // What the user is typing for a refused camera is not overwritten by another start.
    if (!loginFor)
        login->fill(camera->camModule);
}

bool auxDialogs::doorCallActive() const
{
    for (const camData *cam : cameras) {
        if (cam->popupRequest() || cam->showRequest() || cam->input1Copy() || cam->input2Copy()
            || cam->camModule.status.popupRequest || cam->sipModuleRec.status.popupRequest
            || cam->sipModuleRec.status.callForced)
            return true;
    }
    return false;
}

// Never in front of a door call, nor to whoever stands at a window the viewer password guards.
bool auxDialogs::questionsAllowed() const
{
    return host.windowShownToUser() && !doorCallActive();
}

void auxDialogs::serveLoginPrompt()
{
    if (loginFor) {
        takeLoginAnswer();
        return;
    }
    for (camData *cam : cameras) {
        if (cam->authRefusals >= 2 && !loginDeclined.contains(cam)) {
            askLogin(cam);
            return;
        }
    }
}

void auxDialogs::askLogin(camData *camera)
{
    if (!questionsAllowed())
        return;
    fillLoginPrompt(camera);
    loginFor = camera;
    loginReply = loginAnswer::none;
    login->show();
    login->raise();
}

void auxDialogs::takeLoginAnswer()
{
    camData *cam = loginFor;
    switch (loginReply) {
    case loginAnswer::accepted:
        loginFor = nullptr;
        cam->camModule.CAM_User = login->user();
        cam->camModule.CAM_Password = login->password();
        // A login in the URL is sent instead of the module's: it would be refused again, and the
        // answer just given never sent.
        cam->camModule.URL = cameraModule::withoutLogin(cam->camModule.URL);
        // A settings page open on this camera would otherwise store the refused login again.
        if (guardedSettings *dialog = host.settingsGuard())
            dialog->takeCredentials(cam);
        cam->authRefusals = 0;
        cam->abortStream();
        host.startCam(cam);
        break;
    case loginAnswer::rejected:
        loginFor = nullptr;
        loginDeclined.insert(cam);
        break;
    case loginAnswer::none:
        // Out of the way while it may not be asked, back afterwards.
        login->setVisible(questionsAllowed());
        return;
    }
    loginReply = loginAnswer::none;
}

// ---------------------------------------------------------------- certificate trust

void auxDialogs::serveTrustPrompt()
{
    if (trustFor) {
        takeTrustAnswer();
        return;
    }
    if (!questionsAllowed())
        return;
    for (camData *cam : cameras) {
        if (cam->certificateQuestion()) {
            askTrust(cam);
            return;
        }
    }
}

void auxDialogs::askTrust(camData *camera)
{
    if (!trust) {
        trust = new zertDia(settings.FaVers, &parent);
        QObject::connect(trust, &QDialog::accepted, trust, [this] { trustReply = loginAnswer::accepted; });
        QObject::connect(trust, &QDialog::rejected, trust, [this] { trustReply = loginAnswer::rejected; });
    }
    trust->fill(camera->camModule, camera->untrustedCertificate(), camera->untrustedCertificateErrors());
    trustFor = camera;
    trustReply = loginAnswer::none;
    trust->show();
    trust->raise();
}

void auxDialogs::takeTrustAnswer()
{
    camData *cam = trustFor;
    const loginAnswer answer = std::exchange(trustReply, loginAnswer::none);
    // Only the certificate the user saw may be trusted; another one is asked about afresh.
    if (cam->untrustedCertificate() != trust->certificate()) {
        trustFor = nullptr;
        trust->hide();
        return;
    }
    switch (answer) {
    case loginAnswer::accepted:
        trustFor = nullptr;
        cam->trustCertificate();
        host.settingsGuard()->takeCertificate(cam);
        host.saveConfiguration();
        cam->abortStream();
        host.startCam(cam);
        break;
    case loginAnswer::rejected:
        trustFor = nullptr;
        cam->declineCertificate();
        host.settingsGuard()->takeCertificate(cam);
        break;
    case loginAnswer::none:
        if (!cam->certificateQuestion()) {
            trustFor = nullptr;
            trust->hide();
            return;
        }
        trust->setVisible(questionsAllowed());
    }
}

// ---------------------------------------------------------------- statistics

void auxDialogs::serveStatisticsRequest()
{
    if (!requests.openStatistics)
        return;
    requests.openStatistics = false;
    if (!stats)
        stats = new service(&parent);
    if (!stats->isVisible())
        stats->prepare(cameras, QTime::currentTime());
    stats->show();
    stats->raise();
}

void auxDialogs::refreshStatistics(int msCounter, bool periodClosed)
{
    if (!stats || !stats->isVisible())
        return;
    if (periodClosed || (msCounter != 0 && msCounter % 1000 != 0))
        stats->refresh(cameras);
}

void auxDialogs::showDoorInfo(qint64 elapsedMs)
{
    if (!stats || !stats->isVisible())
        return;
    const int door = cameras.isEmpty() ? 0 : cameras.first()->camModule.CAM_tuer;
    stats->setInfo(service::infoLine(door, elapsedMs / 1000));
}

// ---------------------------------------------------------------- all of them

void auxDialogs::retranslate()
{
    if (prompt)
        prompt->retranslate();
    if (change)
        change->retranslate();
    if (login)
        login->retranslate();
    if (trust)
        trust->retranslate();
    if (stats)
        stats->retranslate();
    if (language)
        language->retranslate();
}

void auxDialogs::releaseCamera(camData *camera)
{
    loginDeclined.remove(camera);
    if (trustFor == camera) {
        trustFor = nullptr;
        trustReply = loginAnswer::none;
        trust->hide();
    }
    if (loginFor != camera)
        return;
    loginFor = nullptr;
    loginReply = loginAnswer::none;
    login->hide();
}
