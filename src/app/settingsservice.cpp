#include "settingsservice.h"

#include "camdata.h"
#include "camhandel.h"
#include "einstdia.h"
#include "gridlayout.h"
#include "owncam.h"
#include "settingsmodel.h"
#include "statusreceiver.h"
#include "tracecategory.h"
#include "ui_owncam.h"

#include <QMutexLocker>

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

constexpr int minimumWindowSide = 50;

} // namespace

settingsService::settingsService(ownCam &owner)
    : owner(owner)
{
}

settingsService::outcome settingsService::serveModuleRequests()
{
    if (!owner.settingsDialog)
        return outcome::none;
    if (owner.requests.newModule)
        return createStandardModule();
    outcome result = outcome::none;
    if (owner.requests.applyPage) {
        result = applyPage();
        if (result == outcome::endRequests)
            return result;
    }
    if (owner.requests.removeModule && removeModule())
        result = outcome::served;
    return result;
}

QString settingsService::standardModuleRefusal(const QString &name) const
{
    for (const camData *camera : std::as_const(owner.cameras)) {
        if (camera->camModule.camName == name)
            return tr("Das Standard-Modul konnte nicht angelegt werden.\nEin Modul mit gleichem Namen existiert bereits.");
    }
    // More would run until the next start and then be left out of the file.
    if (owner.cameras.size() >= ownCam::moduleMax)
        return tr("Es können höchstens %1 Module angelegt werden.").arg(ownCam::moduleMax);
    return QString();
}

settingsService::outcome settingsService::createStandardModule()
{
    owner.requests.newModule = false;
    EinstDia *dialog = owner.settingsDialog;
    const standardModule standard = standardModuleFor(owner.settings.FaVers);
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
    const bool firstModule = owner.cameras.isEmpty();
    const QString section = settingsModel::sectionName(cam);
    settingsModel::registerModule(owner.ini, section, cam, sip, owner.settings.FaVers);
    if (!owner.createCamera(section)) {
        owner.ini.removeSection(section);
        return outcome::endRequests;
    }
    camData *created = owner.cameras.last();
    takeSettings(created->camModule, cam);
    takeSettings(created->sipModuleRec, sip);
    if (firstModule)
        bindStatusPorts();
    dialog->adoptCamera(created);
    owner.requests.applyButtonLabels = true;
    owner.requests.applyPage = true;
    rebuildOrderList();
    return outcome::endRequests;
}

settingsService::outcome settingsService::applyPage()
{
    owner.requests.applyPage = false;
    EinstDia *dialog = owner.settingsDialog;
    camData *camera = dialog->pageCamera();
    if (camera) {
        const QString name = dialog->pageModuleName();
        for (const camData *other : std::as_const(owner.cameras)) {
            if (other != camera && other->camModule.camName == name) {
                dialog->inform(tr("Das Modul konnte nicht umbenannt werden.\n"
                                  "Ein Modul mit gleichem Namen existiert bereits."));
                dialog->refill();
                return outcome::endRequests;
            }
        }
    }
    const QStringList before = camera ? camera->settingsList() : QStringList();
    const QString problem = dialog->storePage();
    if (!problem.isEmpty()) {
        dialog->inform(problem);
        return outcome::endRequests;
    }
    const int einzelBild = owner.settings.einzelBild ? 1 : 0;
    if (appliedEinzelBild >= 0 && einzelBild != appliedEinzelBild)
        qCDebug(dxcamTrace) << " ******** OK --- Change BildForm ******* ";
    appliedEinzelBild = einzelBild;
    if (camera) {
        const QStringList after = camera->settingsList();
        if (after != before)
            reconnect(camera, after.value(0) != before.value(0));
    }
    writeOrSay();
    owner.requests.applyButtonLabels = true;
    owner.requests.pictureLayout = true;
    rebuildOrderList();
    return outcome::served;
}

// The status sockets listen on the first module's ports. Without a module at the start they
// listen nowhere useful; the first module added must not wait for a restart to be heard.
void settingsService::bindStatusPorts()
{
    using kind = statusReceiver::moduleKind;
    owner.camStatusPort = statusReceiver::firstStatusPort(owner.cameras, kind::cameraIo);
    owner.camStatus->bind(owner.camStatusPort);
    owner.sipStatusPort = statusReceiver::firstStatusPort(owner.cameras, kind::intercom);
    owner.sipStatus->bind(owner.sipStatusPort);
}

// New connection settings take effect on a new connection; the intercom address follows too.
void settingsService::reconnect(camData *camera, bool addressChanged)
{
    if (addressChanged)
        qCDebug(dxcamTrace).noquote() << " ipCam.zIP.setAddress ip/url=" + camera->camModule.addressText();
    camera->setAddresses(camera->camModule.addressText(), camera->sipModuleRec.addressText(), &owner.ownAddress);
    owner.Start_CAM(camera);
}

