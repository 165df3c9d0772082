#include "statusreceiver.h"

#include "camdata.h"
#include "statusparser.h"

#include <QHostAddress>

statusReceiver::statusReceiver(moduleKind kind, const QList<camData *> *cameras, QObject *parent)
    : QObject(parent), kind(kind), cameras(cameras), socket(this)
{
}

int statusReceiver::firstStatusPort(const QList<camData *> &cameras, moduleKind kind)
{
    if (cameras.isEmpty() || !cameras.first())
        return -1;
    const camData *first = cameras.first();
    return kind == moduleKind::cameraIo ? first->camModule.UDP_Status_CAM : first->sipModuleRec.UDP_Status_SIP;
}

bool statusReceiver::bind(int port)
{
    // Bound again when the first module comes later than the start.
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.close();
    // A socket bound to Any reports IPv4 senders as "::ffff:a.b.c.d", which never equals a
    // configured address.
    if (!socket.bind(QHostAddress::AnyIPv4, quint16(port), QUdpSocket::ShareAddress))
        return false;
    // A few large datagrams would fill the default buffer, and the kernel would then drop the
    // small ones behind them, a door call among them.
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, receiveBufferBytes);
    connect(&socket, &QUdpSocket::readyRead, this, &statusReceiver::drain, Qt::UniqueConnection);
    return true;
}

void statusReceiver::drain()
{
    // One read per datagram into a buffer that holds the largest one; a batch at a time, so that
    // a flood of datagrams cannot hold the tick up (the socket signals again for the rest).
    datagramBuffer.resize(maxDatagramBytes);
    QHostAddress sender;
    for (int i = 0; i < datagramsPerBatch; ++i) {
        const qint64 size = socket.readDatagram(datagramBuffer.data(), maxDatagramBytes, &sender);
        if (size < 0)
            return;
        if (size == 0)
            continue;
        dispatch(QByteArray(datagramBuffer.constData(), size), sender.toString());
    }
}

void statusReceiver::dispatch(const QByteArray &datagram, const QString &sender)
{
    if (!cameras)
        return;
    // Only a call event's summary (its callee) is wanted: no IO report is put into words for nothing.
    QString summary;
    QString *wanted = watch && kind == moduleKind::intercom ? &summary : nullptr;
    for (camData *cam : *cameras) {
        if (!cam)
            continue;
        bool recognised = false;
        if (kind == moduleKind::cameraIo) {
            cameraModule &rec = cam->camModule;
            if (rec.addressText() == sender)
                recognised = statusParser::parse(rec.status, rec.CAM_popup, rec.callee, rec.allRufNr, datagram, wanted);
        } else {
            sipModule &rec = cam->sipModuleRec;
            if (rec.addressText() == sender)
                recognised = statusParser::parse(rec.status, rec.SIP_popup, rec.SIP_Callee, rec.allRufNr, datagram, wanted);
        }
        if (recognised && watch)
            watch(cam, kind == moduleKind::intercom, summary);
    }
}
