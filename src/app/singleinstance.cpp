#include "singleinstance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
const QByteArray showCommand = QByteArrayLiteral("show\n");
}

singleInstance::singleInstance(const QString &iniPath, QObject *parent)
    : QObject(parent)
{
    const QString canonical = QFileInfo(iniPath).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    name = QStringLiteral("dxcamviewer-%1").arg(QString::fromLatin1(hash.left(16)));
}

bool singleInstance::askRunningViewer(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(showCommand);
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool singleInstance::listen()
{
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        // A viewer that crashed leaves its socket file behind; take it over only when nobody
        // answers on it.
        if (askRunningViewer(200))
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("show"))
                emit showRequested();
        });
    }
}
