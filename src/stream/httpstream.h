#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;

// A streaming HTTP GET whose body is polled: host, mode and port are set first, then get()
// starts the request and the owner reads the body as it arrives. Redirects are not followed.
// The reply buffers at most readBufferLimit bytes while nobody reads, so a stalled reader
// throttles the connection instead of growing memory.
class httpStream : public QObject {
    Q_OBJECT

public:
    enum class connectionState { unconnected, connecting, connected, closing };
    static constexpr qint64 readBufferLimit = 4 * 1024 * 1024;

    explicit httpStream(QObject *parent = nullptr);
    ~httpStream() override;

    // port 0 selects the scheme's default port.
    void setHost(const QString &host, bool https, quint16 port = 0);
    void setUser(const QString &user, const QString &password);
    // path is already percent-encoded. Returns the request id.
    int get(const QByteArray &path);
    void abort();

    qint64 bytesAvailable() const;
    qint64 read(char *data, qint64 maxSize);
    connectionState state() const { return connState; }
    int currentId() const { return requestId; }

signals:
    void responseHeaderReceived(int statusCode);
    // Emitted at most once per request; fill in the authenticator to answer the challenge.
    void authenticationRequired(QAuthenticator *authenticator);

private slots:
    void onMetaDataChanged();
    void onFinished();
    void onAuthenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator);

private:
    void reportHeader();
    void dropReply();

    QNetworkAccessManager *manager;
    QPointer<QNetworkReply> reply;
    QString host;
    bool https = false;
    quint16 port = 0;
    QString user;
    QString password;
    bool userTried = false;
    bool ownerAsked = false;
    bool headerReported = false;
    bool insideReplySignal = false;
    int requestId = 0;
    connectionState connState = connectionState::unconnected;
};
