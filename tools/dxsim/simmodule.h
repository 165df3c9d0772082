#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

class QUdpSocket;

// One simulated module: an IO module (on its camera's address) or a door station (on its own
// address). It sends status datagrams from its own address, as the viewer matches the sender
// against the module record, and prints every command frame that reaches its control port.
class SimModule : public QObject {
    Q_OBJECT
public:
    enum class Kind { IoModule, Station };

    SimModule(Kind kind, int number, const QHostAddress &own, QObject *parent = nullptr);

    bool start(const QHostAddress &viewer, quint16 statusPort, quint16 controlPort, QString *error);

    // Both return the datagram as sent, for the acknowledgement.
    QByteArray sendStatus(const QByteArray &codeAndPayload);
    QByteArray setInput(int input, bool active);

    QString label() const;

private:
    void readFrames();

    Kind kind;
    int number;   // 1-based, as on the console
    QHostAddress own;
    QHostAddress viewer;
    quint16 statusPort = 0;
    QUdpSocket *sender;
    QUdpSocket *control;
    quint32 running = 0;
    bool inputActive[2] = {false, false};
};
