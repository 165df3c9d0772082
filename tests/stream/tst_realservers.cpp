#include "camdata.h"
#include "httpstream.h"
#include "rtspreader.h"
#include "testcamera.h"
#include "zertdia.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The camera client against a web server nobody here wrote: lighttpd on 127.0.0.5, set up by
// the test, serving a multipart stream from a CGI behind Basic, Digest MD5 and Digest SHA-256,
// and over HTTPS with certificates the test makes. The RTSP reader and its recordings against
// GStreamer's RTSP server on 127.0.0.6, with pictures its encoders make as cameras set them up.
class tst_realServers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void streams_data();
    void streams();
    void trustOnFirstUse_data();
    void trustOnFirstUse();
    void rtspRecordings_data();
    void rtspRecordings();
    void rtspStreams_data();
    void rtspStreams();

private:
    bool startRtsp();
    QString write(const QString &name, const QByteArray &content);
    QByteArray run(const QString &program, const QStringList &arguments);
    QString makeCertificate(const QString &name);
    QString url(bool https, quint16 port, const QString &path) const;

    QTemporaryDir dir;
    QProcess server;
    QProcess rtspServer;
    quint16 rtspPort = 0;
    quint16 rtspDigestPort = 0;
    quint16 rtspsFirstPort = 0;   // the certificates of the HTTPS ports
    quint16 rtspsSecondPort = 0;
    quint16 plainPort = 0;
    quint16 firstTlsPort = 0;
    quint16 secondTlsPort = 0;
    QString firstFingerprint;
    QString firstValidity;  // as the trust question shows it
};

namespace {

const QString host = QStringLiteral("127.0.0.5");
const QString rtspHost = QStringLiteral("127.0.0.6");

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress(host)) ? probe.serverPort() : 0;
}

// 40 pictures of %1 in two seconds; query.cgi only for camera 2.
const char *const streamScript =
    "[ \"${SCRIPT_NAME##*/}\" = query.cgi ] && [ \"$QUERY_STRING\" != camera=2 ] && "
    "{ printf 'Status: 404\\r\\n\\r\\n'; exit 0; }\n"
    "printf 'Content-Type: multipart/x-mixed-replace; boundary=b\\r\\n\\r\\n'\n"
    "i=0\n"
    "while [ $i -lt 40 ]; do\n"
    "  printf -- '--b\\r\\nContent-Type: image/jpeg\\r\\n\\r\\n'; cat '%1'; printf '\\r\\n'\n"
    "  i=$((i+1)); sleep 0.05\n"
    "done\n";

} // namespace

QString tst_realServers::write(const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    return path;
}

QByteArray tst_realServers::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// A self-signed certificate; returns its SHA-256 fingerprint as openssl shows it.
QString tst_realServers::makeCertificate(const QString &name)
{
    const QString key = dir.filePath(name + QStringLiteral(".key"));
    const QString certificate = dir.filePath(name + QStringLiteral(".pem"));
    run(QStringLiteral("openssl"),
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out",
         certificate, "-days", "2", "-subj", "/CN=" + name});
    const QByteArray line = run(QStringLiteral("openssl"), {"x509", "-in", certificate, "-noout", "-fingerprint", "-sha256"});
    return QString::fromLatin1(line.mid(line.indexOf('=') + 1).trimmed());
}

QString tst_realServers::url(bool https, quint16 port, const QString &path) const
{
    return QStringLiteral("%1://%2:%3%4").arg(https ? "https" : "http", host).arg(port).arg(path);
}

