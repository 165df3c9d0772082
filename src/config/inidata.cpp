#include "inidata.h"
#include "installlayout.h"
#include "tracecategory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString moduleSection = QStringLiteral("***");
const QString scrambleKey = QStringLiteral("VelmorakSyntheline");
constexpr int maxEmptyReads = 5;

QString withoutLineBreaks(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

// A value too long for one read piece would come back cut, its remainder read as a line of its
// own that may pass for another key: it is cut here, where it is written.
QString valueLine(const iniData::entry &item)
{
    const QString line = withoutLineBreaks(item.key) + QLatin1Char('=') + withoutLineBreaks(item.value);
    return line.left(iniData::readPieceBytes);
}

int positiveModulo(int value, int divisor)
{
    return ((value % divisor) + divisor) % divisor;
}

// ~/.config/dxcamviewer/ (or below XDG_CONFIG_HOME), whatever organisation name the
// application object may carry.
QString userConfigFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        return QString();
    const QString folder = base + QStringLiteral("/dxcamviewer/");
    return QDir().mkpath(folder) ? folder : QString();
}

bool folderWritable(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace

iniData::iniData(QObject *parent)
    : QObject(parent)
{
    const auto add = [this](int type, const QString &section, const QStringList &keys) {
        for (const QString &key : keys)
            schema.append({type, section, key});
    };
    const QString window = QStringLiteral("Window");
    const QString system = QStringLiteral("System");
    add(typeReal, window, {"x", "y", "width", "height", "hx", "hy", "hwidth", "hheight"});
    add(typeBool, window, {"Auto_Popup", "Toolbar"});
    add(typeInt, window, {"Timeout"});
    add(typeBool, window, {"Autohide", "Flanke", "OwnPopWin", "PopupAlle", "min_Alle", "pop_Alle", "closeEn"});
    add(typeInt, window, {"nPicCol", "nPicRow", "dispForm", "TextGroese", "scaleMode"});
    add(typeBool, window, {"einzelBild", "stopInHide", "BildRahmeEin"});
    add(typeBool, system, {"RemoteCtrl"});
    add(typeText, system, {"ButtonText", "ImageFolder"});
    add(typeBool, system, {"Autosave", "SoundEn"});
    add(typeText, system, {"Soundfile"});
    add(typeBool, system, {"AlarmBildSaveEn", "BildAllSaveEn"});
    add(typeInt, system, {"language"});
    add(typeText, system, {"ownIP"});
    add(typeInt, system, {"FaVers", "SavePrintBtnEn"});
    add(typeBool, system, {"HideStartEn", "trayEn", "NotifyEn"});
    add(typeInt, system, {"HistoryDays", "HistoryMB"});
    add(typeText, moduleSection, {"camName", "IP", "URL", "CAM_User", "CAM_Password", "Picture_User", "Picture_Password"});
    add(typeInt, moduleSection, {"UDP_Status_CAM", "UDP_Contrl_CAM", "Relais_timeCAM", "Relais_timeCAMI", "camTip",
                                 "CAM_popup", "CAM_tuer", "CAM_light", "prior"});
    add(typeBool, moduleSection, {"CAMautoSaveEn"});
    add(typeInt, moduleSection, {"n_Bild_Freq", "selFreqTip"});
    add(typeBool, moduleSection, {"CAMsaveBeweg"});
    add(typeInt, moduleSection, {"stopTimeBeweg"});
    add(typeText, moduleSection, {"dirCamBild", "sipName", "SIP_IP", "SIP_User", "SIP_Password"});
    add(typeInt, moduleSection, {"UDP_Status_SIP", "UDP_Contrl_SIP", "Relais_timeSIP", "Relais_timeSIPI", "SIP_popup",
                                 "SIP_tuer", "SIP_light"});
    add(typeText, moduleSection, {"SIP_Callee"});
    add(typeBool, moduleSection, {"allRufNr"});
    add(typeText, moduleSection, {"CAM_Fingerprint", "URL_Sub"});
    add(typeBool, moduleSection, {"CAM_RecSub"});
}

void iniData::resolvePaths()
{
    resolvePaths(QCoreApplication::applicationFilePath());
}

void iniData::resolvePaths(const QString &programPath)
{
    const QString path = QDir::fromNativeSeparators(programPath);
    if (path.indexOf(QLatin1Char('/'), 1) < 0) {
        setPaths(QString(), QString(), QString());
        return;
    }
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    QString dir = path.left(slash + 1);
    const QString name = path.mid(slash + 1).left(255).remove(QStringLiteral(".exe"));
    if (installLayout::isInstalled(path)) {
        // Nothing is ever written beside an installed program, not even by root: without a
        // per-user folder the defaults are used and saving has no effect.
        dir = userConfigFolder();
        if (dir.isEmpty()) {
            setPaths(QString(), QString(), QString());
            return;
        }
    } else if (!QFileInfo::exists(dir + name + QStringLiteral(".ini")) && !folderWritable(dir)) {
        // Not installed, but in a folder the user cannot write to: keep the settings in the
        // per-user folder instead of losing them at every save.
        const QString userFolder = userConfigFolder();
        if (!userFolder.isEmpty())
            dir = userFolder;
    }
    setPaths(dir, name, dir + name + QStringLiteral(".ini"));
}

void iniData::useIniPath(const QString &iniPath)
{
    const QFileInfo info(iniPath);
    setPaths(info.absolutePath() + QLatin1Char('/'), info.completeBaseName(), info.absoluteFilePath());
}

void iniData::setPaths(const QString &dir, const QString &baseName, const QString &ini)
{
    dirPath = dir;
    base = baseName;
    iniFile.setFileName(ini);
    logFilePath = dir.isEmpty() ? QString() : dir + baseName + QStringLiteral(".log");
    qCDebug(dxcamTrace).noquote() << "#####" << QStringLiteral("\"%1\"").arg(ini);
}

void iniData::loadLines(QStringList &lines, int edition)
{
    defaultsUsed = false;
    lines.clear();
    const bool exists = !iniFile.fileName().isEmpty() && iniFile.exists();
    if (!exists || !iniFile.open(QIODevice::ReadOnly)) {
        lines = buildDefaultLines(edition);
        defaultsUsed = true;
        if (exists && unreadablePath != iniFile.fileName()) {
            unreadablePath = iniFile.fileName();
            warn(tr("Die Einstellungsdatei \"%1\" kann nicht gelesen werden (%2); es gilt das Standardmodul, "
                    "und die Datei wird nicht überschrieben.")
                     .arg(QDir::toNativeSeparators(unreadablePath), iniFile.errorString()));
        }
        return;
    }
    // A device that keeps returning nothing must not hold up start-up.
    int emptyReads = 0;
    bool lineOpen = false;  // the last piece was cut at the limit, not at a line end
    while (!iniFile.atEnd() && emptyReads < maxEmptyReads) {
        // The limit given to readLine includes room for a terminating zero.
        const QByteArray piece = iniFile.readLine(readPieceBytes + 1);
        if (piece.isEmpty()) {
            ++emptyReads;
            continue;
        }
        emptyReads = 0;
        // A line of exactly the limit leaves only its line end for the next read: that is no
        // line of its own (kept sections would gain a blank line at every save).
        const bool onlyLineEnd = piece == "\n" || piece == "\r\n";
        if (!(lineOpen && onlyLineEnd))
            lines.append(QString::fromLatin1(piece));
        lineOpen = !piece.endsWith('\n');
    }
    iniFile.close();
}

QStringList iniData::buildDefaultLines(int edition) const
{
    const QString camName = edition == 1 ? QStringLiteral("HRM-410 Default") : QStringLiteral("DX-CAM Default");
    QStringList lines{QString(), "[Window]",
                      "x=30", "y=30", "width=640", "height=480", "hx=100", "hy=100", "hwidth=640", "hheight=480",
                      "Auto_Popup=1", "Toolbar=1", "Timeout=5", "Autohide=0", "Flanke=0", "OwnPopWin=0",
                      "PopupAlle=0", "closeEn=0",
                      "nPicCol=1", "nPicRow=1", "dispForm=0", "TextGroese=1", "scaleMode=0", "einzelBild=0",
                      "stopInHide=1", "BildRahmeEin=1",
                      QString(), "[System]",
                      "RemoteCtrl=0", QStringLiteral("ButtonText=") + tr("Tür öffnen,Beleuchtung ein"),
                      "ImageFolder=", "Autosave=0", "SoundEn=0", "Soundfile=", "AlarmBildSaveEn=0",
                      "BildAllSaveEn=0", "language=-1", "ownIP=192.168.0.177", "SavePrintBtnEn=0",
                      QString::asprintf("FaVers=%d", edition), "HideStartEn=1", "trayEn=1",
                      QString()};
    lines << QStringLiteral("[%1_192.168.0.180]").arg(camName) << QStringLiteral("camName=") + camName;
    lines << QStringList{"camTip=0", "IP=192.168.0.180", "URL=", "CAM_User=admin", "CAM_Password=4711",
                         "Picture_User=admin", "Picture_Password=4711", "UDP_Status_CAM=5000",
                         "UDP_Contrl_CAM=4005", "Relais_timeCAM=2", "Relais_timeCAMI=20", "CAM_popup=0",
                         "CAM_tuer=0", "CAM_light=0", "CAMautoSaveEn=0", "n_Bild_Freq=15", "selFreqTip=0",
                         "CAMsaveBeweg=0", "stopTimeBeweg=0", "dirCamBild=",
                         "sipName=SIP  Default", "SIP_IP=192.168.1.200", "SIP_User=admin", "SIP_Password=4711",
                         "UDP_Status_SIP=8112", "UDP_Contrl_SIP=8113", "Relais_timeSIP=3", "Relais_timeSIPI=20",
                         "SIP_popup=7", "SIP_tuer=0", "SIP_light=0", "SIP_Callee=100,200", "allRufNr=1",
                         QString()};
    return lines;
}

void iniData::parseLines(QStringList lines)
{
    // CR goes as well as LF so that a file saved with DOS line ends still loads.
    for (QString &line : lines)
        line = withoutLineBreaks(line);
    linesRead = lines;
    const QStringList names = sectionNames(lines);
    QStringList parsed;
    for (const QString &name : names) {
        // A repeated section name would only find the first block again.
        if (parsed.contains(name))
            continue;
        parsed.append(name);
        parseSectionBlock(sectionBlock(lines, name), name);
    }
}

QStringList iniData::sectionNames(const QStringList &lines)
{
    QStringList names;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('[')))
            names.append(line.mid(1, line.size() - 2));
    }
    return names;
}

