#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

struct cameraModule;
struct sipModule;

// Sends the command frames to the modules' control ports through one unbound socket. The
// frame sequence counter is shared by both frame kinds and wraps after 255.
class commandSender : public QObject {
    Q_OBJECT

public:
    // ownAddress: the main window's own address (ownIP), read at every send.
    explicit commandSender(const QHostAddress *ownAddress, QObject *parent = nullptr);

    void sendRelay(int output, const cameraModule &rec);
    void sendRelay(int output, const sipModule &rec);
    void sendIntercom(quint8 command, const sipModule &rec);

    int sequence() const { return frameSequence; }
    void resetSequence() { frameSequence = 0; }

private:
    quint32 ownIPv4() const;
    quint8 nextSequence();
    void sendRelayFrame(const QByteArray &frame, const QHostAddress &host, int port);

    QUdpSocket socket;
    const QHostAddress *ownAddress;
    int frameSequence = 0;
};
