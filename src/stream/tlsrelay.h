#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSslCertificate>
#include <QSslError>
#include <QString>
#include <QWaitCondition>

#include <memory>

class QSslSocket;
class QTcpServer;
class QTcpSocket;
class QThread;

// One RTSP connection over TLS for a reader whose library would not check the camera's
// certificate: the relay connects to the camera itself, judges its certificate as an HTTPS
// camera's is judged (certificateTrust), and only once it is taken relays the one connection
// the library makes to 127.0.0.1:listenPort(), bytes both ways. Before that nothing of the
// library's (its requests carry the login) is read, let alone sent.
//
// Threads: made, waited for and destroyed by one RTSP reader's thread; its sockets live on a
// QThread of its own, started by start() and ended by the destructor, so that the relay ends
// with its reader. Each direction holds at most about bufferBytes in the relay: a side that does
// not read holds the other one back through TCP instead of growing memory.
class tlsRelay {
public:
    enum class outcome { pending, relaying, refused, noAnswer, notTls, untrustedCertificate, changedCertificate };
    static constexpr qint64 bufferBytes = 256 * 1024;

    // trustedSha256: the fingerprint of the one certificate taken although it does not verify.
    tlsRelay(const QString &host, quint16 port, const QByteArray &trustedSha256);
    ~tlsRelay();
    tlsRelay(const tlsRelay &) = delete;
    tlsRelay &operator=(const tlsRelay &) = delete;

    void start();
    // The handshake's outcome, waited for up to waitMs; pending while it has not come.
    outcome waitForOutcome(int waitMs);
    // Where the library is to connect, once relaying.
    quint16 listenPort() const;
    // The certificate of a refused handshake, and why it did not verify.
    QSslCertificate refusedCertificate() const;
    QList<QSslError> certificateErrors() const;

private:
    void serve();
    void settle(outcome result);
    void judge(const QList<QSslError> &errors);
    void cameraFailed();
    void takeConnection();
    void pump(QTcpSocket *from, QTcpSocket *to);
    void ended(QTcpSocket *to);

    const QString host;
    const quint16 port;
    const QByteArray trustedSha256;
    std::unique_ptr<QThread> thread;

    mutable QMutex mutex;  // guards everything down to the relay thread's
    QWaitCondition settled;
    outcome result = outcome::pending;
    quint16 listening = 0;
    QSslCertificate refused;
    QList<QSslError> refusedErrors;

    // Relay thread only
    QTcpServer *server = nullptr;
    QSslSocket *camera = nullptr;
    QTcpSocket *viewer = nullptr;  // the library's connection
};