void tst_realServers::initTestCase()
{
    const QString lighttpd = QStandardPaths::findExecutable(QStringLiteral("lighttpd"), {"/usr/sbin", "/usr/bin"});
    QVERIFY2(!lighttpd.isEmpty(), "lighttpd is missing: scripts/install-deps.sh installs it");
    QVERIFY(dir.isValid());
    plainPort = freePort();
    firstTlsPort = freePort();
    secondTlsPort = freePort();
    QVERIFY(plainPort && firstTlsPort && secondTlsPort);

    firstFingerprint = makeCertificate(QStringLiteral("first"));
    QCOMPARE(firstFingerprint.size(), 95);
    const QList<QByteArray> dates = run(QStringLiteral("openssl"), {"x509", "-in", dir.filePath("first.pem"), "-noout",
                                                                   "-dates", "-dateopt", "iso_8601"})
                                        .split('\n');
    firstValidity = QStringLiteral("%1 UTC bis %2 UTC")
                        .arg(QString::fromLatin1(dates.value(0).mid(10, 16)), QString::fromLatin1(dates.value(1).mid(9, 16)));
    QVERIFY(!makeCertificate(QStringLiteral("second")).isEmpty());
    const QString picture = write(QStringLiteral("picture.jpg"), noiseJpeg(QSize(320, 240), 7));
    const QByteArray script = QString::fromLatin1(streamScript).arg(picture).toUtf8();
    for (const char *path : {"www/stream.cgi", "www/query.cgi", "www/basic/stream.cgi", "www/md5/stream.cgi",
                             "www/sha/stream.cgi"})
        QVERIFY(!write(QLatin1String(path), script).isEmpty());
    QVERIFY(!write(QStringLiteral("users"), QStringLiteral("viewer:secret\ngast:gr\u00fcn\n").toUtf8()).isEmpty());

    const auto area = [](const char *path, const char *method) {
        return QStringLiteral("$HTTP[\"url\"] =~ \"^/%1/\" { auth.require = (\"\" => (%2, \"realm\" => \"cam\", "
                              "\"require\" => \"valid-user\")) }\n")
            .arg(QLatin1String(path), QLatin1String(method));
    };
    const auto tls = [this](quint16 port, const char *name) {
        return QStringLiteral("$SERVER[\"socket\"] == \"%1:%2\" { ssl.engine = \"enable\" ssl.pemfile = \"%3.pem\" "
                              "ssl.privkey = \"%3.key\" }\n")
            .arg(host)
            .arg(port)
            .arg(dir.filePath(QLatin1String(name)));
    };
    const QString config = QStringLiteral("server.document-root = \"%1/www\"\nserver.bind = \"%2\"\n"
                                          "server.port = %3\nserver.errorlog = \"%1/error.log\"\n"
                                          "server.modules = (\"mod_auth\", \"mod_authn_file\", \"mod_cgi\", "
                                          "\"mod_openssl\")\n"
                                          "cgi.assign = (\".cgi\" => \"/bin/sh\")\nserver.stream-response-body = 2\n"
                                          "auth.backend = \"plain\"\n"
                                          "auth.backend.plain.userfile = \"%1/users\"\n")
                               .arg(dir.path(), host)
                               .arg(plainPort)
        + area("basic", "\"method\" => \"basic\"") + area("md5", "\"method\" => \"digest\", \"algorithm\" => \"MD5\"")
        + area("sha", "\"method\" => \"digest\", \"algorithm\" => \"SHA-256\"") + tls(firstTlsPort, "first")
        + tls(secondTlsPort, "second");
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(lighttpd, {QStringLiteral("-D"), QStringLiteral("-f"), write(QStringLiteral("lighttpd.conf"), config.toUtf8())});
    QVERIFY(server.waitForStarted());
    const auto listening = [this] {
        QTcpSocket probe;
        probe.connectToHost(host, secondTlsPort);
        return probe.waitForConnected(200);
    };
    QTRY_VERIFY2(listening() || server.state() == QProcess::NotRunning, "lighttpd does not listen");
    QVERIFY(server.state() == QProcess::Running);

    QVERIFY2(startRtsp(), "gst-rtsp-server did not start: scripts/install-deps.sh installs it");
}

void tst_realServers::cleanupTestCase()
{
    server.terminate();
    server.waitForFinished(5000);
    rtspServer.kill();
    rtspServer.waitForFinished(5000);
}