QStringList iniData::sectionBlock(const QStringList &lines, const QString &name)
{
    // A module name may hold brackets ("Tor [Ost]"), which the bracket-free comparison would
    // never find again: the module would vanish at the next start and take every later module
    // with it. Its exact header line is therefore looked for first.
    const QString header = QLatin1Char('[') + name + QLatin1Char(']');
    const bool exactHeader = lines.contains(header);
    QStringList block;
    bool inside = false;
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        if (!inside) {
            QString bare = line;
            bare.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
            inside = exactHeader ? line == header : bare == name;
            continue;
        }
        if (line.startsWith(QLatin1Char('[')))
            break;
        if (line.indexOf(QLatin1Char('=')) > 0)
            block.append(line);
    }
    return block;
}

void iniData::parseSectionBlock(const QStringList &block, const QString &section)
{
    for (const QString &line : block) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals);
        const int type = typeOfKey(key);
        if (type == typeUnknown)
            continue;
        entryList.append({target(), type, section, key, line.mid(equals + 1)});
    }
}

int iniData::typeOfKey(const QString &key) const
{
    for (const schemaKey &known : schema) {
        if (known.key == key)
            return known.type;
    }
    return typeUnknown;
}

bool iniData::bindKey(bool *var, const QString &section, const QString &key)
{
    return bindTarget(var, section, key);
}

