#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// The Authorization header for a challenge a camera answers 401 with: Basic, or Digest with
// SHA-256, SHA-256-sess, MD5 or MD5-sess, qop "auth" or none. Names and passwords go out in
// UTF-8. Other schemes, and a Digest that allows only "auth-int", are not answered.
class httpAuth {
public:
    struct challenge {
        QByteArray scheme;                         // lower case; empty: none that can be answered
        QHash<QByteArray, QByteArray> parameters;  // names lower case, values unquoted
    };

    // The challenges of the WWW-Authenticate header values.
    static QList<challenge> parse(const QList<QByteArray> &headerValues);
    // Digest before Basic, SHA-256 before MD5; an empty scheme when none can be answered.
    static challenge choose(const QList<challenge> &offered);
    // The header value, e.g. "Basic dXNlcjpwYXNz". cnonce: the client nonce of Digest.
    static QByteArray authorization(const challenge &offered, const QString &user, const QString &password,
                                    const QByteArray &method, const QByteArray &uri, const QByteArray &cnonce);
};
