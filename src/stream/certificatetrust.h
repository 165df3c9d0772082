#pragma once

#include <QByteArray>
#include <QList>
#include <QSslError>

class QSslSocket;

// The rule for a camera's certificate, over HTTPS and RTSPS alike: one that verifies is taken;
// one that does not is taken only when it is the one whose SHA-256 fingerprint the user trusted
// for this camera. Nothing else is accepted, and what was refused goes to the user to judge.
class certificateTrust {
public:
    enum class verdict { accepted, untrusted, changed };

    // For the socket's sslErrors: the errors are ignored where the certificate is the trusted
    // one; otherwise the handshake fails after this, and the verdict says why.
    static verdict judge(QSslSocket &socket, const QList<QSslError> &errors, const QByteArray &trustedSha256);
};