bool iniData::bindKey(int *var, const QString &section, const QString &key)
{
    return bindTarget(var, section, key);
}

bool iniData::bindKey(double *var, const QString &section, const QString &key)
{
    return bindTarget(var, section, key);
}

bool iniData::bindKey(QString *var, const QString &section, const QString &key)
{
    return bindTarget(var, section, key);
}

bool iniData::bindTarget(const target &var, const QString &section, const QString &key)
{
    for (entry &item : entryList) {
        if (withoutLineBreaks(item.section) == section && withoutLineBreaks(item.key) == key) {
            item.var = var;
            return true;
        }
    }
    return false;
}

void iniData::applyValues()
{
    for (entry &item : entryList) {
        bool ok = false;
        switch (item.type) {
        case typeBool:
            if (auto var = std::get_if<bool *>(&item.var)) {
                **var = item.value == QLatin1String("1");
                if (!**var)
                    item.value = QStringLiteral("0");
            }
            break;
        case typeInt:
            if (auto var = std::get_if<int *>(&item.var)) {
                const int number = item.value.toInt(&ok);
                if (ok)
                    **var = number;
            }
            break;
        case typeReal:
            if (auto var = std::get_if<double *>(&item.var)) {
                const double number = item.value.toDouble(&ok);
                if (ok)
                    **var = number;
            }
            break;
        case typeText:
            if (auto var = std::get_if<QString *>(&item.var))
                **var = item.value;
            break;
        default:
            break;
        }
    }
}

