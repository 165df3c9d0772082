#pragma once

#include <QList>
#include <QObject>
#include <QUdpSocket>

#include <functional>

class camData;

// One UDP status socket: drains the datagrams and hands each to the status parser of every
// camera whose module record (camera/IO or intercom, chosen by the kind) has the sender's address.
class statusReceiver : public QObject {
    Q_OBJECT

public:
    enum class moduleKind { cameraIo, intercom };

    statusReceiver(moduleKind kind, const QList<camData *> *cameras, QObject *parent = nullptr);

    // Status port of the first camera in the list (every module must send there), -1 without one.
    static int firstStatusPort(const QList<camData *> &cameras, moduleKind kind);

    // Binds on every IPv4 address so that senders compare as dotted text; -1 binds 65535.
    // Datagrams are drained only when the bind succeeded.
    bool bind(int port);
    quint16 localPort() const { return socket.localPort(); }

    // Told of every datagram the parser recognised for a camera's record, after the parser: the
    // camera, whether its intercom record, and the parser's summary (intercom records only).
    using observer = std::function<void(camData *camera, bool intercom, const QString &summary)>;
    void setObserver(observer watcher) { watch = std::move(watcher); }

public slots:
    void drain();

private:
    void dispatch(const QByteArray &datagram, const QString &sender);

    static constexpr int maxDatagramBytes = 65536;
    static constexpr int datagramsPerBatch = 256;
    static constexpr int receiveBufferBytes = 1 << 20;

    moduleKind kind;
    QByteArray datagramBuffer;
    const QList<camData *> *cameras;
    QUdpSocket socket;
    observer watch;
};
