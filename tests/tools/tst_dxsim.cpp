#include "inidata.h"

#include <QImage>
#include <QNetworkDatagram>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

extern "C" {
#include <libavformat/avformat.h>
}

// Ends a running simulator through its console, as a script would.
struct QuitSim {
    void operator()(QProcess *process) const
    {
        process->write("quit\n");
        if (!process->waitForFinished(5000))
            process->kill();
        delete process;
    }
};
using SimProcess = std::unique_ptr<QProcess, QuitSim>;

// Drives the simulator as a separate process, the way scripts and the viewer meet it.
class tst_dxsim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void http_data();
    void http();
    void rtsp_data();
    void rtsp();
    void cameraSwitches();
    void statusDatagrams_data();
    void statusDatagrams();
    void commandFrames_data();
    void commandFrames();
    void writeIni_data();
    void writeIni();
    void rejectsOptions_data();
    void rejectsOptions();

private:
    QTemporaryDir replayDir;
    static SimProcess startSim(const QStringList &args);
    static quint16 freeTcpPort();
    static QByteArray waitForLine(QProcess *process, QByteArray *seen, const QByteArray &needle);
    static int parts(const QByteArray &stream, const QByteArray &boundary, QList<QImage> *images);
};

SimProcess tst_dxsim::startSim(const QStringList &args)
{
    // Free control ports, so that a simulator run elsewhere at the same time cannot collide.
    QStringList all = args;
    for (const QString &option : {QStringLiteral("--cam-control-port"), QStringLiteral("--sip-control-port")}) {
        if (all.contains(option))
            continue;
        QUdpSocket probe;
        probe.bind(QHostAddress(QStringLiteral("127.0.1.2")), 0);
        all << option << QString::number(probe.localPort());
    }
    SimProcess process(new QProcess);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->start(QStringLiteral(DXSIM_PATH), all);
    if (!process->waitForStarted())
        return nullptr;
    QByteArray seen;
    if (waitForLine(process.get(), &seen, "ready:").isEmpty()) {
        qWarning() << "simulator not ready:" << seen << process->readAllStandardError();
        return nullptr;
    }
    return process;
}

quint16 tst_dxsim::freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    return probe.serverPort();
}

// Returns the first stdout line containing needle, reading as the process writes.
QByteArray tst_dxsim::waitForLine(QProcess *process, QByteArray *seen, const QByteArray &needle)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        *seen += process->readAllStandardOutput();
        for (const QByteArray &line : seen->split('\n')) {
            if (line.contains(needle))
                return line;
        }
        if (!process->waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    return QByteArray();
}

// Counts the complete multipart parts of a stream body and decodes their pictures.
int tst_dxsim::parts(const QByteArray &stream, const QByteArray &boundary, QList<QImage> *images)
{
    const QByteArray delimiter = "--" + boundary + "\r\n";
    int count = 0;
    qsizetype at = stream.indexOf(delimiter);
    while (at >= 0) {
        const qsizetype headerEnd = stream.indexOf("\r\n\r\n", at);
        if (headerEnd < 0)
            break;
        const QByteArray headers = stream.mid(at, headerEnd - at);
        static const QRegularExpression lengthLine(QStringLiteral("Content-Length: (\\d+)"));
        const auto m = lengthLine.match(QString::fromLatin1(headers));
        if (!m.hasMatch() || !headers.contains("Content-Type: image/jpeg"))
            break;
        const qsizetype length = m.captured(1).toLongLong();
        const qsizetype end = headerEnd + 4 + length;
        if (stream.size() < end + 2)
            break;
        images->append(QImage::fromData(stream.mid(headerEnd + 4, length)));
        if (stream.mid(end, 2) != "\r\n")
            break;
        ++count;
        at = stream.indexOf(delimiter, end);
    }
    return count;
}

void tst_dxsim::initTestCase()
{
    QVERIFY(replayDir.isValid());
    for (const char *name : {"b.jpg", "a.JPG"}) {
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(replayDir.filePath(QLatin1String(name)), "JPG"));
    }
    QFile notAPicture(replayDir.filePath(QStringLiteral("c.jpg")));
    QVERIFY(notAPicture.open(QIODevice::WriteOnly) && notAPicture.write("not a picture") > 0);
}