void iniData::refreshValues()
{
    for (entry &item : entryList) {
        if (!std::holds_alternative<std::monostate>(item.var))
            item.value = formatValue(item.var, item.type);
    }
}

QString iniData::formatValue(const target &var, int type)
{
    if (type == typeBool) {
        if (auto value = std::get_if<bool *>(&var))
            return **value ? QStringLiteral("1") : QStringLiteral("0");
    }
    if (type == typeInt) {
        if (auto value = std::get_if<int *>(&var))
            return QString::number(**value);
    }
    if (type == typeReal) {
        if (auto value = std::get_if<double *>(&var))
            return QString::number(**value, 'f', 1);
    }
    if (type == typeText) {
        if (auto value = std::get_if<QString *>(&var))
            return **value;
    }
    return QString();
}

void iniData::registerEntry(const target &var, int type, const QString &section, const QString &key,
                            const QString &value)
{
    entryList.append({var, type, section, key, value});
}

QString iniData::valueOf(const QString &section, const QString &key) const
{
    for (const entry &item : entryList) {
        if (item.section == section && item.key == key)
            return item.value;
    }
    return QString();
}

bool iniData::renameSection(const QString &oldName, const QString &newName)
{
    bool matched = false;
    for (entry &item : entryList) {
        if (item.section == oldName) {
            item.section = newName;
            matched = true;
        }
    }
    return matched;
}

void iniData::removeSection(const QString &name)
{
    entryList.removeIf([&name](const entry &item) { return item.section == name; });
}

bool iniData::nextModuleSection(QString &name) const
{
    for (const entry &item : entryList) {
        if (!usedSectionList.contains(item.section)) {
            name = item.section;
            return true;
        }
    }
    return false;
}

