#include "rtspurl.h"

#include <QUrl>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

constexpr int rtspPort = 554;
constexpr int rtspsPort = 322;

struct origin {
    char scheme[32] = {};
    char host[1024] = {};
    int port = -1;
};

origin originOf(const QByteArray &url)
{
    origin parts;
    char login[1024];
    char path[16];
    av_url_split(parts.scheme, sizeof parts.scheme, login, sizeof login, parts.host, sizeof parts.host, &parts.port,
                 path, sizeof path, url.constData());
    if (parts.port < 0)
        parts.port = qstricmp(parts.scheme, "rtsps") == 0 ? rtspsPort : rtspPort;
    return parts;
}

}  // namespace

bool rtspUrl::sameOrigin(const QByteArray &first, const QByteArray &second)
{
    const origin a = originOf(first);
    const origin b = originOf(second);
    return a.host[0] && qstricmp(a.scheme, b.scheme) == 0 && qstricmp(a.host, b.host) == 0 && a.port == b.port;
}

QString rtspUrl::withoutLogin(const QByteArray &url)
{
    return QUrl(QString::fromUtf8(url)).toString(QUrl::RemoveUserInfo);
}
