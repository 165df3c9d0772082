#include "cameraaddress.h"

namespace {
constexpr int axisCamTip = 1;
}

bool cameraAddress::isUrlText(const QString &text)
{
    return text.contains(QLatin1String("http"), Qt::CaseInsensitive) || isRtspUrl(text);
}

void cameraAddress::applyRule(cameraModule &module, const QString &text)
{
    const bool isUrl = isUrlText(text);
    module.URL = isUrl ? text : QString();
    module.IP = isUrl ? QString() : text;
    module.addressIsIp = !isUrl;
    module.hostAddress = isUrl ? QHostAddress() : QHostAddress(module.IP);
}

void cameraAddress::applyRule(sipModule &module, const QString &text)
{
    const bool isUrl = isUrlText(text);
    module.URL = isUrl ? text : QString();
    module.SIP_IP = isUrl ? QString() : text;
    module.addressIsIp = !isUrl;
    module.hostAddress = isUrl ? QHostAddress() : QHostAddress(module.SIP_IP);
}

QString cameraAddress::streamUrlFor(const cameraModule &module)
{
    if (module.IP.isEmpty())
        return module.URL;
    if (module.camTip == axisCamTip)
        return QStringLiteral("http://root:4711@") + module.IP + QStringLiteral("/axis-cgi/mjpg/video.cgi");
    return QStringLiteral("http://") + module.IP + QStringLiteral("/mjpg/video.mjpg");
}

QString cameraAddress::subStreamUrlFor(const cameraModule &module)
{
    const QString text = module.URL_Sub.trimmed();
    if (text.isEmpty() || isUrlText(text))
        return text;
    cameraModule typed = module;
    typed.IP = text;
    return streamUrlFor(typed);
}

bool cameraAddress::isRtspUrl(const QString &url)
{
    const QString text = url.trimmed();
    return text.startsWith(QLatin1String("rtsp://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("rtsps://"), Qt::CaseInsensitive);
}
