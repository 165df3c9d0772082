#include "settingsservice.h"

#include "cameraaddress.h"
#include "camdata.h"
#include "camhandel.h"
#include "einstdia.h"
#include "installation.h"
#include "settingshost.h"
#include "settingsmodel.h"
#include "tracecategory.h"

#include <utility>


namespace {

// A module record takes over the stored settings of another; what the camera worker derived
// from its addresses and what the status receivers found stays.
template <typename record>
void takeSettings(record &to, const record &from)
{
    const moduleStatus status = to.status;
    const QHostAddress host = to.hostAddress;
    const bool isIp = to.addressIsIp;
    to = from;
    to.status = status;
    to.hostAddress = host;
    to.addressIsIp = isIp;
}

struct standardModule {
    QString camName;
    QString camAddress;
    QString sipName;
    QString sipAddress;
};

standardModule standardModuleFor(int FaVers)
{
    if (FaVers == 1)
        return {QStringLiteral("HRM-410 Default"), QStringLiteral("192.168.0.200"), QStringLiteral("HSM-410 Default"),
                QStringLiteral("192.168.0.210")};
    return {QStringLiteral("Standard CAM"), QStringLiteral("192.168.1.180"), QStringLiteral("Standard SIP"),
            QStringLiteral("192.168.1.200")};
}

} // namespace

settingsService::settingsService(installation &state, settingsHost &host)
    : state(state)
    , host(host)
{
}

settingsService::outcome settingsService::serveModuleRequests()
{
    if (!dialog)
        return outcome::none;
    if (state.requests().newModule)
        return createStandardModule();
    outcome result = outcome::none;
    if (state.requests().applyPage) {
        result = applyPage();
        if (result == outcome::endRequests)
            return result;
    }
    if (state.requests().removeModule && removeModule())
        result = outcome::served;
    return result;
}

QString settingsService::standardModuleRefusal(const QString &name) const
{
    for (const camData *camera : std::as_const(state.cameras())) {
        if (camera->camModule.camName == name)
            return tr("Das Standard-Modul konnte nicht angelegt werden.\nEin Modul mit gleichem Namen existiert bereits.");
    }
    // More would run until the next start and then be left out of the file.
    if (state.cameras().size() >= installation::moduleMax)
        return tr("Es können höchstens %1 Module angelegt werden.").arg(installation::moduleMax);
    return QString();
}

settingsService::outcome settingsService::createStandardModule()
{
    state.requests().newModule = false;
    const standardModule standard = standardModuleFor(state.settings().FaVers);
    const QString refusal = standardModuleRefusal(standard.camName);
    if (!refusal.isEmpty()) {
        dialog->inform(refusal);
        return outcome::endRequests;
    }
    dialog->fillNewModule(standard.camName, standard.camAddress, standard.sipName, standard.sipAddress);
    cameraModule cam;
    cam.Picture_User = QStringLiteral("admin");
    cam.Picture_Password = QStringLiteral("4711");
    sipModule sip;
    const QString problem = dialog->storeModulePage(cam, sip);
    if (!problem.isEmpty()) {
        dialog->inform(problem);
        return outcome::endRequests;
    }
    // The camera is made as at start-up, from a section of the store; binding it moves every
    // entry of the section from the local records to the camera's own.
    const bool firstModule = state.cameras().isEmpty();
    const QString section = settingsModel::sectionName(cam);
    settingsModel::registerModule(state.ini(), section, cam, sip, state.settings().FaVers);
    if (!host.createCamera(section)) {
        state.ini().removeSection(section);
        return outcome::endRequests;
    }
    camData *created = state.cameras().last();
    takeSettings(created->camModule, cam);
    takeSettings(created->sipModuleRec, sip);
    if (firstModule)
        host.bindStatusPorts();
    dialog->adoptCamera(created);
    state.requests().applyButtonLabels = true;
    // Into the file with the next Apply (or the quit), as every other change: not with the
    // standard addresses the user has not replaced yet.
    rebuildOrderList();
    return outcome::endRequests;
}

