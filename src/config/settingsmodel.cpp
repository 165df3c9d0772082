#include "settingsmodel.h"

#include "inidata.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace settingsModel {

const QString windowSection = QStringLiteral("Window");
const QString systemSection = QStringLiteral("System");

namespace {

struct field {
    const char *key;
    iniData::target var;
};

// Loading and saving list [Window] in nearly the same order; only scaleMode and stopInHide
// trade places.
QList<field> windowFields(shellSettings &s, bool saveOrder)
{
    QList<field> fields{{"x", &s.x}, {"y", &s.y}, {"width", &s.width}, {"height", &s.height},
                        {"hx", &s.hx}, {"hy", &s.hy}, {"hwidth", &s.hwidth}, {"hheight", &s.hheight},
                        {"Auto_Popup", &s.Auto_Popup}, {"Toolbar", &s.Toolbar}, {"Timeout", &s.Timeout},
                        {"Autohide", &s.Autohide}, {"Flanke", &s.Flanke}, {"OwnPopWin", &s.OwnPopWin},
                        {"min_Alle", &s.min_Alle}, {"pop_Alle", &s.pop_Alle}, {"closeEn", &s.closeEn},
                        {"nPicCol", &s.nPicCol}, {"nPicRow", &s.nPicRow}, {"dispForm", &s.dispForm},
                        {"TextGroese", &s.TextGroese}, {"einzelBild", &s.einzelBild}};
    if (saveOrder)
        fields << field{"stopInHide", &s.stopInHide} << field{"scaleMode", &s.scaleMode};
    else
        fields << field{"scaleMode", &s.scaleMode} << field{"stopInHide", &s.stopInHide};
    fields << field{"BildRahmeEin", &s.BildRahmeEin};
    return fields;
}

QList<field> systemFields(shellSettings &s)
{
    return {{"RemoteCtrl", &s.RemoteCtrl}, {"ButtonText", &s.ButtonText}, {"ImageFolder", &s.ImageFolder},
            {"Autosave", &s.Autosave}, {"AlarmBildSaveEn", &s.AlarmBildSaveEn},
            {"BildAllSaveEn", &s.BildAllSaveEn}, {"SoundEn", &s.SoundEn}, {"Soundfile", &s.Soundfile},
            {"language", &s.language}, {"ownIP", &s.ownIP}, {"FaVers", &s.FaVers},
            {"SavePrintBtnEn", &s.SavePrintBtnEn}, {"HideStartEn", &s.HideStartEn}, {"trayEn", &s.trayEn},
            {"NotifyEn", &s.NotifyEn}, {"HistoryDays", &s.HistoryDays}, {"HistoryMB", &s.HistoryMB}};
}

// Save order of a module section. The password keys carry the stored (scrambled) texts.
QList<field> moduleFields(cameraModule &c, sipModule &p)
{
    return {{"camName", &c.camName}, {"IP", &c.IP}, {"URL", &c.URL}, {"CAM_User", &c.CAM_User},
            {"CAM_Password", &c.storedCamPassword}, {"Picture_User", &c.Picture_User},
            {"Picture_Password", &c.Picture_Password}, {"UDP_Status_CAM", &c.UDP_Status_CAM},
            {"UDP_Contrl_CAM", &c.UDP_Contrl_CAM}, {"Relais_timeCAM", &c.Relais_timeCAM},
            {"Relais_timeCAMI", &c.Relais_timeCAMI}, {"camTip", &c.camTip}, {"CAM_popup", &c.CAM_popup},
            {"CAM_light", &c.CAM_light}, {"CAM_tuer", &c.CAM_tuer}, {"prior", &c.prior},
            {"CAMautoSaveEn", &c.CAMautoSaveEn}, {"n_Bild_Freq", &c.n_Bild_Freq}, {"selFreqTip", &c.selFreqTip},
            {"CAMsaveBeweg", &c.CAMsaveBeweg}, {"stopTimeBeweg", &c.stopTimeBeweg},
            {"dirCamBild", &c.dirCamBild}, {"sipName", &p.sipName}, {"SIP_IP", &p.SIP_IP},
            {"SIP_User", &p.SIP_User}, {"SIP_Password", &p.storedSipPassword},
            {"UDP_Status_SIP", &p.UDP_Status_SIP}, {"UDP_Contrl_SIP", &p.UDP_Contrl_SIP},
            {"Relais_timeSIP", &p.Relais_timeSIP}, {"Relais_timeSIPI", &p.Relais_timeSIPI},
            {"SIP_popup", &p.SIP_popup}, {"SIP_light", &p.SIP_light}, {"SIP_tuer", &p.SIP_tuer},
            {"SIP_Callee", &p.SIP_Callee}, {"allRufNr", &p.allRufNr}, {"CAM_Fingerprint", &c.CAM_Fingerprint},
            {"URL_Sub", &c.URL_Sub}, {"CAM_RecSub", &c.CAM_RecSub}};
}

void bindFields(iniData &ini, const QString &section, const QList<field> &fields)
{
    for (const field &f : fields)
        std::visit([&](auto var) {
            if constexpr (!std::is_same_v<decltype(var), std::monostate>)
                ini.bindKey(var, section, QLatin1String(f.key));
        }, f.var);
}

// forcedTexts: key -> text written instead of the field's value.
void registerFields(iniData &ini, const QString &section, const QList<field> &fields,
                    const QHash<QString, QString> &forcedTexts = {})
{
    for (const field &f : fields) {
        const QString key = QLatin1String(f.key);
        const int type = ini.typeOfKey(key);
        ini.registerEntry(f.var, type, section, key, forcedTexts.value(key, iniData::formatValue(f.var, type)));
    }
}

} // namespace

