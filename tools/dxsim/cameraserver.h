#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>

class QTcpServer;
class QTcpSocket;

// One simulated camera: answers the MJPEG request on its own loopback address and pushes the
// pictures it is handed to every streaming client. A client whose socket still holds more than
// about two pictures is skipped for this picture, so a slow reader loses pictures instead of
// making the simulator buffer without bound.
class CameraServer : public QObject {
    Q_OBJECT
public:
    CameraServer(int index, const QHostAddress &address, const QString &user, const QString &password,
                 QObject *parent = nullptr);

    bool listen(quint16 port, QString *error);
    quint16 port() const;
    QHostAddress address() const { return hostAddress; }

    bool wantsPicture() const;
    void publish(const QByteArray &part);

    // Stalled: connections stay open but get nothing. Refusing: new connections are closed at once.
    void setStalled(bool on) { stalled = on; }
    void setRefusing(bool on) { refusing = on; }
    int closeClients();
    int streamingClients() const;

private:
    struct Client {
        QByteArray request;
        QByteArray version;
        bool streaming = false;
        bool answered = false;   // an error answer is on its way out; ignore what follows
        bool headerSent = false;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, Client &client);
    void reject(QTcpSocket *socket, const QByteArray &status, const QByteArray &extraHeaders);
    bool authorised(const QList<QByteArray> &headerLines) const;

    int index;
    QHostAddress hostAddress;
    QByteArray expectedAuth;
    QTcpServer *server;
    QHash<QTcpSocket *, Client> clients;
    bool stalled = false;
    bool refusing = false;
};
