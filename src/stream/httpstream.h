#pragma once

#include "httpauth.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

class QAuthenticator;
class QTcpSocket;

// A streaming HTTP GET whose body is polled: host, mode and port are set first, then get()
// starts the request and the owner reads the body as it arrives. Redirects are not followed.
// Everything happens on the owner's thread, on one socket per request: a camera's bytes go
// from the kernel straight into the owner's buffer, with no thread and no buffer in between,
// and a stalled reader throttles the connection instead of growing memory. (An encrypted
// socket decrypts into a buffer of its own, of at most readBufferLimit bytes.)
// A certificate that does not verify is refused, unless it is the one whose SHA-256 fingerprint
// the owner trusts for this camera.
class httpStream : public QObject {
    Q_OBJECT

public:
    enum class connectionState { unconnected, connecting, connected, closing };
    // Why a request ended before its response head.
    enum class failure { none, refused, noAnswer, closedEarly, notHttp, untrustedCertificate, changedCertificate };
    static constexpr qint64 readBufferLimit = 4 * 1024 * 1024;
    static constexpr int maxHeaderBytes = 64 * 1024;   // a response head larger than this is refused
    static constexpr int maxLineBytes = 8 * 1024;

    explicit httpStream(QObject *parent = nullptr);
    ~httpStream() override;

    // port 0 selects the scheme's default port.
    void setHost(const QString &host, bool https, quint16 port = 0);
    void setUser(const QString &user, const QString &password);
    // The SHA-256 digest of the one certificate trusted although it does not verify; empty: none.
    void setTrustedFingerprint(const QByteArray &sha256) { trustedFingerprint = sha256; }
    // path is already percent-encoded. Returns the request id.
    int get(const QByteArray &path);
    void abort();

    qint64 bytesAvailable();
    qint64 read(char *data, qint64 maxSize);
    connectionState state() const { return connState; }
    int currentId() const { return requestId; }
    failure lastFailure() const { return failedWith; }
    // After a 401: whether it offered a challenge this client can answer (typing cannot help
    // where it did not).
    bool challengeAnswerable() const { return answerable; }
    // The certificate of a refused handshake, and why it did not verify.
    const QSslCertificate &refusedCertificate() const { return refused; }
    const QList<QSslError> &certificateErrors() const { return refusedErrors; }

    static QString fingerprintText(const QByteArray &sha256);  // "AB:CD:…"
    static QByteArray fingerprintFromText(const QString &text); // empty unless 32 bytes of hex

signals:
    void responseHeaderReceived(int statusCode);
    // The request ended before a response head; lastFailure() says why.
    void connectionFailed();
    // Emitted at most once per request; fill in the authenticator to answer the challenge.
    void authenticationRequired(QAuthenticator *authenticator);

private:
    enum class phase { idle, head, body, finished };
    struct credentials {
        QString user;
        QString password;
    };

    void connectSocket();
    void sendRequest();
    void onSslErrors(const QList<QSslError> &errors);
    void noteFailure();
    void onReadyRead();
    void onDisconnected();
    bool readHead();
    void fillInbox(qint64 size);
    bool takeLine(QByteArray &line);
    qint64 takeBody(char *data, qint64 maxSize);
    void noteSocketEnd();
    void probeEnd();
    void headComplete();
    bool answerChallenge(const QList<QByteArray> &challenges);
    bool nextCredentials(credentials &next);
    qint64 readChunked(char *data, qint64 maxSize);
    bool readChunkSize();
    void fail();
    void dropSocket();

    QPointer<QTcpSocket> socket;
    QString host;
    bool https = false;
    quint16 port = 0;
    QString user;
    QString password;
    QByteArray path;
    QByteArray authorization;
    bool userTried = false;
    bool ownerAsked = false;
    bool staleAnswered = false;
    bool answerable = false;
    credentials lastSent;
    QByteArray trustedFingerprint;
    QSslCertificate refused;
    QList<QSslError> refusedErrors;
    failure failedWith = failure::none;
    int requestId = 0;
    connectionState connState = connectionState::unconnected;

    phase current = phase::idle;
    QByteArray inbox;  // read from the socket, not yet used: head lines, chunk framing, early body
    bool readyReadSeen = false;
    QList<QByteArray> headLines;
    int headBytes = 0;
    void finishBody();

    bool chunked = false;
    qint64 bodyLeft = -1;       // after a Content-Length; -1 while the body runs to the end
    qint64 chunkLeft = 0;       // body bytes left in the current chunk
    bool chunkDataDone = false; // the CRLF after a chunk's data is due
};