void bindGlobals(iniData &ini, shellSettings &shell)
{
    bindFields(ini, windowSection, windowFields(shell, false));
    bindFields(ini, systemSection, systemFields(shell));
}

void registerGlobals(iniData &ini, shellSettings &shell)
{
    registerFields(ini, windowSection, windowFields(shell, true));
    registerFields(ini, systemSection, systemFields(shell));
}

void bindModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip)
{
    bindFields(ini, section, moduleFields(cam, sip));
}

QString missingModuleKey(const iniData &ini, const QString &section)
{
    for (const char *key : {"camName", "sipName", "SIP_IP"}) {
        if (ini.valueOf(section, QLatin1String(key)).isEmpty())
            return QLatin1String(key);
    }
    return QString();
}

void loadModules(iniData &ini, int moduleMax, const std::function<bool(const QString &)> &create)
{
    QString section;
    QString stoppedAt;
    QString laterReason;
    int loaded = 0;
    while (ini.nextModuleSection(section)) {
        if (loaded == moduleMax) {
            laterReason = QCoreApplication::translate("settingsModel", "mehr als %1 Module").arg(moduleMax);
            break;
        }
        if (!create(section)) {
            stoppedAt = section;
            laterReason = QCoreApplication::translate("settingsModel", "folgt auf den unvollständigen Abschnitt [%1]")
                              .arg(section);
            break;
        }
        ++loaded;
    }
    ini.keepUnloadedSections([&](const QString &name) {
        if (name != stoppedAt)
            return laterReason;
        const QString missing = missingModuleKey(ini, name);
        if (missing.isEmpty())
            return QCoreApplication::translate("settingsModel", "Modul nicht angelegt");
        return QCoreApplication::translate("settingsModel", "%1 fehlt").arg(missing);
    });
}

