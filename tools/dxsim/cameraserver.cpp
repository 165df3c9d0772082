#include "cameraserver.h"

#include "picturesource.h"
#include "simoptions.h"

#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr int maxRequestBytes = 16384;
constexpr qint64 minBacklogBytes = 64 * 1024;
constexpr int dripIntervalMs = 100;
constexpr int dripBytes = 8;
constexpr int hugePictureBytes = 9 * 1024 * 1024;   // above a viewer's 8 MiB receive buffer

} // namespace

CameraServer::CameraServer(int index, const QHostAddress &address, const QString &user,
                           const QString &password, QObject *parent)
    : QObject(parent), index(index), hostAddress(address), server(new QTcpServer(this))
{
    if (!user.isEmpty())
        expectedAuth = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    connect(server, &QTcpServer::newConnection, this, &CameraServer::onNewConnection);
}

bool CameraServer::listen(quint16 port, QString *error)
{
    if (server->listen(hostAddress, port))
        return true;
    *error = QStringLiteral("camera %1 cannot listen on %2:%3: %4")
                 .arg(index + 1).arg(hostAddress.toString()).arg(port).arg(server->errorString());
    return false;
}

quint16 CameraServer::port() const
{
    return server->serverPort();
}

bool CameraServer::wantsPicture(bool sub) const
{
    if (stalled)
        return false;
    for (const Client &c : clients) {
        if (c.streaming && c.sub == sub)
            return true;
    }
    return false;
}

void CameraServer::publish(const QByteArray &picturePart, bool sub)
{
    if (stalled)
        return;
    lastPart[sub] = picturePart;
    if (dripTimer && dripTimer->isActive())
        return;
    QByteArray part = picturePart;
    if (garbage) {
        part.resize(picturePart.size());
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(part.data()), part.size() / 4);
        // Each part opens with a start-of-image marker, so that the junk after it is cut and
        // handed to the decoder as a picture instead of only filling the receive buffer.
        part[0] = char(0xFF);
        part[1] = char(0xD8);
    } else if (hugeNext[sub]) {
        part = hugePart(picturePart);
        hugeNext[sub] = false;
    }
    const qint64 backlogLimit = qMax(minBacklogBytes, 2 * qint64(part.size()));
    for (auto it = clients.begin(); it != clients.end(); ++it) {
        Client &c = it.value();
        QTcpSocket *socket = it.key();
        if (!c.streaming || c.sub != sub)
            continue;
        if (!c.headerSent) {
            // Sent with the first picture so that a camera stalled from the start says nothing.
            socket->write(c.version + " 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=" + PictureSource::boundary
                          + "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n");
            c.headerSent = true;
        }
        if (socket->bytesToWrite() > backlogLimit)
            continue;
        socket->write(part);
    }
}

void CameraServer::setDrip(bool on)
{
    if (!dripTimer) {
        dripTimer = new QTimer(this);
        dripTimer->setInterval(dripIntervalMs);
        connect(dripTimer, &QTimer::timeout, this, &CameraServer::drip);
    }
    if (on)
        dripTimer->start();
    else
        dripTimer->stop();
}

void CameraServer::drip()
{
    if (stalled)
        return;
    for (auto it = clients.begin(); it != clients.end(); ++it) {
        const QByteArray &part = lastPart[it.value().sub];
        if (it.value().streaming && it.value().headerSent && !part.isEmpty())
            it.key()->write(part.mid(dripPos % part.size(), dripBytes));
    }
    dripPos += dripBytes;
}

void CameraServer::setAnswer(int status)
{
    answerStatus = status;
    if (status != 0)
        closeClients();
}

void CameraServer::heal()
{
    stalled = refusing = mute = garbage = hugeNext[0] = hugeNext[1] = false;
    answerStatus = 0;
    setDrip(false);
}

