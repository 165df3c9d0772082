#include "simmodule.h"

#include "commandframedecoder.h"
#include "consoleoutput.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

SimModule::SimModule(Kind kind, int number, const QHostAddress &own, QObject *parent)
    : QObject(parent), kind(kind), number(number), own(own), sender(new QUdpSocket(this)),
      control(new QUdpSocket(this))
{
    connect(control, &QUdpSocket::readyRead, this, &SimModule::readFrames);
}

bool SimModule::start(const QHostAddress &viewerAddress, quint16 viewerPort, quint16 controlPort, QString *error)
{
    viewer = viewerAddress;
    statusPort = viewerPort;
    if (!sender->bind(own, 0)) {
        *error = QStringLiteral("%1 cannot bind %2: %3").arg(label(), own.toString(), sender->errorString());
        return false;
    }
    if (!control->bind(own, controlPort)) {
        *error = QStringLiteral("%1 cannot bind %2:%3: %4").arg(label(), own.toString()).arg(controlPort).arg(control->errorString());
        return false;
    }
    return true;
}

QString SimModule::label() const
{
    return QStringLiteral("%1 %2").arg(kind == Kind::Station ? QStringLiteral("station") : QStringLiteral("io")).arg(number);
}

QByteArray SimModule::sendStatus(const QByteArray &codeAndPayload)
{
    const QByteArray datagram = QByteArray::number(++running) + '#' + codeAndPayload;
    sender->writeDatagram(datagram, viewer, statusPort);
    return datagram;
}

QByteArray SimModule::setInput(int input, bool active)
{
    inputActive[input - 1] = active;
    // Version "10", then one character per input: '0' active, '1' inactive.
    QByteArray report("A1@10");
    report += inputActive[0] ? '0' : '1';
    report += inputActive[1] ? '0' : '1';
    report += "Dx";
    return sendStatus(report);
}

void SimModule::readFrames()
{
    while (control->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = control->receiveDatagram();
        ConsoleOutput::line(QStringLiteral("frame %1 %2").arg(label(), CommandFrameDecoder::describe(datagram.data())));
    }
}
