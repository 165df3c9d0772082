#include "httpauth.h"
#include "httpstream.h"
#include "testcamera.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// Answers the requests on 127.0.0.1 in turn with `answers`, the last one repeated, and keeps the
// connection open.
class cannedServer : public QTcpServer {
public:
    QList<QByteArray> answers;
    bool closeAfter = false;  // the connection ends after the answer
    QList<QByteArray> requests;

    cannedServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    input[socket] += socket->readAll();
                    if (!input[socket].contains("\r\n\r\n"))
                        return;
                    requests.append(input.take(socket));
                    socket->write(answers.value(requests.size() - 1, answers.last()));
                    if (closeAfter)
                        socket->disconnectFromHost();
                });
            }
        });
    }

private:
    QHash<QTcpSocket *, QByteArray> input;
};

QByteArray chunkedBody(const QByteArray &body, const QList<int> &sizes)
{
    QByteArray chunks;
    int at = 0;
    for (int i = 0; at < body.size(); ++i) {
        const int size = qMin(sizes.at(i % sizes.size()), int(body.size()) - at);
        chunks += QByteArray::number(size, 16) + (i == 1 ? ";name=value" : "") + "\r\n" + body.mid(at, size) + "\r\n";
        at += size;
    }
    return chunks + "0\r\n\r\n";
}

} // namespace

class tst_httpStream : public QObject {
    Q_OBJECT

private slots:
    void authorization_data();
    void authorization();
    void response_data();
    void response();
};

void tst_httpStream::authorization_data()
{
    QTest::addColumn<QList<QByteArray>>("challenges");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("expected");  // a part of the header value; empty: not answered

    const QByteArray rfcDigest = "Digest realm=\"testrealm@host.com\", qop=\"auth,auth-int\", "
                                 "nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"";
    QTest::newRow("Basic") << QList<QByteArray>{"Basic realm=\"WallyWorld\""} << "Aladdin" << "open sesame"
                           << QByteArray("Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    QTest::newRow("Digest, qop auth") << QList<QByteArray>{rfcDigest} << "Mufasa" << "Circle Of Life"
                                      << QByteArray("response=\"6629fae49393a05397450978507c4ef1\"");
    QTest::newRow("Digest without qop")
        << QList<QByteArray>{"Digest realm=\"testrealm@host.com\", nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\""}
        << "Mufasa" << "Circle Of Life" << QByteArray("response=\"670fd8c2df070c60b045671b8b24ff02\"");
    QTest::newRow("Digest MD5-sess") << QList<QByteArray>{rfcDigest + ", algorithm=MD5-sess"} << "Mufasa"
                                     << "Circle Of Life" << QByteArray("response=\"8e3825c57e897f5a0dec6c2d4e5059d0\"");
    QTest::newRow("Digest chosen before Basic, one header") << QList<QByteArray>{"Basic realm=\"x\", " + rfcDigest}
                                                            << "Mufasa" << "Circle Of Life"
                                                            << QByteArray("opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"");
    QTest::newRow("Digest chosen before Basic, two headers") << QList<QByteArray>{"Basic realm=\"x\"", rfcDigest}
                                                             << "Mufasa" << "Circle Of Life"
                                                             << QByteArray("qop=auth, nc=00000001, cnonce=\"0a4f113b\"");
    const QByteArray rfc7616 = "Digest realm=\"http-auth@example.org\", qop=\"auth, auth-int\", "
                               "nonce=\"7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v\", "
                               "opaque=\"FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS\"";
    QTest::newRow("SHA-256 chosen before Basic and MD5")
        << QList<QByteArray>{rfc7616 + ", algorithm=MD5", "Basic realm=\"x\"", rfc7616 + ", algorithm=SHA-256"}
        << "Mufasa" << "Circle of Life"
        << QByteArray("response=\"dfd7723f4b179285f90101503175f2079a1505eac857d92a48146b37eded4d74\", algorithm=SHA-256");
    QTest::newRow("SHA-256-sess") << QList<QByteArray>{rfc7616 + ", algorithm=SHA-256-sess"} << "Mufasa"
                                  << "Circle of Life"
                                  << QByteArray("response=\"e1b5c70d1160b7f69ab466d54bac57fc011b9fe87a2de4532e4e2744eb09f449\"");
    QTest::newRow("auth-int only not answered")
        << QList<QByteArray>{"Digest realm=\"r\", nonce=\"n\", qop=\"auth-int\""} << "a" << "b" << QByteArray();
    QTest::newRow("Basic password in UTF-8") << QList<QByteArray>{"Basic realm=\"cam\""} << "user"
                                             << QString::fromUtf8("gr\xc3\xbcn") << QByteArray("Basic dXNlcjpncsO8bg==");
    QTest::newRow("Digest password in UTF-8")
        << QList<QByteArray>{"Digest realm=\"testrealm@host.com\", nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\""}
        << "Mufasa" << QString::fromUtf8("gr\xc3\xbcn") << QByteArray("response=\"746579f9fde27dd974c69ee6c00e4ee1\"");
    QTest::newRow("nothing answerable") << QList<QByteArray>{"NTLM", "Negotiate"} << "a" << "b" << QByteArray();
}

void tst_httpStream::authorization()
{
    QFETCH(QList<QByteArray>, challenges);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QByteArray, expected);
    const httpAuth::challenge chosen = httpAuth::choose(httpAuth::parse(challenges));
    const QByteArray header = httpAuth::authorization(chosen, user, password, "GET", "/dir/index.html", "0a4f113b");
    QVERIFY2(expected.isEmpty() ? header.isEmpty() : header.contains(expected), header.constData());
}

void tst_httpStream::response_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("status");       // -1: none reported
    QTest::addColumn<QByteArray>("body");  // what read() delivers
    QTest::addColumn<bool>("ends");        // the connection counts as ended afterwards
    QTest::addColumn<QList<QByteArray>>("before");  // answers to the requests before the last

    const QByteArray body = QByteArray(8000, 'a') + solidJpeg(QSize(320, 240), Qt::red) + QByteArray(9000, 'z');
    const QList<QByteArray> none;
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=b\r\n";
    QTest::newRow("stream") << ok + "\r\n" + body << 200 << body << false << none;
    QTest::newRow("stream the camera ends") << ok + "\r\n" + body + "<end>" << 200 << body + "<end>" << true << none;
    QTest::newRow("chunked, with an extension") << ok + "Transfer-Encoding: chunked\r\n\r\n" + chunkedBody(body, {1000, 7, 30000})
                                                << 200 << body << true << none;
    QTest::newRow("100 Continue first") << "HTTP/1.1 100 Continue\r\n\r\n" + ok + "\r\n" + body << 200 << body << false << none;
    QTest::newRow("a length ends the answer") << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\nabcdeMORE")
                                              << 404 << QByteArray("abcde") << true << none;
    QTest::newRow("head too large") << ok + QByteArray("X-Pad: ").append(QByteArray(60, 'p')).append("\r\n").repeated(1200)
                                    << -1 << QByteArray() << true << none;
    QTest::newRow("line without end") << "HTTP/1.1 200 OK\r\nX-Pad: " + QByteArray(20000, 'p') << -1 << QByteArray()
                                      << true << none;
    QTest::newRow("malformed chunk size") << ok + "Transfer-Encoding: chunked\r\n\r\nzz\r\n" + body << 200 << QByteArray()
                                          << true << none;
    QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n\r\n") << -1 << QByteArray() << true << none;
    const QByteArray chunked = ok + "Transfer-Encoding: chunked\r\n\r\n" + chunkedBody(body, {1000, 7, 30000});
    QTest::newRow("bytes after the last chunk") << chunked + QByteArray(10000, 'x') << 200 << body << true << none;
    QTest::newRow("9 KB trailer") << chunked.chopped(2) + QByteArray("X-Pad: ").append(QByteArray(1000, 'p')).append("\r\n").repeated(9)
                                         + "\r\n"
                                  << 200 << body << true << none;
    QTest::newRow("zero chunk in the middle") << chunked + chunkedBody(QByteArray(20000, 'q'), {4096}) << 200 << body
                                              << true << none;
    const QByteArray digest = "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\nWWW-Authenticate: Digest realm=\"r\", "
                              "qop=\"auth\", nonce=";
    QTest::newRow("stale nonce answered at once") << ok + "\r\n" + body << 200 << body << false
                                                  << QList<QByteArray>{digest + "\"a\"\r\n\r\n",
                                                                       digest + "\"b\", stale=true\r\n\r\n"};
    QTest::newRow("stale nonce answered once") << digest + "\"c\", stale=true\r\n\r\n" << 401 << QByteArray() << true
                                               << QList<QByteArray>{digest + "\"a\"\r\n\r\n",
                                                                    digest + "\"b\", stale=true\r\n\r\n"};
}