void iniData::keepUnloadedSections(const std::function<QString(const QString &)> &reason)
{
    // Blank lines before a header belong to the layout, which writeFile makes anew.
    const auto dropTrailingBlanks = [this] {
        while (!kept.isEmpty() && kept.last().trimmed().isEmpty())
            kept.removeLast();
    };
    kept.clear();
    QStringList reported;
    bool keeping = false;
    for (const QString &line : std::as_const(linesRead)) {
        if (line.startsWith(QLatin1Char('['))) {
            dropTrailingBlanks();
            const QString name = line.mid(1, line.size() - 2);
            keeping = !usedSectionList.contains(name);
            if (keeping && !reported.contains(name)) {
                reported.append(name);
                const bool known = std::any_of(entryList.cbegin(), entryList.cend(),
                                               [&name](const entry &item) { return item.section == name; });
                warn(tr("Abschnitt [%1] nicht geladen: %2. Er bleibt unverändert in der Datei.")
                         .arg(name, known ? reason(name) : tr("kein bekannter Schlüssel")));
            }
        }
        if (keeping)
            kept.append(line);
    }
    dropTrailingBlanks();
}

bool iniData::writeFile()
{
    if (entryList.isEmpty() || iniFile.fileName().isEmpty() || fileUnreadable())
        return false;
    QStringList sections;
    for (const entry &item : entryList) {
        if (!sections.contains(item.section))
            sections.append(item.section);
    }
    // Written to a temporary file and renamed: a failed save never leaves a truncated file.
    // Where the folder allows no new file (an installer put the file there), the file itself
    // is written rather than every save lost.
    QSaveFile file(iniFile.fileName());
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The file holds the module passwords: only the owner may read it.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QString text;
    for (const QString &section : sections) {
        if (section.isEmpty())
            break;
        // Line breaks inside a name or value would forge sections or keys on the next load.
        text += QStringLiteral("\n[") + withoutLineBreaks(section) + QStringLiteral("]\n");
        for (const entry &item : entryList) {
            if (item.section == section)
                text += valueLine(item) + QLatin1Char('\n');
        }
    }
    for (const QString &line : std::as_const(kept))
        text += (line.startsWith(QLatin1Char('[')) ? QStringLiteral("\n") : QString()) + line + QLatin1Char('\n');
    // QSaveFile::commit() alone does not notice a write that failed while flushing (disk
    // full, file size limit) and would replace the old file by a truncated one.
    const QByteArray bytes = text.toLatin1();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString iniData::scrambleText(const QString &text, const QString &address, bool unscramble)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return text;
    const int octet = parts.at(3).toInt();
    QString result = text;
    for (int i = 0; i < result.size(); ++i) {
        const int k = scrambleKey.at(i % scrambleKey.size()).unicode();
        const int c = result.at(i).unicode();
        // Only codes 32 to 125 map onto themselves and back; an umlaut or a '~' in a password
        // would come back as another character after a save and a load. Such characters are
        // kept as they are (a scrambled text never holds them, so old files read the same).
        if (c < 32 || c > 125)
            continue;
        const int g = positiveModulo(k + octet, 94);
        const int v = (c - 32) + (unscramble ? 94 - g : g);
        result[i] = QChar(positiveModulo(v, 94) + 32);
    }
    return result;
}

bool iniData::openLog()
{
    logFile.close();
    if (logFilePath.isEmpty())
        return false;
    logFile.setFileName(logFilePath);
    // Emptied at every start; appended to for the rest of the run.
    if (!logFile.open(QIODevice::WriteOnly))
        return false;
    logFile.close();
    if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    for (const QString &text : std::as_const(pendingWarnings))
        writeLog(text + QLatin1Char('\n'));
    pendingWarnings.clear();
    return true;
}

void iniData::warn(const QString &text)
{
    qCDebug(dxcamTrace).noquote() << "#####" << text;
    if (logFile.isOpen())
        writeLog(text + QLatin1Char('\n'));
    else
        pendingWarnings.append(text);
}

void iniData::writeLog(const QString &text)
{
    if (!logFile.isOpen())
        return;
    logFile.write(text.toLatin1());
    logFile.flush();
}
