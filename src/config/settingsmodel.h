#pragma once

#include "cameramodule.h"
#include "shellsettings.h"
#include "sipmodule.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class iniData;

// Ties the global settings and the module records to the entries of the configuration store:
// binding for loading, registration in save order for a full rebuild.
namespace settingsModel {

// One module of the camera list as the full rebuild needs it.
struct moduleRef {
    cameraModule *cam = nullptr;
    sipModule *sip = nullptr;
};

// More modules would run until the next start and then be left out of the file.
constexpr int moduleMax = 20;

extern const QString windowSection;
extern const QString systemSection;

// Loading: bind, then iniData::applyValues() fills the fields.
void bindGlobals(iniData &ini, shellSettings &shell);
void bindModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip);

// The first of camName, sipName and SIP_IP that the section leaves empty, or "" when none.
QString missingModuleKey(const iniData &ini, const QString &section);

// Start-up's module loading: module sections in file order, each made a module by `create`,
// until one cannot be (a key missing), or moduleMax are loaded. The store keeps the sections
// not loaded, with their lines as read, and says which and why (iniData::keepUnloadedSections).
void loadModules(iniData &ini, int moduleMax, const std::function<bool(const QString &section)> &create);

// Window geometry read from the file that is no finite number in a sane range is replaced by
// its default before use: x, y, hx, hy 100; width, hwidth 400; height, hheight 300.
void sanitizeGeometry(shellSettings &shell);
// After the last applyValues: derives the clear passwords from the stored ones, and writes
// addresses of four decimal parts without leading zeros. The built-in default lines
// (iniData::usedDefaults()) hold clear text and are taken as they are.
void finishModuleLoad(cameraModule &cam, sipModule &sip, bool fromDefaults);

// Saving: registers already-bound entries in save order, values formatted from the fields,
// passwords scrambled, the fixed module ports unless edition 2 lets the user edit them.
void registerGlobals(iniData &ini, shellSettings &shell);
void registerModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip, int FaVers);
// Full rebuild before iniData::writeFile(): globals, then the modules in list order, each in
// the section sectionName() names. Returns those section names, in module order.
QStringList rebuild(iniData &ini, shellSettings &shell, const QList<moduleRef> &modules);

// Module name, underscore, URL or else IP address, cut to what a header line can hold.
QString sectionName(const cameraModule &cam);

} // namespace settingsModel