// On its first start on free ports; started again (a camera rebooting) on the same ones.
bool tst_realServers::startRtsp()
{
    if (rtspServer.state() != QProcess::NotRunning)
        return true;
    const auto freeRtspPort = [] {
        QTcpServer probe;
        return probe.listen(QHostAddress(rtspHost)) ? probe.serverPort() : quint16(0);
    };
    rtspPort = rtspPort ? rtspPort : freeRtspPort();
    rtspDigestPort = rtspDigestPort ? rtspDigestPort : freeRtspPort();
    rtspsFirstPort = rtspsFirstPort ? rtspsFirstPort : freeRtspPort();
    rtspsSecondPort = rtspsSecondPort ? rtspsSecondPort : freeRtspPort();
    QStringList arguments{QStringLiteral(TESTS_SOURCE_DIR "/stream/gstrtspserver.py"), "--address", rtspHost, "--port",
                          QString::number(rtspPort), "--digest-port", QString::number(rtspDigestPort), "--size", "320x180"};
    for (const auto &[port, name] : {std::pair{rtspsFirstPort, "first"}, std::pair{rtspsSecondPort, "second"}})
        arguments << "--tls-port" << QString::number(port) << "--cert" << dir.filePath(name + QStringLiteral(".pem"))
                  << "--key" << dir.filePath(name + QStringLiteral(".key"));
    rtspServer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    rtspServer.start(QStringLiteral("/usr/bin/python3"), arguments);
    return QTest::qWaitFor([this] { return rtspServer.canReadLine() || rtspServer.state() == QProcess::NotRunning; }, 20000)
           && rtspServer.readLine().startsWith("ready");
}

void tst_realServers::streams_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<connectionReason::kind>("reason");  // none: pictures are shown
    using kind = connectionReason::kind;
    QTest::newRow("no login") << "/stream.cgi" << "" << "" << kind::none;
    QTest::newRow("Basic") << "/basic/stream.cgi" << "viewer" << "secret" << kind::none;
    QTest::newRow("Basic, wrong password") << "/basic/stream.cgi" << "viewer" << "wrong" << kind::loginRefused;
    QTest::newRow("Digest MD5") << "/md5/stream.cgi" << "viewer" << "secret" << kind::none;
    QTest::newRow("Digest MD5, UTF-8 password") << "/md5/stream.cgi" << "gast" << QStringLiteral("gr\u00fcn") << kind::none;
    QTest::newRow("Digest SHA-256 only") << "/sha/stream.cgi" << "viewer" << "secret" << kind::none;
    QTest::newRow("query reaches the camera") << "/query.cgi?camera=2" << "" << "" << kind::none;
    QTest::newRow("not found") << "/missing.cgi" << "" << "" << kind::notFound;
}

void tst_realServers::streams()
{
    QFETCH(QString, path);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(connectionReason::kind, reason);
    wiredCamera wired;
    wired.camera.camModule.CAM_User = user;
    wired.camera.camModule.CAM_Password = password;
    wired.start(url(false, plainPort, path));
    if (reason == connectionReason::kind::none)
        QTRY_VERIFY_WITH_TIMEOUT(wired.tickShown(), 10000);
    else
        QTRY_COMPARE_WITH_TIMEOUT((wired.tickShown(), wired.camera.notShownKind()), reason, 10000);
    QCOMPARE(wired.camera.notShownKind(), reason);
}

void tst_realServers::trustOnFirstUse_data()
{
    QTest::addColumn<QString>("first");   // served with the certificate "first"
    QTest::addColumn<QString>("second");  // with "second"
    QTest::addColumn<QString>("transport");
    QTest::newRow("HTTPS") << url(true, firstTlsPort, QStringLiteral("/stream.cgi"))
                           << url(true, secondTlsPort, QStringLiteral("/stream.cgi")) << "HTTPS";
    const QString rtsps = QStringLiteral("rtsps://%1:%2/h264").arg(rtspHost);
    QTest::newRow("RTSPS") << rtsps.arg(rtspsFirstPort) << rtsps.arg(rtspsSecondPort) << "RTSPS/TCP";
}

