#include "iniwriter.h"

#include "inidata.h"
#include "simoptions.h"

#include <QSaveFile>

namespace {

QString real(double value)
{
    return QString::number(value, 'f', 1);
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

IniWriter::IniWriter(const SimOptions &options, const QList<quint16> &cameraPorts)
    : options(options), cameraPorts(cameraPorts)
{
}

IniWriter::Section IniWriter::windowSection() const
{
    return {
        {"x", real(30)}, {"y", real(30)}, {"width", real(640)}, {"height", real(480)},
        {"hx", real(100)}, {"hy", real(100)}, {"hwidth", real(640)}, {"hheight", real(480)},
        {"Auto_Popup", flag(true)}, {"Toolbar", flag(true)}, {"Timeout", "8"}, {"Autohide", flag(true)},
        {"Flanke", flag(false)}, {"OwnPopWin", flag(false)}, {"min_Alle", flag(false)}, {"pop_Alle", flag(false)},
        {"closeEn", flag(false)}, {"nPicCol", QString::number(options.gridCols)},
        {"nPicRow", QString::number(options.gridRows)}, {"dispForm", "0"}, {"TextGroese", "1"},
        {"einzelBild", flag(false)}, {"stopInHide", flag(true)}, {"scaleMode", "0"}, {"BildRahmeEin", flag(true)},
    };
}

IniWriter::Section IniWriter::systemSection() const
{
    return {
        {"RemoteCtrl", flag(true)}, {"ButtonText", QStringLiteral("Tür öffnen,Beleuchtung ein")},
        {"ImageFolder", ""}, {"Autosave", flag(false)}, {"AlarmBildSaveEn", flag(false)},
        {"BildAllSaveEn", flag(false)}, {"SoundEn", flag(false)}, {"Soundfile", ""}, {"language", "-1"},
        {"ownIP", "127.0.0.1"}, {"FaVers", "0"}, {"SavePrintBtnEn", "0"}, {"HideStartEn", flag(false)},
        {"trayEn", flag(true)},
    };
}

IniWriter::Section IniWriter::moduleSection(int index) const
{
    const QString sipIp = SimOptions::stationAddress(index).toString();
    const QString url = cameraUrl(index);
    const QString ip = url.isEmpty() ? SimOptions::cameraAddress(index).toString() : QString();
    const QString user = options.user.isEmpty() ? QStringLiteral("admin") : options.user;
    Section section{
        {"camName", cameraName(index)}, {"IP", ip}, {"URL", url},
        {"CAM_User", user}, {"CAM_Password", storedPassword(options.password, ip)},
        {"Picture_User", user}, {"Picture_Password", options.password},
        {"UDP_Status_CAM", QString::number(options.camStatusPort)},
        {"UDP_Contrl_CAM", QString::number(options.camControlPort)},
        {"Relais_timeCAM", "2"}, {"Relais_timeCAMI", "20"}, {"camTip", "0"}, {"CAM_popup", "3"},
        {"CAM_light", "0"}, {"CAM_tuer", "0"}, {"prior", "0"}, {"CAMautoSaveEn", flag(false)},
        {"n_Bild_Freq", "15"}, {"selFreqTip", "0"}, {"CAMsaveBeweg", flag(false)}, {"stopTimeBeweg", "0"},
        {"dirCamBild", ""},
        {"sipName", QStringLiteral("Tür %1").arg(index + 1)}, {"SIP_IP", sipIp}, {"SIP_User", "admin"},
        {"SIP_Password", storedPassword(options.sipPassword, sipIp)},
        {"UDP_Status_SIP", QString::number(options.sipStatusPort)},
        {"UDP_Contrl_SIP", QString::number(options.sipControlPort)},
        {"Relais_timeSIP", "3"}, {"Relais_timeSIPI", "20"}, {"SIP_popup", "7"}, {"SIP_light", "2"},
        {"SIP_tuer", "1"}, {"SIP_Callee", "100,200"}, {"allRufNr", flag(true)},
    };
    // Only when there is one, so that the file is the same as without the small stream.
    if (options.subSize.isValid())
        section.append({"URL_Sub", subUrl(index)});
    return section;
}

QString IniWriter::cameraName(int index)
{
    return QStringLiteral("Kamera %1").arg(index + 1);
}

QString IniWriter::cameraUrl(int index) const
{
    if (options.rtsp && (options.rtspNamed.isEmpty() || options.rtspNamed.contains(index))) {
        return QStringLiteral("rtsp://%1:%2/stream").arg(SimOptions::cameraAddress(index).toString())
            .arg(rtspPorts.value(index, quint16(options.rtspPort)));
    }
    // A camera record with an address streams from port 80; any other port needs a URL.
    const quint16 port = cameraPorts.value(index, 80);
    if (port == 80)
        return QString();
    return QStringLiteral("http://%1:%2/mjpg/video.mjpg").arg(SimOptions::cameraAddress(index).toString()).arg(port);
}

// The small stream beside the main stream the record names: RTSP beside RTSP, else Motion-JPEG.
QString IniWriter::subUrl(int index) const
{
    const QString address = SimOptions::cameraAddress(index).toString();
    if (cameraUrl(index).startsWith(QLatin1String("rtsp:"))) {
        return QStringLiteral("rtsp://%1:%2%3").arg(address).arg(rtspPorts.value(index, quint16(options.rtspPort)))
            .arg(QLatin1String(SimOptions::subRtspPath));
    }
    const quint16 port = cameraPorts.value(index, 80);
    const QString host = port == 80 ? address : QStringLiteral("%1:%2").arg(address).arg(port);
    return QStringLiteral("http://%1%2").arg(host, QLatin1String(SimOptions::subHttpPath));
}

QString IniWriter::storedPassword(const QString &text, const QString &address)
{
    // The viewer keeps module passwords scrambled with the module address and unscrambles them
    // on load; an address that is no dotted quad (a URL record) leaves the text as it is.
    return iniData::scrambleText(text, address, false);
}

QByteArray IniWriter::content() const
{
    QList<QPair<QString, Section>> sections = {{"Window", windowSection()}, {"System", systemSection()}};
    for (int i = 0; i < options.cameras; ++i) {
        const QString url = cameraUrl(i);
        const QString address = url.isEmpty() ? SimOptions::cameraAddress(i).toString() : url;
        sections.append({cameraName(i) + QLatin1Char('_') + address, moduleSection(i)});
    }
    QString text;
    for (const auto &section : sections) {
        text += QStringLiteral("\n[%1]\n").arg(section.first);
        for (const auto &entry : section.second)
            text += entry.first + QLatin1Char('=') + entry.second + QLatin1Char('\n');
    }
    return text.toLatin1();
}

bool IniWriter::write(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content()) < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
