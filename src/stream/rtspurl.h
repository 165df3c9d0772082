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
};
