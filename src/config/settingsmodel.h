#pragma once

#include "cameramodule.h"
#include "shellsettings.h"
#include "sipmodule.h"

#include <QList>
#include <QString>

class iniData;

// Ties the global settings and the module records to the entries of the configuration store:
// binding for loading, registration in save order for a full rebuild.
namespace settingsModel {

// One module of the camera list as the full rebuild needs it.
struct moduleRef {
    QString section;  // empty: derived with sectionName()
    cameraModule *cam = nullptr;
    sipModule *sip = nullptr;
};

extern const QString windowSection;
extern const QString systemSection;

void bindGlobals(iniData &ini, shellSettings &shell);
void registerGlobals(iniData &ini, shellSettings &shell);

void bindModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip);
void finishModuleLoad(cameraModule &cam, sipModule &sip, bool fromDefaults);
void registerModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip, int FaVers);

QString sectionName(const cameraModule &cam);

void rebuild(iniData &ini, shellSettings &shell, const QList<moduleRef> &modules);

} // namespace settingsModel
