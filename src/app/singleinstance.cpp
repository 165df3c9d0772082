#include "singleinstance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// One word and a line end per request; anyone of this user may connect, so a line is bounded.
constexpr qint64 maxLine = 32;

QByteArray lineOf(singleInstance::command what)
{
    switch (what) {
    case singleInstance::command::settings:
        return QByteArrayLiteral("settings\n");
    case singleInstance::command::quit:
        return QByteArrayLiteral("quit\n");
    case singleInstance::command::show:
        break;
    }
    return QByteArrayLiteral("show\n");
}

} // namespace

singleInstance::singleInstance(const QString &iniPath, QObject *parent)
    : QObject(parent)
{
    const QString canonical = QFileInfo(iniPath).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    name = QStringLiteral("dxcamviewer-%1").arg(QString::fromLatin1(hash.left(16)));
}

bool singleInstance::askRunningViewer(command what, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(lineOf(what));
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

singleInstance::quitOutcome singleInstance::askToQuit(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return quitOutcome::notRunning;
    socket.write(lineOf(command::quit));
    if (!socket.waitForBytesWritten(1000))
        return quitOutcome::stillRunning;
    // The viewer keeps the connection until its listener goes with it, after the settings were
    // saved and the window closed.
    if (socket.state() != QLocalSocket::UnconnectedState && !socket.waitForDisconnected(timeoutMs))
        return quitOutcome::stillRunning;
    return quitOutcome::ended;
}

bool singleInstance::listen()
{
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        // A viewer that crashed leaves its socket file behind; take it over only when nobody
        // answers on it.
        if (askRunningViewer(command::show, 200))
            return false;
        QLocalServer::removeServer(name);
        if (!server->listen(name))
            return false;
    }
    connect(server, &QLocalServer::newConnection, this, &singleInstance::readRequest);
    return true;
}

void singleInstance::readRequest()
{
    while (QLocalSocket *socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
    }
}

void singleInstance::serve(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        const QByteArray word = socket->readLine(maxLine + 1).trimmed();
        if (word == "show")
            emit showRequested();
        else if (word == "settings")
            emit settingsRequested();
        else if (word == "quit")
            emit quitRequested();
    }
    // A line longer than any request is not one; its sender is dropped.
    if (socket->bytesAvailable() > maxLine)
        socket->abort();
}
