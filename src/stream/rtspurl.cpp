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

bool rtspUrl::isEncrypted(const QByteArray &url)
{
    return qstricmp(originOf(url).scheme, "rtsps") == 0;
}

QString rtspUrl::host(const QByteArray &url)
{
    return QString::fromUtf8(originOf(url).host);
}

quint16 rtspUrl::port(const QByteArray &url)
{
    const int port = originOf(url).port;
    return port > 0 && port <= 65535 ? quint16(port) : 0;
}

QByteArray rtspUrl::relayed(const QByteArray &url, quint16 relayPort)
{
    QUrl local(QString::fromUtf8(url));
    local.setScheme(QStringLiteral("rtsp"));
    local.setHost(QStringLiteral("127.0.0.1"));
    local.setPort(relayPort);
    return local.toString(QUrl::FullyEncoded).toUtf8();
}

QString rtspUrl::withLogin(const QString &text, const QString &user, const QString &password)
{
    QString address = text.trimmed();
    QString urlUser;
    QString urlPassword;
    // A login typed raw may hold '@' and ':' itself: it ends at the last '@' before the host,
    // and its user at the first ':', as browsers read it.
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    if (schemeEnd >= 0) {
        const qsizetype start = schemeEnd + 3;
        qsizetype hostEnd = address.size();
        for (const QChar end : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')}) {
            const qsizetype at = address.indexOf(end, start);
            if (at >= 0)
                hostEnd = qMin(hostEnd, at);
        }
        const qsizetype loginEnd = hostEnd > start ? address.lastIndexOf(QLatin1Char('@'), hostEnd - 1) : -1;
        if (loginEnd >= start) {
            const QString login = address.mid(start, loginEnd - start);
            const qsizetype colon = login.indexOf(QLatin1Char(':'));
            urlUser = QUrl::fromPercentEncoding(login.left(colon < 0 ? login.size() : colon).toUtf8());
            urlPassword = colon < 0 ? QString() : QUrl::fromPercentEncoding(login.mid(colon + 1).toUtf8());
            address.remove(start, loginEnd + 1 - start);
        }
    }
    QUrl url(address);
    const bool fromUrl = !urlUser.isEmpty();
    if (fromUrl || !user.isEmpty()) {
        url.setUserName(fromUrl ? urlUser : user, QUrl::DecodedMode);
        url.setPassword(fromUrl ? urlPassword : password, QUrl::DecodedMode);
    }
    return url.toString(QUrl::FullyEncoded);
}