void tst_dxsim::http_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("credentials");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("extraHeader");

    const QStringList open = {"--size", "320x240"};
    const QStringList locked = {"--size", "320x240", "--user", "root", "--password", "s3cret"};
    const QStringList withSub = {"--size", "320x240", "--sub", "160x120"};
    QTest::newRow("sub-stream path") << withSub << QByteArray("/mjpg/sub.mjpg") << QByteArray() << QByteArray("200 OK")
                                     << QByteArray("multipart/x-mixed-replace");
    QTest::newRow("stream path beside a sub-stream") << withSub << QByteArray("/mjpg/video.mjpg") << QByteArray()
                                                     << QByteArray("200 OK") << QByteArray("multipart/x-mixed-replace");
    QTest::newRow("sub-stream path without one") << open << QByteArray("/mjpg/sub.mjpg") << QByteArray()
                                                 << QByteArray("404 Not Found") << QByteArray();
    QTest::newRow("sub-stream of a replayed folder") << QStringList{"--replay", replayDir.path(), "--sub", "160x120"}
                                                     << QByteArray("/mjpg/sub.mjpg") << QByteArray()
                                                     << QByteArray("200 OK") << QByteArray("multipart/x-mixed-replace");
    QTest::newRow("stream path") << open << QByteArray("/mjpg/video.mjpg") << QByteArray() << QByteArray("200 OK")
                                 << QByteArray("Content-Type: multipart/x-mixed-replace; boundary=");
    QTest::newRow("cycled pictures") << QStringList{"--size", "320x240", "--cycle", "2"} << QByteArray("/mjpg/video.mjpg")
                                     << QByteArray() << QByteArray("200 OK") << QByteArray("multipart/x-mixed-replace");
    QTest::newRow("replayed folder") << QStringList{"--replay", replayDir.path()} << QByteArray("/mjpg/video.mjpg")
                                     << QByteArray() << QByteArray("200 OK") << QByteArray("multipart/x-mixed-replace");
    QTest::newRow("camera cgi path") << open << QByteArray("/axis-cgi/mjpg/video.cgi?fps=10") << QByteArray()
                                     << QByteArray("200 OK") << QByteArray("multipart/x-mixed-replace");
    QTest::newRow("other path") << open << QByteArray("/index.html") << QByteArray() << QByteArray("404 Not Found")
                                << QByteArray();
    QTest::newRow("no credentials") << locked << QByteArray("/mjpg/video.mjpg") << QByteArray()
                                    << QByteArray("401 Unauthorized")
                                    << QByteArray("WWW-Authenticate: Basic realm=\"dxsim\"");
    QTest::newRow("wrong credentials") << locked << QByteArray("/mjpg/video.mjpg") << QByteArray("root:guess")
                                       << QByteArray("401 Unauthorized") << QByteArray("WWW-Authenticate: Basic");
    QTest::newRow("right credentials") << locked << QByteArray("/mjpg/video.mjpg") << QByteArray("root:s3cret")
                                       << QByteArray("200 OK") << QByteArray("multipart/x-mixed-replace");
}

void tst_dxsim::http()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, credentials);
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, extraHeader);

    const quint16 port = freeTcpPort();
    auto sim = startSim(simArgs + QStringList{"--port", QString::number(port), "--fps", "20"});
    QVERIFY(sim);

    QTcpSocket client;
    client.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), port);
    QVERIFY(client.waitForConnected(5000));
    QByteArray request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.2\r\n";
    if (!credentials.isEmpty())
        request += "Authorization: Basic " + credentials.toBase64() + "\r\n";
    client.write(request + "\r\n");

    QByteArray received;
    const bool streaming = status == "200 OK";
    QList<QImage> images;
    QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll(),
                              streaming ? received.contains("\r\n\r\n")
                                        : client.state() == QAbstractSocket::UnconnectedState),
                             10000);
    received += client.readAll();
    QVERIFY2(received.startsWith("HTTP/1.1 " + status + "\r\n"), received.left(200).constData());
    const QByteArray header = received.left(received.indexOf("\r\n\r\n") + 4);
    QVERIFY2(header.contains(extraHeader), header.constData());
    if (!streaming)
        return;

    const QByteArray boundary = header.mid(header.indexOf("boundary=") + 9).split('\r').first();
    QVERIFY(!boundary.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll(), images.clear(),
                              parts(received.mid(header.size()), boundary, &images) >= 2),
                             10000);
    const QSize expected = path == "/mjpg/sub.mjpg" ? QSize(160, 120) : QSize(320, 240);
    for (const QImage &image : images) {
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), expected);
    }
}