settingsService::outcome settingsService::applyPage()
{
    state.requests().applyPage = false;
    camData *camera = dialog->pageCamera();
    if (camera) {
        const QString name = dialog->pageModuleName();
        for (const camData *other : std::as_const(state.cameras())) {
            if (other != camera && other->camModule.camName == name) {
                dialog->inform(tr("Das Modul konnte nicht umbenannt werden.\n"
                                  "Ein Modul mit gleichem Namen existiert bereits."));
                dialog->refill();
                return outcome::endRequests;
            }
        }
    }
    const QString problem = dialog->storePage();
    if (!problem.isEmpty()) {
        dialog->inform(problem);
        return outcome::endRequests;
    }
    const int einzelBild = state.settings().einzelBild ? 1 : 0;
    if (appliedEinzelBild >= 0 && einzelBild != appliedEinzelBild)
        qCDebug(dxcamTrace) << " ******** OK --- Change BildForm ******* ";
    appliedEinzelBild = einzelBild;
    // OK may have stored the page already; what counts is what the connection was made with.
    if (camera && camera->connectionOutdated())
        reconnect(camera);
    writeOrSay();
    state.requests().applyButtonLabels = true;
    state.requests().pictureLayout = true;
    rebuildOrderList();
    return outcome::served;
}

// New connection settings take effect on a new connection; a new name alone leaves a running
// stream, and the recording it feeds, be.
void settingsService::reconnect(camData *camera)
{
    if (camera->connectedUrl() != cameraAddress::streamUrlFor(camera->camModule))
        qCDebug(dxcamTrace).noquote() << " ipCam.zIP.setAddress ip/url=" + camera->camModule.shownAddress();
    camera->setAddresses(camera->camModule.addressText(), camera->sipModuleRec.addressText(), state.ownAddress());
    host.startCam(camera);
}

bool settingsService::removeModule()
{
    state.requests().removeModule = false;
    camData *camera = dialog->pageCamera();
    const int index = int(state.cameras().indexOf(camera));
    if (index < 0)
        return false;
    const QString section = camera->sectionName;
    state.deleteCamera(camera);
    writeOrSay(section);
    dialog->showCamera(state.currentCamera());
    rebuildOrderList();
    host.relayout();
    return true;
}

bool settingsService::rebuildAndWrite(const QString &removedSection)
{
    QStringList used{QStringLiteral("Window"), QStringLiteral("System")};
    for (camData *camera : std::as_const(state.cameras())) {
        camera->sectionName = settingsModel::sectionName(camera->camModule);
        used.append(camera->sectionName);
    }
    state.rebuildConfiguration();
    // However the store rebuilds, a removed module's section must not come back.
    if (!removedSection.isEmpty() && !used.contains(removedSection))
        state.ini().removeSection(removedSection);
    state.ini().setUsedSections(used);
    return state.ini().writeFile();
}

void settingsService::writeOrSay(const QString &removedSection)
{
    if (!rebuildAndWrite(removedSection))
        dialog->inform(tr("Die Einstellungen konnten nicht in die Datei\n\"%1\"\ngeschrieben werden.")
                                         .arg(state.ini().iniPath()));
}

// ---------------------------------------------------------------- the window's requests

void settingsService::serveWindowRequests()
{
    settingsRequests &requests = state.requests();
    if (std::exchange(requests.refreshWindowFlags, false)) {
        host.applyFrameRule();
    }
    if (std::exchange(requests.hideMainWindow, false)) {
        requests.showMainWindow = false;
        host.hideMainWindow();
    } else if (std::exchange(requests.showMainWindow, false)) {
        host.showMainWindow();
    }
}