bool settingsService::removeModule()
{
    owner.requests.removeModule = false;
    EinstDia *dialog = owner.settingsDialog;
    camData *camera = dialog->pageCamera();
    const int index = int(owner.cameras.indexOf(camera));
    if (index < 0)
        return false;
    const QString section = camera->sectionName;
    owner.releaseCamera(camera);
    {
        QMutexLocker lock(&owner.cameraListLock);
        owner.cameras.removeAt(index);
        if (owner.currentCam)
            owner.currentIndex = int(owner.cameras.indexOf(owner.currentCam));
        else
            owner.makeCurrent(std::min(index, int(owner.cameras.size()) - 1));
    }
    delete camera;
    writeOrSay(section);
    dialog->showCamera(owner.currentCam);
    rebuildOrderList();
    owner.relayout();
    return true;
}

bool settingsService::rebuildAndWrite(const QString &removedSection)
{
    QStringList used{QStringLiteral("Window"), QStringLiteral("System")};
    for (camData *camera : std::as_const(owner.cameras)) {
        camera->sectionName = settingsModel::sectionName(camera->camModule);
        used.append(camera->sectionName);
    }
    owner.rebuildConfiguration();
    // However the store rebuilds, a removed module's section must not come back.
    if (!removedSection.isEmpty() && !used.contains(removedSection))
        owner.ini.removeSection(removedSection);
    owner.ini.setUsedSections(used);
    return owner.ini.writeFile();
}

void settingsService::writeOrSay(const QString &removedSection)
{
    if (!rebuildAndWrite(removedSection))
        owner.settingsDialog->inform(tr("Die Einstellungen konnten nicht in die Datei\n\"%1\"\ngeschrieben werden.")
                                         .arg(owner.ini.iniPath()));
}

// ---------------------------------------------------------------- display requests

bool settingsService::serveDisplayRequests()
{
    settingsRequests &requests = owner.requests;
    bool active = false;
    if (requests.applyGeometry) {
        requests.applyGeometry = false;
        applyGeometry();
        active = true;
    }
    if (requests.toggleView) {
        requests.toggleView = false;
        owner.toggleView();
        active = true;
    }
    if (requests.pictureLayout) {
        requests.pictureLayout = false;
        owner.relayout();
        active = true;
    }
    camHandel *panel = owner.panel();
    if (requests.applyButtonLabels) {
        requests.applyButtonLabels = false;
        if (panel)
            panel->setButtonLabels(owner.settings.ButtonText);
    }
    if (requests.updatePanelButtons) {
        requests.updatePanelButtons = false;
        if (panel)
            panel->setAvailability(owner.settings.BildAllSaveEn || !owner.settings.Autosave ? 1 : 0);
    }
    return active;
}

// The stored geometry is the picture area; the window is that plus its margins. A window too
// small to be found again is not made.
void settingsService::applyGeometry()
{
    const shellSettings &s = owner.settings;
    if (s.width < minimumWindowSide || s.height < minimumWindowSide || owner.isMaximized())
        return;
    const QSizeF margins = gridLayout::frameMargins(owner.windowFrameShown, !owner.ui->steuGB->isHidden());
    owner.setGeometry(int(s.x), int(s.y), int(s.width + margins.width()), int(s.height + margins.height()));
}

// ---------------------------------------------------------------- order list

void settingsService::rebuildOrderList()
{
    owner.requests.rebuildOrderList = false;
    EinstDia *dialog = owner.settingsDialog;
    if (!dialog)
        return;
    QStringList camNames;
    QStringList sipNames;
    for (const camData *camera : std::as_const(owner.cameras)) {
        camNames.append(camera->camModule.camName);
        sipNames.append(camera->sipModuleRec.sipName);
    }
    order.reset(int(camNames.size()));
    dialog->showOrder(camNames, sipNames);
    dialog->refreshCameraList();
}

void settingsService::serveOrderMove()
{
    EinstDia *dialog = owner.settingsDialog;
    settingsRequests &requests = owner.requests;
    if (!dialog)
        return;
    const int count = int(owner.cameras.size());
    int selected = -1;
    if (requests.moveUp) {
        requests.moveUp = false;
        selected = order.moveUp(dialog->selectedOrderRow(), count);
    } else if (requests.moveDown) {
        requests.moveDown = false;
        selected = order.moveDown(dialog->selectedOrderRow(), count);
    } else if (requests.sortByName) {
        requests.sortByName = false;
        QStringList names;
        for (const camData *camera : std::as_const(owner.cameras))
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
    EinstDia *dialog = owner.settingsDialog;
    if (!dialog)
        return;
    if (owner.requests.applyOrder || order.changed()) {
        owner.requests.applyOrder = false;
        // The selection stays on the row the moved module went to.
        const int selected = dialog->selectedOrderRow();
        applyOrder();
        rebuildOrderList();
        dialog->selectOrderRow(selected);
    }
    if (owner.requests.rebuildOrderList)
        rebuildOrderList();
}

void settingsService::applyOrder()
{
    const QList<int> newOrder = order.newOrder(int(owner.cameras.size()));
    if (order.isIdentity() || newOrder.isEmpty())
        return;
    QList<camData *> ordered;
    for (int old : newOrder)
        ordered.append(owner.cameras.at(old));
    {
        QMutexLocker lock(&owner.cameraListLock);
        owner.cameras = ordered;
        owner.currentIndex = int(owner.cameras.indexOf(owner.currentCam));
    }
    owner.relayout();
}
