#include "rtspserver.h"

#include "h264loop.h"
#include "simoptions.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace {

constexpr int maxRequestBytes = 16 * 1024;
constexpr int maxRtpPayload = 1400;
constexpr int rtpClock = 90000;
constexpr int payloadType = 96;
constexpr int fuA = 28;
constexpr int rtcpSenderReport = 200;
constexpr quint64 ntpUnixOffset = 2208988800ULL;  // seconds from 1900 to 1970
constexpr int picturesPerReport = 125;
const QByteArray realm = "dxsim";

QByteArray md5Hex(const QByteArray &text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

QByteArray headerValue(const QList<QByteArray> &lines, const QByteArray &name)
{
    for (const QByteArray &line : lines) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

// key="value" or key=value inside a Digest authorization header.
QByteArray digestField(const QByteArray &header, const QByteArray &key)
{
    const QString pattern = QStringLiteral("(?:^|[ ,])%1=(?:\"([^\"]*)\"|([^ ,]*))").arg(QString::fromLatin1(key));
    const QRegularExpressionMatch m = QRegularExpression(pattern).match(QString::fromLatin1(header));
    return m.hasMatch() ? (m.captured(1) + m.captured(2)).toLatin1() : QByteArray();
}

} // namespace

RtspServer::RtspServer(const QHostAddress &address, const H264Loop &loop, int fps, const QString &user,
                       const QString &password, QObject *parent)
    : QObject(parent), hostAddress(address), mainLoop(loop), fps(fps), user(user.toUtf8()), password(password.toUtf8()),
      nonce(QByteArray::number(QRandomGenerator::global()->generate64(), 16)), server(new QTcpServer(this))
{
    connect(server, &QTcpServer::newConnection, this, &RtspServer::onNewConnection);
}

bool RtspServer::listen(quint16 port, QString *error)
{
    if (server->listen(hostAddress, port))
        return true;
    *error = QStringLiteral("cannot listen for RTSP on %1:%2: %3").arg(hostAddress.toString()).arg(port).arg(server->errorString());
    return false;
}

quint16 RtspServer::port() const
{
    return server->serverPort();
}

QString RtspServer::url(bool sub) const
{
    return QStringLiteral("rtsp://%1:%2%3").arg(hostAddress.toString()).arg(port())
        .arg(sub ? QLatin1String(SimOptions::subRtspPath) : QLatin1String("/stream"));
}

// The small stream at its path and below (its track), the main stream at any other; none for the
// small one's path when the camera has no small stream.
const H264Loop *RtspServer::streamOf(const QByteArray &uri) const
{
    const QString path = QUrl(QString::fromLatin1(uri)).path();
    const QString subPath = QLatin1String(SimOptions::subRtspPath);
    if (path != subPath && !path.startsWith(subPath + QLatin1Char('/')))
        return &mainLoop;
    return subLoop;
}

void RtspServer::onNewConnection()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        if (refusing) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        Client client;
        client.loop = &mainLoop;
        client.ssrc = QRandomGenerator::global()->generate();
        client.sequence = quint16(QRandomGenerator::global()->generate());
        clients.insert(socket, client);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            clients.remove(socket);
            socket->deleteLater();
        });
    }
}

void RtspServer::onReadyRead(QTcpSocket *socket)
{
    auto it = clients.find(socket);
    if (it == clients.end())
        return;
    it->input += socket->readAll();
    // An answer may close the connection, and the client with it.
    while ((it = clients.find(socket)) != clients.end() && takeRequest(socket, *it)) {
    }
    if (it != clients.end() && it->input.size() > maxRequestBytes) {
        clients.erase(it);
        socket->abort();
        socket->deleteLater();
    }
}

// One request, or one interleaved packet (the client's RTCP reports, which are dropped).
bool RtspServer::takeRequest(QTcpSocket *socket, Client &client)
{
    QByteArray &input = client.input;
    if (input.startsWith('$')) {
        if (input.size() < 4)
            return false;
        const int length = (quint8(input[2]) << 8) | quint8(input[3]);
        if (input.size() < 4 + length)
            return false;
        input.remove(0, 4 + length);
        return true;
    }
    const int end = input.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QByteArray head = input.left(end);
    const QByteArray length = headerValue(head.split('\n'), "content-length");
    const int bodyLength = qBound(0, length.toInt(), maxRequestBytes);
    if (input.size() < end + 4 + bodyLength)
        return false;
    input.remove(0, end + 4 + bodyLength);
    answer(socket, client, head);
    return true;
}

