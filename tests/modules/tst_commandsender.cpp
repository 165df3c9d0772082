#include "cameramodule.h"
#include "commandframe.h"
#include "commandsender.h"
#include "sipmodule.h"

#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

// A module's control port on its own loopback address.
class moduleEnd {
public:
    moduleEnd() { bound = socket.bind(QHostAddress(QStringLiteral("127.0.0.6")), 0); }
    bool bound = false;
    quint16 port() const { return socket.localPort(); }
    QByteArray next()
    {
        if (!QTest::qWaitFor([this] { return socket.hasPendingDatagrams(); }, 2000))
            return QByteArray();
        return socket.receiveDatagram().data();
    }

private:
    QUdpSocket socket;
};

class tst_commandSender : public QObject {
    Q_OBJECT

private slots:
    void sendsExactFrame_data();
    void sendsExactFrame();
    void sequenceWrapsAfter256Frames();
};

void tst_commandSender::sendsExactFrame_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("frame");

    const QByteArray door = commandFrame::withChecksum("BSREM7F00000100302" "4711");
    const QByteArray sipDoor = commandFrame::withChecksum("BSREM7F0000010010312F3");
    const QByteArray hangUp = commandFrame::withChecksum("BSRCMD7F000001" "00" "12F3" "r3000");
    QTest::newRow("door to camera/IO module") << "camera" << door;
    QTest::newRow("door to intercom module") << "intercom" << sipDoor;
    QTest::newRow("hang-up to intercom module") << "hangup" << hangUp;
}

void tst_commandSender::sendsExactFrame()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, frame);

    moduleEnd module;
    QVERIFY(module.bound);
    const QHostAddress own(QStringLiteral("127.0.0.1"));
    commandSender sender(&own);

    cameraModule cam;
    cam.IP = QStringLiteral("127.0.0.6");
    cam.hostAddress = QHostAddress(cam.IP);
    cam.UDP_Contrl_CAM = module.port();
    cam.CAM_tuer = 3;
    cam.CAM_Password = QStringLiteral("4711");
    sipModule sip;
    sip.SIP_IP = cam.IP;
    sip.hostAddress = cam.hostAddress;
    sip.UDP_Contrl_SIP = module.port();
    sip.SIP_tuer = 1;
    sip.SIP_Password = QStringLiteral("123");

    if (kind == "camera")
        sender.sendRelay(cam.CAM_tuer, cam);
    else if (kind == "intercom")
        sender.sendRelay(sip.SIP_tuer, sip);
    else
        sender.sendIntercom(3, sip);

    QCOMPARE(module.next(), frame);
}

void tst_commandSender::sequenceWrapsAfter256Frames()
{
    moduleEnd module;
    QVERIFY(module.bound);
    const QHostAddress own(QStringLiteral("127.0.0.1"));
    commandSender sender(&own);
    cameraModule cam;
    cam.hostAddress = QHostAddress(QStringLiteral("127.0.0.6"));
    cam.UDP_Contrl_CAM = module.port();

    for (int i = 0; i < 257; ++i) {
        sender.sendRelay(3, cam);
        // Read each frame at once: 257 unread datagrams could overflow the receive buffer.
        QCOMPARE(module.next().mid(13, 2), commandFrame::hex2(i));
    }
    QCOMPARE(sender.sequence(), 1);
}

QTEST_GUILESS_MAIN(tst_commandSender)
#include "tst_commandsender.moc"