void tst_dxsim::rtsp_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("pictureSize");  // invalid: the stream is not there

    const QStringList twoSizes = {"--size", "320x240", "--sub", "160x120"};
    QTest::newRow("main stream beside a small one") << twoSizes << "/stream" << QSize(320, 240);
    QTest::newRow("small stream") << twoSizes << "/sub" << QSize(160, 120);
    QTest::newRow("small stream path without one") << QStringList{"--size", "320x240"} << "/sub" << QSize();
}

// Read as another RTSP client would, while a second client plays the camera's main stream.
void tst_dxsim::rtsp()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QString, path);
    QFETCH(QSize, pictureSize);

    const quint16 port = freeTcpPort();
    auto sim = startSim(simArgs + QStringList{"--rtsp", "--rtsp-port", QString::number(port), "--port",
                                              QString::number(freeTcpPort()), "--fps", "20"});
    QVERIFY(sim);
    av_log_set_level(AV_LOG_FATAL);  // a refused stream is no news here
    auto open = [port](const QString &streamPath) {
        AVDictionary *settings = nullptr;
        av_dict_set(&settings, "rtsp_transport", "tcp", 0);
        av_dict_set(&settings, "timeout", "5000000", 0);
        AVFormatContext *context = nullptr;
        const QByteArray url = QStringLiteral("rtsp://127.0.0.2:%1%2").arg(port).arg(streamPath).toLatin1();
        if (avformat_open_input(&context, url.constData(), nullptr, &settings) < 0
            || avformat_find_stream_info(context, nullptr) < 0)
            avformat_close_input(&context);
        av_dict_free(&settings);
        return std::unique_ptr<AVFormatContext, void (*)(AVFormatContext *)>(
            context, [](AVFormatContext *c) { avformat_close_input(&c); });
    };
    const auto main = open(QStringLiteral("/stream"));
    QVERIFY(main);
    const auto other = open(path);
    QCOMPARE(bool(other), pictureSize.isValid());
    if (!other)
        return;
    QCOMPARE(QSize(other->streams[0]->codecpar->width, other->streams[0]->codecpar->height), pictureSize);
    AVPacket *packet = av_packet_alloc();
    for (AVFormatContext *client : {main.get(), other.get()}) {
        QCOMPARE(av_read_frame(client, packet), 0);
        QVERIFY(packet->size > 0);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
}

// A stalled camera keeps the connection but sends nothing while its neighbour streams; resume
// brings its pictures; a refusing camera drops new connections at once.
void tst_dxsim::cameraSwitches()
{
    const quint16 port = freeTcpPort();
    auto sim = startSim({"--cameras", "2", "--port", QString::number(port), "--stall", "1", "--size", "160x120",
                         "--fps", "25"});
    QVERIFY(sim);

    QTcpSocket stalled;
    QTcpSocket running;
    stalled.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), port);
    running.connectToHost(QHostAddress(QStringLiteral("127.0.0.3")), port);
    QVERIFY(stalled.waitForConnected(5000) && running.waitForConnected(5000));
    stalled.write("GET /mjpg/video.mjpg HTTP/1.0\r\n\r\n");
    running.write("GET /mjpg/video.mjpg HTTP/1.0\r\n\r\n");

    QByteArray fromRunning;
    QTRY_VERIFY_WITH_TIMEOUT((fromRunning += running.readAll(), fromRunning.count("Content-Type: image/jpeg") >= 3),
                             10000);
    QCOMPARE(stalled.bytesAvailable(), qint64(0));
    QCOMPARE(stalled.state(), QAbstractSocket::ConnectedState);

    QByteArray seen;
    sim->write("resume 1\nrefuse 2\n");
    QVERIFY(!waitForLine(sim.get(), &seen, "camera 2 refuses").isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(stalled.bytesAvailable() > 0, 10000);
    QVERIFY(stalled.readAll().startsWith("HTTP/1.0 200 OK\r\n"));

    QTcpSocket refused;
    QSignalSpy disconnected(&refused, &QTcpSocket::disconnected);
    refused.connectToHost(QHostAddress(QStringLiteral("127.0.0.3")), port);
    refused.write("GET /mjpg/video.mjpg HTTP/1.0\r\n\r\n");
    QVERIFY(disconnected.wait(10000));
    QCOMPARE(refused.readAll(), QByteArray());
}

