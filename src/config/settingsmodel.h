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

// Loading: bind, then iniData::applyValues() fills the fields.
void bindGlobals(iniData &ini, shellSettings &shell);
void bindModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip);
// After the last applyValues: derives the clear passwords from the stored ones. The built-in
// default lines (iniData::usedDefaults()) hold clear text and are taken as they are.
void finishModuleLoad(cameraModule &cam, sipModule &sip, bool fromDefaults);

// Saving: registers already-bound entries in save order, values formatted from the fields,
// passwords scrambled, the fixed module ports unless edition 2 lets the user edit them.
void registerGlobals(iniData &ini, shellSettings &shell);
void registerModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip, int FaVers);
// Full rebuild before iniData::writeFile(): globals, then the modules in list order.
void rebuild(iniData &ini, shellSettings &shell, const QList<moduleRef> &modules);

// Module name, underscore, URL or else IP address.
QString sectionName(const cameraModule &cam);

} // namespace settingsModel