bool RtspServer::authorised(const QByteArray &method, const QList<QByteArray> &lines) const
{
    if (user.isEmpty())
        return true;
    const QByteArray header = headerValue(lines, "authorization");
    if (header.startsWith("Basic "))
        return QByteArray::fromBase64(header.mid(6).trimmed()) == user + ':' + password;
    if (!header.startsWith("Digest "))
        return false;
    const QByteArray ha1 = md5Hex(user + ':' + realm + ':' + password);
    const QByteArray ha2 = md5Hex(method + ':' + digestField(header, "uri"));
    return digestField(header, "username") == user && digestField(header, "nonce") == nonce
           && digestField(header, "response") == md5Hex(ha1 + ':' + nonce + ':' + ha2);
}

QByteArray RtspServer::describe(const H264Loop &stream) const
{
    return "v=0\r\no=- 1 1 IN IP4 " + hostAddress.toString().toLatin1() + "\r\ns=dxsim\r\nc=IN IP4 0.0.0.0\r\nt=0 0\r\n"
           "a=control:*\r\nm=video 0 RTP/AVP 96\r\na=rtpmap:96 " + (foreignCodec ? "MP4V-ES" : "H264")
           + "/90000\r\na=fmtp:96 " + stream.fmtp(!parametersInStreamOnly)
           + "\r\na=framerate:" + QByteArray::number(fps) + "\r\na=control:trackID=0\r\n";
}

void RtspServer::answer(QTcpSocket *socket, Client &client, const QByteArray &head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    const QByteArray method = requestLine.value(0);
    QByteArray reply = "RTSP/1.0 200 OK\r\nCSeq: " + headerValue(lines, "cseq") + "\r\nServer: dxsim\r\n";
    QByteArray body;
    auto send = [&] {
        if (!body.isEmpty())
            reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        socket->write(reply + "\r\n" + body);
    };
    if (method != "OPTIONS" && !authorised(method, lines)) {
        reply.replace("200 OK", "401 Unauthorized");
        reply += "WWW-Authenticate: Digest realm=\"" + realm + "\", nonce=\"" + nonce + "\"\r\n";
        send();
        return;
    }
    if (method == "OPTIONS") {
        reply += "Public: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN, GET_PARAMETER\r\n";
    } else if ((method == "DESCRIBE" || method == "SETUP") && !streamOf(requestLine.value(1))) {
        reply.replace("200 OK", "404 Not Found");
    } else if (method == "DESCRIBE") {
        const H264Loop *stream = streamOf(requestLine.value(1));
        reply += "Content-Type: application/sdp\r\nContent-Base: " + url(stream == subLoop).toLatin1() + "/\r\n";
        body = describe(*stream);
    } else if (method == "SETUP") {
        const QByteArray transport = headerValue(lines, "transport");
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("interleaved=(\\d+)"))
                                              .match(QString::fromLatin1(transport));
        if (!transport.contains("RTP/AVP/TCP") || !m.hasMatch()) {
            reply.replace("200 OK", "461 Unsupported Transport");
            send();
            return;
        }
        client.loop = streamOf(requestLine.value(1));
        client.channel = qBound(0, m.captured(1).toInt(), 254);
        client.session = QByteArray::number(client.ssrc, 16);
        reply += "Transport: RTP/AVP/TCP;unicast;interleaved=" + QByteArray::number(client.channel) + '-'
                 + QByteArray::number(client.channel + 1) + ";ssrc=" + client.session.toUpper() + "\r\nSession: "
                 + client.session + ";timeout=60\r\n";
    } else if (method == "PLAY") {
        client.playing = true;
        client.waitForKey = true;
        reply += "Session: " + client.session + "\r\nRange: npt=0.000-\r\n";
    } else if (method == "TEARDOWN") {
        client.playing = false;
        send();
        socket->disconnectFromHost();
        return;
    } else if (method != "GET_PARAMETER" && method != "SET_PARAMETER") {
        reply.replace("200 OK", "501 Not Implemented");
    }
    send();
}

void RtspServer::publish(quint64 number)
{
    if (stalled)
        return;
    if (holdLeft > 0) {
        held.append(number);
        if (--holdLeft > 0)
            return;
    }
    const QList<quint64> numbers = held.isEmpty() ? QList<quint64>{number} : std::exchange(held, {});
    for (auto it = clients.begin(); it != clients.end(); ++it) {
        for (const quint64 sent : numbers) {
            if (it->playing)
                sendUnit(it.key(), *it, sent);
        }
    }
}