void tst_dxsim::statusDatagrams_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<bool>("toStationPort");
    QTest::addColumn<QString>("datagram");   // pattern

    QTest::newRow("station 1 calls") << "call 1 100" << "127.0.1.2" << true << "^\\d+#07@100\\r\\n$";
    QTest::newRow("station 2 is called") << "ring 2 200" << "127.0.1.3" << true << "^\\d+#01@200\\r\\n$";
    QTest::newRow("conversation, default callee") << "talk 1" << "127.0.1.2" << true << "^\\d+#05@100\\r\\n$";
    QTest::newRow("hang-up") << "hangup 2" << "127.0.1.3" << true << "^\\d+#0A@\\r\\n$";
    QTest::newRow("input 1 active") << "input 2 1 on" << "127.0.0.3" << false << "^\\d+#A1@1001Dx$";
    QTest::newRow("input 2 active") << "input 1 2 on" << "127.0.0.2" << false << "^\\d+#A1@1010Dx$";
}

void tst_dxsim::statusDatagrams()
{
    QFETCH(QString, command);
    QFETCH(QString, sender);
    QFETCH(bool, toStationPort);
    QFETCH(QString, datagram);

    QUdpSocket camStatus;
    QUdpSocket sipStatus;
    QVERIFY(camStatus.bind(QHostAddress::LocalHost, 0));
    QVERIFY(sipStatus.bind(QHostAddress::LocalHost, 0));
    auto sim = startSim({"--cameras", "2", "--port", QString::number(freeTcpPort()), "--cam-status-port",
                         QString::number(camStatus.localPort()), "--sip-status-port",
                         QString::number(sipStatus.localPort())});
    QVERIFY(sim);

    sim->write(command.toLatin1() + '\n');
    QUdpSocket &expected = toStationPort ? sipStatus : camStatus;
    QUdpSocket &other = toStationPort ? camStatus : sipStatus;
    QTRY_VERIFY_WITH_TIMEOUT(expected.hasPendingDatagrams(), 10000);
    const QNetworkDatagram received = expected.receiveDatagram();
    QCOMPARE(received.senderAddress().toString(), sender);
    QVERIFY2(QRegularExpression(datagram).match(QString::fromLatin1(received.data())).hasMatch(),
             received.data().constData());
    QVERIFY(!other.hasPendingDatagrams());
}

void tst_dxsim::commandFrames_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("toStation");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("printed");

    QTest::newRow("door relay to station")
        << "127.0.1.2" << true << QByteArray("BSREM7F000001001034711D8")
        << "frame station 1 BSREM own=127.0.0.1 seq=00 out=1 dur=3 pw=4711 sum=ok";
    QTest::newRow("relay with duration 54 to io module")
        << "127.0.0.3" << false << QByteArray("BSREM7F0000010A3364711F1")
        << "frame io 2 BSREM own=127.0.0.1 seq=0A out=3 dur=54 pw=4711 sum=ok";
    QTest::newRow("relay without duration")
        << "127.0.0.2" << false << QByteArray("BSREM7F0000010134FF7A2")
        << "frame io 1 BSREM own=127.0.0.1 seq=01 out=3 dur=none pw=4FF7 sum=ok";
    QTest::newRow("hang-up command")
        << "127.0.1.2" << true << QByteArray("BSRCMD7F000001054711r3000C0")
        << "frame station 1 BSRCMD own=127.0.0.1 seq=05 pw=4711 cmd=3 sum=ok";
    QTest::newRow("wrong checksum")
        << "127.0.1.3" << true << QByteArray("BSREM7F000001001034711D9")
        << "frame station 2 BSREM own=127.0.0.1 seq=00 out=1 dur=3 pw=4711 sum=BAD expected=D8";
    QTest::newRow("cut frame") << "127.0.1.2" << true << QByteArray("BSREM7F00") << "frame station 1 malformed";
}

void tst_dxsim::commandFrames()
{
    QFETCH(QString, target);
    QFETCH(bool, toStation);
    QFETCH(QByteArray, frame);
    QFETCH(QString, printed);

    QUdpSocket probe;
    QVERIFY(probe.bind(QHostAddress(QStringLiteral("127.0.0.9")), 0));
    const quint16 camControl = probe.localPort();
    probe.close();
    QVERIFY(probe.bind(QHostAddress(QStringLiteral("127.0.1.9")), 0));
    const quint16 sipControl = probe.localPort();
    probe.close();
    auto sim = startSim({"--cameras", "2", "--port", QString::number(freeTcpPort()), "--cam-control-port",
                         QString::number(camControl), "--sip-control-port", QString::number(sipControl)});
    QVERIFY(sim);

    QUdpSocket viewer;
    viewer.writeDatagram(frame, QHostAddress(target), toStation ? sipControl : camControl);
    QByteArray seen;
    const QByteArray line = waitForLine(sim.get(), &seen, "frame ");
    QVERIFY2(line.startsWith(printed.toLatin1()), line.constData());
}