// Refused until trusted, then streaming; another certificate later is refused.
void tst_realServers::trustOnFirstUse()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, transport);
    QVERIFY(startRtsp());
    wiredCamera wired;
    camData &camera = wired.camera;
    wired.start(first);
    QTRY_COMPARE((wired.tickShown(), camera.notShownKind()), connectionReason::kind::certificateUntrusted);
    QVERIFY(camera.certificateQuestion());
    QCOMPARE(camera.notShownReason(), QStringLiteral("Zertifikat nicht vertraut (SHA-256 %1)").arg(firstFingerprint));

    // The question shows what openssl says of the certificate, and why it did not verify.
    zertDia question(0);
    question.fill(camera.camModule, camera.untrustedCertificate(), camera.untrustedCertificateErrors());
    const auto shown = [&question](const char *name) { return question.findChild<QLabel *>(name)->text(); };
    QCOMPARE(shown("siteTxL"), "Eingang at " + first);
    QCOMPARE(shown("subjectTxL"), QStringLiteral("CN=first"));
    QCOMPARE(shown("validTxL"), firstValidity);
    QCOMPARE(shown("fingerTxL"), firstFingerprint);
    QCOMPARE(shown("reasonTxL"), QStringLiteral("Ausgestellt für einen anderen Namen als die Adresse der Kamera\n"
                                                "Selbst ausgestellt, von keiner bekannten Stelle bestätigt"));

    // Declined: not asked and not connected again until asked for.
    camera.declineCertificate();
    QVERIFY(!camera.certificateQuestion());
    wired.start(first);
    QCOMPARE(camera.requestIdValue(), -1);
    QVERIFY(!camera.rtspStream());

    camera.askCertificateAgain();
    QVERIFY(camera.certificateQuestion());
    camera.trustCertificate();
    QCOMPARE(camera.camModule.CAM_Fingerprint, firstFingerprint);
    wired.start(first);
    QTRY_VERIFY_WITH_TIMEOUT(wired.tickShown(), 10000);
    QTRY_COMPARE((wired.tickShown(), camera.notShownKind()), connectionReason::kind::none);
    QCOMPARE(camera.transportText(), transport);

    // The trusted fingerprint is this certificate's alone.
    wired.start(second);
    QTRY_COMPARE((wired.tickShown(), camera.notShownKind()), connectionReason::kind::certificateChanged);
    QVERIFY(!camera.certificateQuestion());
    QCOMPARE(camera.camModule.CAM_Fingerprint, firstFingerprint);
}

void tst_realServers::rtspRecordings_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("restart");  // the server goes for 2 s in the middle of the recording
    QTest::newRow("B-pictures") << "/h264-bframes" << false;
    QTest::newRow("server restarts") << "/h264" << true;
}

// An automatic recording read back by ffprobe: decoding times rise, the presentation times lie
// one picture (40 ms) apart with B-pictures in decoding order after the picture shown after
// them, and the file lasts as long as the recording, with a gap for the time the server was gone.
void tst_realServers::rtspRecordings()
{
    QFETCH(QString, path);
    QFETCH(bool, restart);
    QVERIFY(startRtsp());
    QTemporaryDir folder;
    wiredCamera wired;
    camData &camera = wired.camera;
    wired.stallTimeout = 2000;
    const QString address = QStringLiteral("rtsp://%1:%2%3").arg(rtspHost).arg(rtspPort).arg(path);
    const auto cycle = [&] {
        const bool due = camera.stallCheck(camera.tick(false), true);
        camera.finishRender();
        if (due)
            wired.start(address);
    };
    const auto recordFor = [&](int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            cycle();
            QTest::qWait(40);
        }
    };
    wired.start(address);
    QTRY_VERIFY_WITH_TIMEOUT((cycle(), camera.framesDisplayed >= 1), 10000);
    wired.settings.BildAllSaveEn = true;
    camera.camModule.CAMautoSaveEn = true;
    camera.camModule.dirCamBild = folder.path();
    camera.controlRecording();
    QElapsedTimer recorded;
    recorded.start();
    recordFor(3000);
    if (restart) {
        rtspServer.kill();
        rtspServer.waitForFinished();
        recordFor(2000);
        QVERIFY(startRtsp());
        const qint64 shown = camera.framesDisplayed;
        QTRY_VERIFY_WITH_TIMEOUT((cycle(), camera.framesDisplayed > shown + 25), 15000);
    }
    const QString file = camera.recorder().recordingPath();
    camera.closeRecording();
    const double seconds = recorded.elapsed() / 1000.0;
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);

    const QByteArray shown = run(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "packet=pts,dts:format=duration",
                                                              "-of", "csv=p=0", file});
    QList<QByteArray> lines = shown.trimmed().split('\n');
    const double duration = lines.takeLast().toDouble();
    // The wait for the first key picture (up to 2 s) is not in the file.
    QVERIFY2(duration > seconds - 2.3 && duration < seconds + 0.2,
             qPrintable(QStringLiteral("%1 s in the file, %2 s recorded").arg(duration).arg(seconds)));
    QList<qint64> times;
    qint64 lastDts = -1;
    int backwards = 0;
    for (const QByteArray &line : lines) {
        times << line.split(',').value(0).toLongLong();
        const QByteArray dts = line.split(',').value(1);
        QVERIFY2(dts == "N/A" || dts.toLongLong() >= lastDts, line.constData());
        lastDts = dts == "N/A" ? lastDts : dts.toLongLong();
        backwards += times.size() > 1 && times.last() < times.at(times.size() - 2);
    }
    QVERIFY2(times.size() > 10, shown.constData());
    QCOMPARE(backwards > times.size() / 4, path.contains(QLatin1String("bframes")));
    std::sort(times.begin(), times.end());
    QList<qint64> gaps;
    // Two packets of one picture share its time; the last P-picture's B-pictures had not come.
    for (int i = 1; i + 1 < times.size(); ++i) {
        const qint64 step = times[i] - times[i - 1];
        if (step != 0 && (step < 35 || step > 45))
            gaps << times[i] - times[i - 1];
    }
    QCOMPARE(gaps.size(), restart ? 1 : 0);
    QVERIFY2(!restart || gaps.first() > 2000, qPrintable(QString::number(gaps.value(0))));
}