bool settingsService::serveShellRequests()
{
    settingsRequests &requests = state.requests();
    bool active = false;
    if (std::exchange(requests.startCurrentCamera, false)) {
        qCDebug(dxcamTrace) << "**** START CAM ****";
        host.startCurrentCamera();
        active = true;
    }
    if (std::exchange(requests.stopCameras, false)) {
        qCDebug(dxcamTrace) << "**** STOP CAM ****";
        host.stopCameras();
        active = true;
    }
    if (std::exchange(requests.savePicture, false)) {
        host.saveCurrentPicture();
        active = true;
    }
    if (std::exchange(requests.toggleMaximised, false)) {
        host.toggleMaximised();
        active = true;
    }
    if (std::exchange(requests.traceChanged, false)) {
        state.setTraceSwitch(requests.traceChecked);
        active = true;
    }
    if (std::exchange(requests.toggleControlBox, false)) {
        host.toggleControlBox();
        active = true;
    }
    return serveDisplayRequests() || active;
}

bool settingsService::serveDisplayRequests()
{
    settingsRequests &requests = state.requests();
    bool active = false;
    if (std::exchange(requests.applyGeometry, false)) {
        host.applyStoredGeometry();
        active = true;
    }
    if (std::exchange(requests.toggleView, false)) {
        host.toggleView();
        active = true;
    }
    if (std::exchange(requests.pictureLayout, false)) {
        host.relayout();
        active = true;
    }
    if (std::exchange(requests.applyButtonLabels, false)) {
        if (panel)
            panel->setButtonLabels(state.settings().ButtonText);
    }
    if (std::exchange(requests.updatePanelButtons, false)) {
        if (panel)
            panel->setAvailability(state.settings().BildAllSaveEn || !state.settings().Autosave ? 1 : 0);
    }
    return active;
}

// ---------------------------------------------------------------- order list

void settingsService::rebuildOrderList()
{
    state.requests().rebuildOrderList = false;
    if (!dialog)
        return;
    QStringList camNames;
    QStringList sipNames;
    for (const camData *camera : std::as_const(state.cameras())) {
        camNames.append(camera->camModule.camName);
        sipNames.append(camera->sipModuleRec.sipName);
    }
    order.reset(int(camNames.size()));
    dialog->showOrder(camNames, sipNames);
    dialog->refreshCameraList();
}

void settingsService::serveOrderMove()
{
    settingsRequests &requests = state.requests();
    if (!dialog)
        return;
    const int count = int(state.cameras().size());
    int selected = -1;
    if (std::exchange(requests.moveUp, false)) {
        selected = order.moveUp(dialog->selectedOrderRow(), count);
    } else if (std::exchange(requests.moveDown, false)) {
        selected = order.moveDown(dialog->selectedOrderRow(), count);
    } else if (std::exchange(requests.sortByName, false)) {
        QStringList names;
        for (const camData *camera : std::as_const(state.cameras()))
            names.append(camera->camModule.camName);
        if (order.sortByName(names)) {
            dialog->showPositions(order.positions());
            dialog->selectOrderRow(-1);
        }
        return;
    }
    if (selected < 0)
        return;
    dialog->showPositions(order.positions());
    dialog->selectOrderRow(selected);
}

void settingsService::serveOrderList()
{
    if (!dialog)
        return;
    if (state.requests().applyOrder || order.changed()) {
        state.requests().applyOrder = false;
        // The selection stays on the row the moved module went to.
        const int selected = dialog->selectedOrderRow();
        applyOrder();
        rebuildOrderList();
        dialog->selectOrderRow(selected);
    }
    if (state.requests().rebuildOrderList)
        rebuildOrderList();
}

void settingsService::applyOrder()
{
    const QList<int> newOrder = order.newOrder(int(state.cameras().size()));
    if (order.isIdentity() || newOrder.isEmpty())
        return;
    QList<camData *> ordered;
    for (int old : newOrder)
        ordered.append(state.cameras().at(old));
    state.reorder(ordered);
    host.relayout();
}
