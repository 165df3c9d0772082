#include "commandsender.h"

#include "cameramodule.h"
#include "commandframe.h"
#include "sipmodule.h"
#include "tracecategory.h"

commandSender::commandSender(const QHostAddress *ownAddress, QObject *parent)
    : QObject(parent), socket(this), ownAddress(ownAddress)
{
}

void commandSender::sendRelay(int output, const cameraModule &rec)
{
    const quint32 own = ownIPv4();
    qCDebug(dxcamTrace).noquote() << QStringLiteral("Address: \"%1\"").arg(rec.IP);
    const QByteArray frame = commandFrame::relay(own, nextSequence(), output, relayTarget::of(rec));
    sendRelayFrame(frame, rec.hostAddress, rec.UDP_Contrl_CAM);
}

void commandSender::sendRelay(int output, const sipModule &rec)
{
    const quint32 own = ownIPv4();
    qCDebug(dxcamTrace).noquote() << QStringLiteral("Address: \"%1\"").arg(rec.SIP_IP);
    const QByteArray frame = commandFrame::relay(own, nextSequence(), output, relayTarget::of(rec));
    sendRelayFrame(frame, rec.hostAddress, rec.UDP_Contrl_SIP);
}

void commandSender::sendIntercom(quint8 command, const sipModule &rec)
{
    const QByteArray frame = commandFrame::intercom(ownIPv4(), nextSequence(), command, rec.SIP_Password);
    socket.writeDatagram(frame, rec.hostAddress, quint16(rec.UDP_Contrl_SIP));
    qCDebug(dxcamTrace).noquote() << "Commando : Auflegen/Ruf abbrechen/Eingehenden Ruf abweisen";
    qCDebug(dxcamTrace).noquote() << QStringLiteral("Commando by :: \"%1\"").arg(QString::fromLatin1(frame));
}

quint32 commandSender::ownIPv4() const
{
    bool ok = false;
    const quint32 value = ownAddress ? ownAddress->toIPv4Address(&ok) : 0;
    return ok ? value : 0;
}

quint8 commandSender::nextSequence()
{
    const quint8 current = quint8(frameSequence);
    frameSequence = (frameSequence + 1) & 0xFF;
    return current;
}

void commandSender::sendRelayFrame(const QByteArray &frame, const QHostAddress &host, int port)
{
    const QString text = QString::fromLatin1(frame);
    qCDebug(dxcamTrace).noquote() << QStringLiteral("Commando by :: \"%1\"").arg(text);
    socket.writeDatagram(frame, host, quint16(port));
    qCDebug(dxcamTrace).noquote() << QStringLiteral("Daten \"%1\" %2 %3").arg(text, host.toString()).arg(port);
}
