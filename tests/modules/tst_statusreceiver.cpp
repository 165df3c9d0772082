#include "camdata.h"
#include "statusreceiver.h"

#include <QTest>
#include <QUdpSocket>

Q_DECLARE_METATYPE(statusReceiver::moduleKind)

namespace {

// The sending module's loopback address.
const QString moduleAddress = QStringLiteral("127.0.0.5");

moduleStatus &statusOf(camData *cam, statusReceiver::moduleKind kind)
{
    return kind == statusReceiver::moduleKind::cameraIo ? cam->camModule.status : cam->sipModuleRec.status;
}

} // namespace

class tst_statusReceiver : public QObject {
    Q_OBJECT

private slots:
    void matchesSender_data();
    void matchesSender();
    void minusOneBinds65535();
};

void tst_statusReceiver::matchesSender_data()
{
    QTest::addColumn<statusReceiver::moduleKind>("kind");
    QTest::addColumn<QStringList>("addresses");  // per camera: IP, or "url:" + IP behind a URL
    QTest::addColumn<QList<QByteArray>>("datagrams");
    QTest::addColumn<QList<bool>>("reached");

    const auto cameraIo = statusReceiver::moduleKind::cameraIo;
    const auto intercom = statusReceiver::moduleKind::intercom;
    const QByteArray input1 = "17#A1@1000xy";
    const QByteArray call = "3#07@100\r\n";

    QTest::newRow("camera/IO, only the matching camera")
        << cameraIo << QStringList{"127.0.0.7", moduleAddress} << QList<QByteArray>{input1}
        << QList<bool>{false, true};
    QTest::newRow("two cameras with the same address")
        << cameraIo << QStringList{moduleAddress, "127.0.0.7", moduleAddress} << QList<QByteArray>{input1}
        << QList<bool>{true, false, true};
    QTest::newRow("zero-length datagram dropped, next processed")
        << cameraIo << QStringList{moduleAddress} << QList<QByteArray>{QByteArray(), input1}
        << QList<bool>{true};
    QTest::newRow("unparsable datagram, next processed")
        << cameraIo << QStringList{moduleAddress} << QList<QByteArray>{"garbage", input1} << QList<bool>{true};
    QTest::newRow("address entered as URL never matches")
        << cameraIo << QStringList{"url:" + moduleAddress, moduleAddress} << QList<QByteArray>{input1}
        << QList<bool>{false, true};
    QTest::newRow("intercom record matched")
        << intercom << QStringList{moduleAddress, "127.0.0.7"} << QList<QByteArray>{call}
        << QList<bool>{true, false};
}

void tst_statusReceiver::matchesSender()
{
    QFETCH(statusReceiver::moduleKind, kind);
    QFETCH(QStringList, addresses);
    QFETCH(QList<QByteArray>, datagrams);
    QFETCH(QList<bool>, reached);

    QList<camData *> cameras;
    for (const QString &address : addresses) {
        auto *cam = new camData(QPixmap(), nullptr, this);
        const bool isUrl = address.startsWith("url:");
        const QString text = isUrl ? address.mid(4) : address;
        const QString url = isUrl ? "http://" + text + "/mjpg/video.mjpg" : QString();
        cam->camModule.CAM_popup = 3;
        cam->sipModuleRec.SIP_popup = 7;
        cam->sipModuleRec.allRufNr = true;
        // The address of the other record is never the sender's, so a mix-up shows.
        if (kind == statusReceiver::moduleKind::cameraIo) {
            cam->camModule.IP = text;
            cam->camModule.URL = url;
            cam->sipModuleRec.SIP_IP = moduleAddress;
            cam->sipModuleRec.URL = "x";
        } else {
            cam->sipModuleRec.SIP_IP = text;
            cam->sipModuleRec.URL = url;
            cam->camModule.IP = moduleAddress;
            cam->camModule.URL = "x";
        }
        cameras.append(cam);
    }

    statusReceiver receiver(kind, &cameras);
    QVERIFY(receiver.bind(0));
    QUdpSocket module;
    QVERIFY(module.bind(QHostAddress(moduleAddress), 0));
    for (const QByteArray &datagram : datagrams)
        QCOMPARE(module.writeDatagram(datagram, QHostAddress::LocalHost, receiver.localPort()), datagram.size());

    const auto delivered = [&] {
        for (int i = 0; i < cameras.size(); ++i) {
            if (reached.at(i) && !statusOf(cameras.at(i), kind).popupRequest)
                return false;
        }
        return true;
    };
    QTRY_VERIFY(delivered());
    for (int i = 0; i < cameras.size(); ++i)
        QCOMPARE(statusOf(cameras.at(i), kind).popupRequest, reached.at(i));
    qDeleteAll(cameras);
}

void tst_statusReceiver::minusOneBinds65535()
{
    QList<camData *> none;
    statusReceiver receiver(statusReceiver::moduleKind::cameraIo, &none);
    QVERIFY(receiver.bind(-1));
    QCOMPARE(receiver.localPort(), quint16(65535));
}

QTEST_MAIN(tst_statusReceiver)
#include "tst_statusreceiver.moc"
