#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>

class QTcpServer;
class QTimer;
class QTcpSocket;

// One simulated camera: answers the MJPEG request on its own loopback address and pushes the
// pictures it is handed to every streaming client, those of its small second stream (when it
// has one) to the clients that asked for that. A client whose socket still holds more than
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

    // The small second stream, served at its own path (SimOptions::subHttpPath).
    void setSubStream(bool on) { hasSub = on; }

    bool wantsPicture(bool sub) const;
    void publish(const QByteArray &part, bool sub);

    // Stalled: connections stay open but get nothing. Refusing: new connections are closed at once.
    void setStalled(bool on) { stalled = on; }
    void setRefusing(bool on) { refusing = on; }
    int closeClients();
    int streamingClients() const;

    // Faults a real camera shows now and then. Mute: connections are accepted but never
    // answered. Drip: streaming clients get a few bytes every 100 ms instead of pictures.
    // Garbage: streaming clients get random bytes instead of pictures. Answer: requests are
    // refused with this HTTP status (0: served again); streaming clients are closed. Huge: every
    // streaming client gets one picture larger than a viewer's receive buffer next.
    void setMute(bool on) { mute = on; }
    void setDrip(bool on);
    void setGarbage(bool on) { garbage = on; }
    void setAnswer(int status);
    void sendHugeNext() { hugeNext[0] = hugeNext[1] = true; }
    // Every fault off. Faults act on both streams alike.
    void heal();

private:
    struct Client {
        QByteArray request;
        QByteArray version;
        bool streaming = false;
        bool answered = false;   // an error answer is on its way out; ignore what follows
        bool headerSent = false;
        bool sub = false;  // takes the small stream
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
    void drip();
    static QByteArray hugePart(const QByteArray &part);

    bool stalled = false;
    bool refusing = false;
    bool mute = false;
    bool garbage = false;
    bool hugeNext[2] = {false, false};  // per stream: main, small
    bool hasSub = false;
    int answerStatus = 0;
    QTimer *dripTimer = nullptr;
    QByteArray lastPart[2];
    qsizetype dripPos = 0;
};