void tst_httpStream::response()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, ends);
    QFETCH(QList<QByteArray>, before);
    cannedServer server;
    server.answers = before + QList<QByteArray>{answer};
    server.closeAfter = answer.endsWith("<end>");
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));

    httpStream stream;
    QSignalSpy headers(&stream, &httpStream::responseHeaderReceived);
    stream.setHost(QStringLiteral("127.0.0.1"), false, server.serverPort());
    stream.setUser(QStringLiteral("Mufasa"), QStringLiteral("Circle Of Life"));
    stream.get("/mjpg/video.mjpg");
    QTRY_COMPARE(server.requests.size(), before.size() + 1);
    QVERIFY(server.requests.first().startsWith("GET /mjpg/video.mjpg HTTP/1.1\r\n"));
    QVERIFY(server.requests.first().contains("\r\nHost: 127.0.0.1:" + QByteArray::number(server.serverPort()) + "\r\n"));
    QVERIFY(server.requests.first().contains("\r\nUser-Agent: dxcamviewer/" DXCAM_VERSION "\r\n"));
    // The answer to a stale nonce uses the new one.
    if (before.size() == 2)
        QVERIFY(server.requests.at(2).contains("nonce=\"b\""));

    QByteArray received;
    // As the camera worker polls: what is available, then a read of it.
    const auto readAll = [&] {
        char buffer[4096];
        while (stream.bytesAvailable() > 0) {
            const qint64 n = stream.read(buffer, sizeof buffer);
            if (n <= 0)
                break;
            received.append(buffer, int(n));
        }
        return received.size() >= body.size() && (status > 0 ? !headers.isEmpty() : stream.state()
                                                                                       == httpStream::connectionState::unconnected);
    };
    QTRY_VERIFY2(readAll(), qPrintable(QString::number(received.size())));
    QCOMPARE(received, body);
    // Nothing past the end of a body is counted, or a reader waiting for it would wait forever.
    if (ends)
        QTRY_COMPARE(stream.bytesAvailable(), qint64(0));
    QCOMPARE(server.requests.size(), before.size() + 1);
    QCOMPARE(headers.size(), status > 0 ? 1 : 0);
    if (status > 0)
        QCOMPARE(headers.first().first().toInt(), status);
    // The worker polls what is available each tick; an end the socket signalled after the last
    // byte is found by such a poll, not by waiting.
    const auto endSeen = [&] {
        stream.bytesAvailable();
        return stream.state() == httpStream::connectionState::unconnected;
    };
    QTRY_COMPARE(endSeen(), ends);
}

QTEST_MAIN(tst_httpStream)
#include "tst_httpstream.moc"