// The picture of the part, made larger by comment segments after its start-of-image marker:
// still a valid JPEG.
QByteArray CameraServer::hugePart(const QByteArray &part)
{
    const qsizetype start = part.indexOf("\xFF\xD8");
    if (start < 0)
        return part;
    const QByteArray jpeg = part.mid(start, part.lastIndexOf("\r\n") - start);
    QByteArray padded = jpeg.left(2);
    const QByteArray comment(65533, 'x');
    while (padded.size() < hugePictureBytes)
        padded += "\xFF\xFE\xFF\xFF" + comment;
    padded += jpeg.mid(2);
    return PictureSource::wrapPart(padded);
}

int CameraServer::closeClients()
{
    const QList<QTcpSocket *> sockets = clients.keys();
    for (QTcpSocket *socket : sockets)
        socket->abort();
    return int(sockets.size());
}

int CameraServer::streamingClients() const
{
    int n = 0;
    for (const Client &c : clients)
        n += c.streaming ? 1 : 0;
    return n;
}

void CameraServer::onNewConnection()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        if (refusing) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        clients.insert(socket, Client());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            clients.remove(socket);
            socket->deleteLater();
        });
    }
}

void CameraServer::onReadyRead(QTcpSocket *socket)
{
    auto it = clients.find(socket);
    if (it == clients.end())
        return;
    Client &client = it.value();
    const QByteArray data = socket->readAll();
    if (client.streaming || client.answered || mute)
        return;   // whatever a client sends after its request is of no interest
    client.request += data;
    if (client.request.contains("\r\n\r\n") || client.request.contains("\n\n")) {
        answer(socket, client);
        return;
    }
    if (client.request.size() > maxRequestBytes)
        reject(socket, "HTTP/1.0 400 Bad Request", QByteArray());
}

void CameraServer::answer(QTcpSocket *socket, Client &client)
{
    QList<QByteArray> lines = client.request.split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    const QList<QByteArray> requestLine = lines.value(0).split(' ');
    if (requestLine.size() != 3 || requestLine.at(0) != "GET" || !requestLine.at(2).startsWith("HTTP/1.")) {
        reject(socket, "HTTP/1.0 400 Bad Request", QByteArray());
        return;
    }
    const QByteArray version = requestLine.at(2) == "HTTP/1.0" ? "HTTP/1.0" : "HTTP/1.1";
    const QByteArray path = requestLine.at(1).split('?').value(0);
    const bool sub = hasSub && path == SimOptions::subHttpPath;
    if (!sub && path != "/mjpg/video.mjpg" && path != "/axis-cgi/mjpg/video.cgi") {
        reject(socket, version + " 404 Not Found", QByteArray());
        return;
    }
    if (answerStatus == 302) {
        reject(socket, version + " 302 Found", "Location: " + path + "\r\n");
        return;
    }
    if (answerStatus != 0) {
        reject(socket, version + ' ' + QByteArray::number(answerStatus) + " Fault", QByteArray());
        return;
    }
    if (!authorised(lines)) {
        reject(socket, version + " 401 Unauthorized", "WWW-Authenticate: Basic realm=\"dxsim\"\r\n");
        return;
    }
    client.request.clear();
    client.version = version;
    client.sub = sub;
    client.streaming = true;
}

void CameraServer::reject(QTcpSocket *socket, const QByteArray &status, const QByteArray &extraHeaders)
{
    const QByteArray body = status.mid(status.indexOf(' ') + 1) + "\n";
    socket->write(status + "\r\n" + extraHeaders + "Content-Type: text/plain\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    Client &client = clients[socket];
    client.request.clear();
    client.answered = true;
    socket->disconnectFromHost();
}

bool CameraServer::authorised(const QList<QByteArray> &headerLines) const
{
    if (expectedAuth.isEmpty())
        return true;
    for (const QByteArray &line : headerLines) {
        const int colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed().toLower() != "authorization")
            continue;
        return line.mid(colon + 1).trimmed() == expectedAuth;
    }
    return false;
}