void sanitizeGeometry(shellSettings &shell)
{
    // Positions may be negative (a screen left of the primary one); sizes below 50 leave no picture.
    const auto sane = [](double &value, double low, double high, double fallback) {
        if (!std::isfinite(value) || value < low || value > high)
            value = fallback;
    };
    constexpr double farthest = 32000;
    for (double *position : {&shell.x, &shell.y, &shell.hx, &shell.hy})
        sane(*position, -farthest, farthest, 100);
    sane(shell.width, 50, farthest, 400);
    sane(shell.hwidth, 50, farthest, 400);
    sane(shell.height, 50, farthest, 300);
    sane(shell.hheight, 50, farthest, 300);
}

namespace {

// "10.0.0.010" as the user meant it: the network layer would read "010" as the octal 8, another
// host than the one the address text names for status matching. Anything else stays as it is.
QString decimalIPv4(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return text;
    QStringList decimal;
    for (const QString &part : parts) {
        const bool digits = !part.isEmpty() && part.size() <= 3
                            && std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!digits || part.toInt() > 255)
            return text;
        decimal.append(QString::number(part.toInt()));
    }
    return decimal.join(QLatin1Char('.'));
}

} // namespace

void finishModuleLoad(cameraModule &cam, sipModule &sip, bool fromDefaults)
{
    cam.IP = decimalIPv4(cam.IP);
    sip.SIP_IP = decimalIPv4(sip.SIP_IP);
    // The built-in default file carries its passwords in clear text.
    cam.CAM_Password = fromDefaults ? cam.storedCamPassword
                                    : iniData::scrambleText(cam.storedCamPassword, cam.IP, true);
    sip.SIP_Password = fromDefaults ? sip.storedSipPassword
                                    : iniData::scrambleText(sip.storedSipPassword, sip.SIP_IP, true);
}

void registerModule(iniData &ini, const QString &section, cameraModule &cam, sipModule &sip, int FaVers)
{
    cam.storedCamPassword = iniData::scrambleText(cam.CAM_Password, cam.IP, false);
    sip.storedSipPassword = iniData::scrambleText(sip.SIP_Password, sip.SIP_IP, false);
    // Only the edition whose dialog lets the user edit the camera ports saves them; every
    // other save writes the modules' fixed ports.
    QHash<QString, QString> forced{{QStringLiteral("UDP_Status_SIP"), QStringLiteral("8112")},
                                   {QStringLiteral("UDP_Contrl_SIP"), QStringLiteral("8113")}};
    if (FaVers != 2) {
        forced.insert(QStringLiteral("UDP_Status_CAM"), QStringLiteral("5000"));
        forced.insert(QStringLiteral("UDP_Contrl_CAM"), QStringLiteral("4005"));
    }
    // Only a camera whose certificate the user trusted has the fingerprint, and only one with a
    // small stream its keys: other files stay as they were.
    const QHash<QString, bool> unset{{QStringLiteral("CAM_Fingerprint"), cam.CAM_Fingerprint.isEmpty()},
                                     {QStringLiteral("URL_Sub"), cam.URL_Sub.isEmpty()},
                                     {QStringLiteral("CAM_RecSub"), !cam.CAM_RecSub}};
    QList<field> fields = moduleFields(cam, sip);
    fields.removeIf([&unset](const field &f) { return unset.value(QLatin1String(f.key)); });
    registerFields(ini, section, fields, forced);
}

QString sectionName(const cameraModule &cam)
{
    // A header longer than a read piece would not be found again, and its module would be lost.
    // The login stays in the module's keys, never in the header.
    const QString address = cameraModule::withoutLogin(cam.addressText());
    return (cam.camName + QLatin1Char('_') + address).left(iniData::longestSectionName);
}

QStringList rebuild(iniData &ini, shellSettings &shell, const QList<moduleRef> &modules)
{
    ini.clearEntries();
    registerGlobals(ini, shell);
    QStringList sections;
    for (const moduleRef &module : modules) {
        sections.append(module.cam ? sectionName(*module.cam) : QString());
        if (module.cam && module.sip)
            registerModule(ini, sections.last(), *module.cam, *module.sip, shell.FaVers);
    }
    return sections;
}

} // namespace settingsModel
