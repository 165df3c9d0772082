#pragma once

#include <QByteArray>
#include <QString>

// RTSP addresses as the reader's library splits them.
class rtspUrl {
public:
    // The same scheme, host and port (a missing port is the scheme's own): the only place a
    // camera's login may go to.
    static bool sameOrigin(const QByteArray &first, const QByteArray &second);
    // The URL with the login put in: the one in the URL (percent-encoded, or typed raw: it ends
    // at the last '@' before the host, its user at the first ':'), else user and password.
    static QString withLogin(const QString &url, const QString &user, const QString &password);
    // For the user and the log: the address without user and password.
    static QString withoutLogin(const QByteArray &url);

    // rtsps: the camera's host and port (322 where none is given), reached through a relay.
    static bool isEncrypted(const QByteArray &url);
    static QString host(const QByteArray &url);
    static quint16 port(const QByteArray &url);
    // The same request as plain rtsp to the relay on 127.0.0.1, login, path and query kept.
    static QByteArray relayed(const QByteArray &url, quint16 relayPort);
};