void tst_realServers::rtspStreams_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("digest");  // on the server that asks viewer/secret by Digest
    QTest::addColumn<QString>("password");
    QTest::addColumn<connectionReason::kind>("reason");  // none: pictures are shown
    QTest::addColumn<rtspReader::transport>("transport");
    using kind = connectionReason::kind;
    using via = rtspReader::transport;
    QTest::newRow("H.264, 2 slices a picture") << "/h264-slices" << false << "" << kind::none << via::tcp;
    QTest::newRow("H.264 with B-pictures, CABAC") << "/h264-bframes" << false << "" << kind::none << via::tcp;
    QTest::newRow("H.265") << "/h265" << false << "" << kind::none << via::tcp;
    QTest::newRow("Motion-JPEG") << "/mjpeg" << false << "" << kind::none << via::tcp;
    QTest::newRow("Digest") << "/h264" << true << "secret" << kind::none << via::tcp;
    QTest::newRow("Digest, wrong password") << "/h264" << true << "wrong" << kind::loginRefused << via::none;
    QTest::newRow("not found") << "/missing" << false << "" << kind::notFound << via::none;
    QTest::newRow("UDP only") << "/udp-only" << false << "" << kind::none << via::udp;
}

// What cameras send decodes without a decoder error, by the transport the server offers; its
// refusals read as an HTTP camera's.
void tst_realServers::rtspStreams()
{
    QFETCH(QString, path);
    QFETCH(bool, digest);
    QFETCH(QString, password);
    QFETCH(connectionReason::kind, reason);
    QFETCH(rtspReader::transport, transport);
    wiredCamera wired;
    camData &camera = wired.camera;
    if (digest) {
        camera.camModule.CAM_User = QStringLiteral("viewer");
        camera.camModule.CAM_Password = password;
    }
    wired.start(QStringLiteral("rtsp://%1:%2%3").arg(rtspHost).arg(digest ? rtspDigestPort : rtspPort).arg(path));
    const rtspReader *reader = camera.rtspStream();
    if (reason != connectionReason::kind::none) {
        QTRY_COMPARE_WITH_TIMEOUT((wired.tickShown(), camera.notShownKind()), reason, 10000);
        return;
    }
    // Past the first key picture and some pictures after it.
    QTRY_VERIFY_WITH_TIMEOUT((wired.tickShown(), camera.framesDisplayed >= 8), 10000);
    QCOMPARE(camera.notShownKind(), connectionReason::kind::none);
    QCOMPARE(reader->transportUsed(), transport);
    QCOMPARE(reader->decoderErrorCount(), 0u);
}

QTEST_MAIN(tst_realServers)
#include "tst_realservers.moc"
