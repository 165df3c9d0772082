#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>

class H264Loop;
class QTcpServer;
class QTcpSocket;

// One simulated RTSP camera: serves the H.264 loop at "rtsp://address:port/stream" (and, when it
// has one, the loop of its small second stream at "rtsp://address:port/sub"), RTP over the
// RTSP connection (interleaved, as the viewer asks for), with Digest authentication when a user
// is set. A client whose socket still holds more than about half a second of pictures skips
// pictures up to the next key picture, so that a slow reader costs no memory and gets no broken
// pictures.
class RtspServer : public QObject {
    Q_OBJECT
public:
    RtspServer(const QHostAddress &address, const H264Loop &loop, int fps, const QString &user,
               const QString &password, QObject *parent = nullptr);

    bool listen(quint16 port, QString *error);
    quint16 port() const;
    QString url(bool sub = false) const;
    // The loop of the small second stream; it must outlive the server.
    void setSubStream(const H264Loop *loop) { subLoop = loop; }

    // Sends picture `number` (of the loop, in a cycle) to every playing client.
    void publish(quint64 number);

    // Stalled: connections stay open but get nothing. Refusing: new connections are closed at once.
    void setStalled(bool on);
    // The next `count` pictures are held back and then sent at once, late, as a network or a
    // busy sender delivers them.
    void holdPictures(int count) { holdLeft = count; }
    void setRefusing(bool on) { refusing = on; }
    // Announces a codec the viewer does not read (MPEG-4 Part 2) to new connections.
    void setForeignCodec(bool on) { foreignCodec = on; }
    // Leaves the parameter sets out of the session description of new connections; they still
    // come before each key picture.
    void setParametersInStreamOnly(bool on) { parametersInStreamOnly = on; }
    // Moves the clock the pictures are stamped by (a camera whose clock jumps).
    void jumpClock(qint64 ms);
    int closeClients();
    int playingClients() const;

private:
    struct Client {
        QByteArray input;
        QByteArray session;
        bool playing = false;
        bool waitForKey = true;
        quint16 sequence = 0;
        quint32 ssrc = 0;
        const H264Loop *loop = nullptr;  // the stream set up: main (until a SETUP says) or small
        int channel = 0;
        int sinceReport = 0;  // pictures since the last sender report
        quint32 packets = 0;
        quint32 octets = 0;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    bool takeRequest(QTcpSocket *socket, Client &client);
    void answer(QTcpSocket *socket, Client &client, const QByteArray &head);
    bool authorised(const QByteArray &method, const QList<QByteArray> &lines) const;
    QByteArray describe(const H264Loop &stream) const;
    const H264Loop *streamOf(const QByteArray &uri) const;
    void sendUnit(QTcpSocket *socket, Client &client, quint64 number);
    void sendRtp(QTcpSocket *socket, Client &client, const QByteArray &payload, bool last, quint32 timestamp);
    void sendReport(QTcpSocket *socket, Client &client, quint32 timestamp);

    QHostAddress hostAddress;
    const H264Loop &mainLoop;
    const H264Loop *subLoop = nullptr;
    int fps;
    QByteArray user;
    QByteArray password;
    QByteArray nonce;
    QTcpServer *server;
    QHash<QTcpSocket *, Client> clients;
    bool stalled = false;
    bool refusing = false;
    bool foreignCodec = false;
    bool parametersInStreamOnly = false;
    quint32 clockOffset = 0;  // RTP ticks
    int holdLeft = 0;
    QList<quint64> held;
};