void tst_dxsim::writeIni_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QStringList>("entries");   // "section|key=value"
    QTest::addColumn<QString>("camPassword");

    QTest::newRow("two cameras on port 80")
        << QStringList{"--cameras", "2", "--user", "root", "--password", "pw"}
        << QStringList{"Window", "System", "Kamera 1_127.0.0.2", "Kamera 2_127.0.0.3"}
        << QStringList{"Window|x=30.0", "Window|hheight=480.0", "Window|Auto_Popup=1", "Window|Autohide=1",
                       "Window|Timeout=8", "Window|nPicCol=2", "Window|nPicRow=2", "Window|scaleMode=0",
                       "System|ownIP=127.0.0.1", "System|RemoteCtrl=1", "System|HideStartEn=0",
                       "Kamera 2_127.0.0.3|camName=Kamera 2", "Kamera 2_127.0.0.3|IP=127.0.0.3",
                       "Kamera 2_127.0.0.3|URL=", "Kamera 2_127.0.0.3|sipName=Tür 2",
                       "Kamera 2_127.0.0.3|SIP_IP=127.0.1.3", "Kamera 2_127.0.0.3|CAM_User=root",
                       "Kamera 1_127.0.0.2|CAM_popup=3", "Kamera 1_127.0.0.2|SIP_popup=7",
                       "Kamera 1_127.0.0.2|allRufNr=1", "Kamera 1_127.0.0.2|SIP_tuer=1",
                       "Kamera 1_127.0.0.2|SIP_light=2", "Kamera 1_127.0.0.2|UDP_Status_CAM=5000",
                       "Kamera 1_127.0.0.2|UDP_Contrl_CAM=4005", "Kamera 1_127.0.0.2|UDP_Status_SIP=8112",
                       "Kamera 1_127.0.0.2|UDP_Contrl_SIP=8113"}
        << "pw";
    const QString url = QStringLiteral("Kamera 3_http://127.0.0.4:8181/mjpg/video.mjpg");
    QTest::newRow("other port and grid")
        << QStringList{"--cameras", "3", "--port", "8181", "--grid", "3x1", "--user", "admin", "--password", "pw"}
        << QStringList{"Window", "System", "Kamera 1_http://127.0.0.2:8181/mjpg/video.mjpg",
                       "Kamera 2_http://127.0.0.3:8181/mjpg/video.mjpg", url}
        << QStringList{"Window|nPicCol=3", "Window|nPicRow=1", url + "|IP=",
                       url + "|URL=http://127.0.0.4:8181/mjpg/video.mjpg", url + "|CAM_User=admin",
                       url + "|SIP_IP=127.0.1.4", url + "|CAM_Password=pw"}
        << "pw";
    const QString rtsp = QStringLiteral("Kamera 2_rtsp://127.0.0.3:8554/stream");
    QTest::newRow("RTSP streams")
        << QStringList{"--cameras", "2", "--rtsp", "--rtsp-port", "8554", "--user", "admin", "--password", "pw"}
        << QStringList{"Window", "System", "Kamera 1_rtsp://127.0.0.2:8554/stream", rtsp}
        << QStringList{rtsp + "|IP=", rtsp + "|URL=rtsp://127.0.0.3:8554/stream", rtsp + "|CAM_User=admin",
                       rtsp + "|CAM_Password=pw"}
        << "pw";
    QTest::newRow("one RTSP stream beside Motion-JPEG")
        << QStringList{"--cameras", "3", "--rtsp", "--rtsp-port", "8554", "--rtsp-camera", "2"}
        << QStringList{"Window", "System", "Kamera 1_127.0.0.2", rtsp, "Kamera 3_127.0.0.4"}
        << QStringList{rtsp + "|URL=rtsp://127.0.0.3:8554/stream", "Kamera 3_127.0.0.4|URL="}
        << "";
    QTest::newRow("sub-streams, RTSP and Motion-JPEG")
        << QStringList{"--cameras", "2", "--rtsp", "--rtsp-port", "8554", "--rtsp-camera", "2", "--sub", "320x180"}
        << QStringList{"Window", "System", "Kamera 1_127.0.0.2", rtsp}
        << QStringList{rtsp + "|URL_Sub=rtsp://127.0.0.3:8554/sub", "Kamera 1_127.0.0.2|URL_Sub=http://127.0.0.2/mjpg/sub.mjpg"}
        << "";
    const QString http = QStringLiteral("Kamera 1_http://127.0.0.2:8181/mjpg/video.mjpg");
    QTest::newRow("sub-stream on another HTTP port")
        << QStringList{"--cameras", "2", "--port", "8181", "--rtsp", "--rtsp-port", "8554", "--rtsp-camera", "2",
                       "--sub", "320x180"}
        << QStringList{"Window", "System", http, rtsp}
        << QStringList{http + "|URL_Sub=http://127.0.0.2:8181/mjpg/sub.mjpg"} << "";
}

