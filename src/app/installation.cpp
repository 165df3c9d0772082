#include "installation.h"

#include "camdata.h"
#include "settingsmodel.h"

void installation::readConfiguration(const QString &configFile)
{
    if (configFile.isEmpty())
        store.resolvePaths();
    else
        store.useIniPath(configFile);
    QStringList lines;
    store.loadLines(lines);
    store.parseLines(lines);
    settingsModel::bindGlobals(store, values);
    store.applyValues();
    settingsModel::sanitizeGeometry(values);
    store.setUsedSections({QStringLiteral("Window"), QStringLiteral("System")});
}

bool installation::loadModule(camData *camera, const QString &section)
{
    camera->camModule.camName = store.valueOf(section, QStringLiteral("camName"));
    camera->camModule.IP = store.valueOf(section, QStringLiteral("IP"));
    camera->camModule.URL = store.valueOf(section, QStringLiteral("URL"));
    camera->sipModuleRec.sipName = store.valueOf(section, QStringLiteral("sipName"));
    camera->sipModuleRec.SIP_IP = store.valueOf(section, QStringLiteral("SIP_IP"));
    if (!settingsModel::missingModuleKey(store, section).isEmpty())
        return false;
    settingsModel::bindModule(store, section, camera->camModule, camera->sipModuleRec);
    store.addUsedSection(section);
    camera->sectionName = section;
    return true;
}

void installation::rebuildConfiguration()
{
    QList<settingsModel::moduleRef> modules;
    for (camData *cam : std::as_const(list))
        modules.append({&cam->camModule, &cam->sipModuleRec});
    const QStringList sections = settingsModel::rebuild(store, values, modules);
    for (int i = 0; i < list.size(); ++i)
        list[i]->sectionName = sections.at(i);
}

bool installation::makeCurrent(int index)
{
    if (index < 0 || index >= list.size())
        return false;
    currentAt = index;
    current = list[index];
    return true;
}

void installation::addCamera(std::unique_ptr<camData> camera)
{
    camera->setParent(this);
    list.append(camera.release());
    makeCurrent(int(list.size()) - 1);
}

void installation::releaseCamera(camData *camera)
{
    // Its recording is closed before anything else lets go.
    camera->closeRecording();
    emit cameraAboutToBeRemoved(camera);
    if (camera != current)
        return;
    current = nullptr;
    currentAt = -1;
}

int installation::deleteCamera(camData *camera)
{
    const int index = int(list.indexOf(camera));
    if (index < 0)
        return -1;
    releaseCamera(camera);
    list.removeAt(index);
    if (current)
        currentAt = int(list.indexOf(current));
    else
        makeCurrent(std::min(index, int(list.size()) - 1));
    delete camera;
    return index;
}

void installation::deleteCameras()
{
    while (!list.isEmpty())
        deleteCamera(list.last());
}

void installation::reorder(const QList<camData *> &order)
{
    list = order;
    currentAt = int(list.indexOf(current));
}

int installation::tileAt(const QPointF &scenePos) const
{
    for (int i = 0; i < list.size(); ++i) {
        if (list[i]->tileRect().contains(scenePos))
            return i;
    }
    return -1;
}
