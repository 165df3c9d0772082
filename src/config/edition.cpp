#include "edition.h"

#include <QCoreApplication>

// The resources are compiled into the static base library, where nothing refers to their
// registration function; without this call the linker would leave them out of the program.
static int registerCoreResources()
{
    Q_INIT_RESOURCE(resources);
    return 0;
}
static const int coreResourcesRegistered = registerCoreResources();

namespace {
const char *const context = "edition";
const QString iconFolder = QStringLiteral(":/iconMarvitons/images/");
} // namespace

edition edition::forVersion(int FaVers)
{
    switch (FaVers) {
    case 1:
        return {iconFolder + QStringLiteral("TORVA_Multiviewer_Icon_v2_SMALL.PNG"),
                QT_TRANSLATE_NOOP("edition", "TORVA HRS-410 MultiViewer V2.2.6"),
                {QT_TRANSLATE_NOOP("edition", "TORVA HRM-410"), QT_TRANSLATE_NOOP("edition", "AXIS IP Kamera")}};
    case 2:
        return {iconFolder + QStringLiteral("Quardello16.png"),
                QT_TRANSLATE_NOOP("edition", "QUARDELLO DX-CAM Viewer V2.2.6"),
                {QT_TRANSLATE_NOOP("edition", "DX-CAM"), QT_TRANSLATE_NOOP("edition", "AXIS M1113")}};
    default:
        return {iconFolder + QStringLiteral("Marviton.PNG"),
                QT_TRANSLATE_NOOP("edition", "Marviton.DX-CAM-Viewer V2.2.6"),
                {QT_TRANSLATE_NOOP("edition", "Marviton.DX-CAM"), QT_TRANSLATE_NOOP("edition", "AXIS M1113")}};
    }
}

QString edition::installedIconName(int FaVers)
{
    const QString appId = QStringLiteral(DXCAM_APP_ID);
    switch (FaVers) {
    case 1:
        return appId + QStringLiteral("-torva");
    case 2:
        return appId + QStringLiteral("-quardello");
    default:
        return appId;
    }
}

QString edition::translatedTitle() const
{
    return QCoreApplication::translate(context, title);
}

QStringList edition::translatedCameraTypes() const
{
    QStringList names;
    for (const char *type : cameraTypes)
        names.append(QCoreApplication::translate(context, type));
    return names;
}