void tst_dxsim::writeIni()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, sections);
    QFETCH(QStringList, entries);
    QFETCH(QString, camPassword);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dxcamviewer.ini"));
    QProcess sim;
    sim.start(QStringLiteral(DXSIM_PATH), simArgs + QStringList{"--write-ini", path});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 0);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    QVERIFY(text.startsWith(QLatin1String("\n[Window]\n")));
    QVERIFY(!text.contains(QLatin1Char('\r')));

    QStringList found;
    QMap<QString, QStringList> keys;
    QString section;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('['))) {
            section = line.mid(1, line.size() - 2);
            found.append(section);
        } else {
            keys[section].append(line);
        }
    }
    QCOMPARE(found, sections);
    for (const QString &entry : entries) {
        const QStringList parts = entry.split(QLatin1Char('|'));
        QVERIFY2(keys.value(parts.at(0)).contains(parts.at(1)), qPrintable(entry));
    }
    // Every module section carries the same complete key set, in the viewer's order.
    for (const QString &module : sections.mid(2)) {
        QStringList names;
        for (const QString &line : keys.value(module))
            names.append(line.section(QLatin1Char('='), 0, 0));
        // A small stream's address comes last, and only with one.
        const bool sub = simArgs.contains(QStringLiteral("--sub"));
        QCOMPARE(names.size(), sub ? 36 : 35);
        QCOMPARE(names.first(), QStringLiteral("camName"));
        QCOMPARE(names.last(), sub ? QStringLiteral("URL_Sub") : QStringLiteral("allRufNr"));

        // Stored scrambled with the record's address, as the viewer reads them back.
        QMap<QString, QString> values;
        for (const QString &line : keys.value(module))
            values.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
        QCOMPARE(iniData::scrambleText(values.value("CAM_Password"), values.value("IP"), true), camPassword);
        QCOMPARE(iniData::scrambleText(values.value("SIP_Password"), values.value("SIP_IP"), true), QStringLiteral("4711"));
        QVERIFY(values.value("SIP_Password") != QLatin1String("4711"));
    }
}

void tst_dxsim::rejectsOptions_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::newRow("viewer on a private network") << QStringList{"--viewer", "192.168.0.177"};
    QTest::newRow("viewer on another private network") << QStringList{"--viewer", "10.0.0.1"};
    QTest::newRow("viewer not an address") << QStringList{"--viewer", "localhost"};
    QTest::newRow("too many cameras") << QStringList{"--cameras", "21"};
    QTest::newRow("bad size") << QStringList{"--size", "640"};
    QTest::newRow("stall of a missing camera") << QStringList{"--cameras", "2", "--stall", "3"};
    QTest::newRow("RTSP port without RTSP") << QStringList{"--rtsp-port", "8554"};
    QTest::newRow("RTSP stream of a missing camera") << QStringList{"--cameras", "2", "--rtsp", "--rtsp-camera", "3"};
    QTest::newRow("sub-stream too small") << QStringList{"--sub", "32x18"};
}

void tst_dxsim::rejectsOptions()
{
    QFETCH(QStringList, simArgs);
    QProcess sim;
    sim.start(QStringLiteral(DXSIM_PATH), simArgs + QStringList{"--duration", "1"});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QVERIFY(sim.exitCode() != 0);
    QVERIFY(sim.readAllStandardOutput().isEmpty());
    QVERIFY(sim.readAllStandardError().contains("dxsim: "));
}

QTEST_GUILESS_MAIN(tst_dxsim)
#include "tst_dxsim.moc"