void RtspServer::sendUnit(QTcpSocket *socket, Client &client, quint64 number)
{
    const H264Loop &loop = *client.loop;
    const int index = int(number % quint64(loop.length()));
    const qint64 backlogLimit = 512 * 1024;
    if (socket->bytesToWrite() > backlogLimit)
        client.waitForKey = true;
    if (client.waitForKey && !loop.isKey(index))
        return;
    client.waitForKey = false;
    const quint32 timestamp = quint32(number * quint64(rtpClock / fps)) + clockOffset;
    // A receiver learns from these reports when each picture was sent (its wall-clock time).
    if (client.sinceReport-- <= 0) {
        sendReport(socket, client, timestamp);
        client.sinceReport = picturesPerReport;
    }
    const H264Loop::AccessUnit &nals = loop.unit(index);
    for (int n = 0; n < nals.size(); ++n) {
        const QByteArray &nal = nals.at(n);
        const bool lastNal = n == nals.size() - 1;
        if (nal.size() <= maxRtpPayload) {
            sendRtp(socket, client, nal, lastNal, timestamp);
            continue;
        }
        const char indicator = char((nal[0] & 0xE0) | fuA);
        for (qsizetype pos = 1; pos < nal.size(); pos += maxRtpPayload) {
            const bool first = pos == 1;
            const bool last = pos + maxRtpPayload >= nal.size();
            QByteArray payload;
            payload.reserve(maxRtpPayload + 2);
            payload += indicator;
            payload += char((first ? 0x80 : 0) | (last ? 0x40 : 0) | (nal[0] & 0x1F));
            payload += nal.mid(pos, maxRtpPayload);
            sendRtp(socket, client, payload, lastNal && last, timestamp);
        }
    }
}

void RtspServer::sendRtp(QTcpSocket *socket, Client &client, const QByteArray &payload, bool last, quint32 timestamp)
{
    const int size = 12 + int(payload.size());
    QByteArray packet;
    packet.reserve(4 + size);
    packet += '$';
    packet += char(client.channel);
    packet += char(size >> 8);
    packet += char(size & 0xFF);
    packet += char(0x80);
    packet += char((last ? 0x80 : 0) | payloadType);
    packet += char(client.sequence >> 8);
    packet += char(client.sequence & 0xFF);
    ++client.sequence;
    for (int shift = 24; shift >= 0; shift -= 8)
        packet += char((timestamp >> shift) & 0xFF);
    for (int shift = 24; shift >= 0; shift -= 8)
        packet += char((client.ssrc >> shift) & 0xFF);
    packet += payload;
    socket->write(packet);
    ++client.packets;
    client.octets += quint32(payload.size());
}

void RtspServer::sendReport(QTcpSocket *socket, Client &client, quint32 timestamp)
{
    const qint64 nowUs = QDateTime::currentMSecsSinceEpoch() * 1000;
    const quint64 seconds = quint64(nowUs / 1000000) + ntpUnixOffset;
    const quint64 fraction = (quint64(nowUs % 1000000) << 32) / 1000000;
    const quint32 words[] = {client.ssrc, quint32(seconds), quint32(fraction), timestamp, client.packets, client.octets};
    QByteArray packet;
    packet += '$';
    packet += char(client.channel + 1);
    packet += char(0);
    packet += char(28);
    packet += char(0x80);
    packet += char(rtcpSenderReport);
    packet += char(0);
    packet += char(6);  // length in 32-bit words, less one
    for (const quint32 word : words) {
        for (int shift = 24; shift >= 0; shift -= 8)
            packet += char((word >> shift) & 0xFF);
    }
    socket->write(packet);
}

void RtspServer::setStalled(bool on)
{
    stalled = on;
    for (Client &client : clients)
        client.waitForKey = true;
}

void RtspServer::jumpClock(qint64 ms)
{
    clockOffset += quint32(ms * (rtpClock / 1000));
}

int RtspServer::closeClients()
{
    const QList<QTcpSocket *> sockets = clients.keys();
    clients.clear();
    for (QTcpSocket *socket : sockets) {
        socket->abort();
        socket->deleteLater();
    }
    return int(sockets.size());
}

int RtspServer::playingClients() const
{
    int playing = 0;
    for (const Client &client : clients)
        playing += client.playing ? 1 : 0;
    return playing;
}
