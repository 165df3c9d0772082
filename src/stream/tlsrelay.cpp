#include "tlsrelay.h"

#include "certificatetrust.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMutexLocker>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>

namespace {
constexpr qint64 chunkBytes = 64 * 1024;
}  // namespace

tlsRelay::tlsRelay(const QString &cameraHost, quint16 cameraPort, const QByteArray &trusted)
    : host(cameraHost), port(cameraPort), trustedSha256(trusted)
{
}

tlsRelay::~tlsRelay()
{
    if (!thread)
        return;
    thread->quit();
    thread->wait();
}

void tlsRelay::start()
{
    if (thread)
        return;
    thread.reset(QThread::create([this] { serve(); }));
    thread->start();
}

// The relay thread's life: its sockets are made, used and destroyed here.
void tlsRelay::serve()
{
    QTcpServer listener;
    QSslSocket toCamera;
    server = &listener;
    camera = &toCamera;
    toCamera.setReadBufferSize(bufferBytes);
    QObject::connect(&toCamera, &QSslSocket::sslErrors, &toCamera, [this](const QList<QSslError> &errors) { judge(errors); });
    QObject::connect(&toCamera, &QSslSocket::encrypted, &toCamera, [this] {
        settle(outcome::relaying);
        takeConnection();
    });
    QObject::connect(&toCamera, &QAbstractSocket::errorOccurred, &toCamera, [this] { cameraFailed(); });
    QObject::connect(&toCamera, &QIODevice::readyRead, &toCamera, [this] { pump(camera, viewer); });
    QObject::connect(&toCamera, &QIODevice::bytesWritten, &toCamera, [this] { pump(viewer, camera); });
    QObject::connect(&toCamera, &QSslSocket::encryptedBytesWritten, &toCamera, [this] { pump(viewer, camera); });
    QObject::connect(&toCamera, &QAbstractSocket::disconnected, &toCamera, [this] { ended(viewer); });
    QObject::connect(&listener, &QTcpServer::newConnection, &listener, [this] { takeConnection(); });
    if (!listener.listen(QHostAddress::LocalHost, 0)) {
        settle(outcome::noAnswer);
        return;
    }
    {
        QMutexLocker lock(&mutex);
        listening = listener.serverPort();
    }
    toCamera.connectToHostEncrypted(host, port);
    QEventLoop loop;
    loop.exec();
    toCamera.disconnect();
    listener.disconnect();
    if (viewer)
        viewer->disconnect();
    camera = nullptr;
    viewer = nullptr;
    server = nullptr;
}

void tlsRelay::settle(outcome reached)
{
    QMutexLocker lock(&mutex);
    if (result != outcome::pending)
        return;
    result = reached;
    settled.wakeAll();
}

tlsRelay::outcome tlsRelay::waitForOutcome(int waitMs)
{
    QMutexLocker lock(&mutex);
    if (result == outcome::pending)
        settled.wait(&mutex, QDeadlineTimer(waitMs));
    return result;
}

quint16 tlsRelay::listenPort() const
{
    QMutexLocker lock(&mutex);
    return listening;
}

QSslCertificate tlsRelay::refusedCertificate() const
{
    QMutexLocker lock(&mutex);
    return refused;
}

QList<QSslError> tlsRelay::certificateErrors() const
{
    QMutexLocker lock(&mutex);
    return refusedErrors;
}

// The handshake fails after a refusal; its outcome is the refusal's.
void tlsRelay::judge(const QList<QSslError> &errors)
{
    const certificateTrust::verdict verdict = certificateTrust::judge(*camera, errors, trustedSha256);
    if (verdict == certificateTrust::verdict::accepted)
        return;
    {
        QMutexLocker lock(&mutex);
        refused = camera->peerCertificate();
        refusedErrors = errors;
    }
    settle(verdict == certificateTrust::verdict::changed ? outcome::changedCertificate : outcome::untrustedCertificate);
}

void tlsRelay::cameraFailed()
{
    switch (camera->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        settle(outcome::refused);
        break;
    case QAbstractSocket::SslHandshakeFailedError:
        settle(outcome::notTls);
        break;
    default:
        settle(outcome::noAnswer);
    }
    ended(viewer);
}

// The first connection once relaying is the library's; no other is taken.
void tlsRelay::takeConnection()
{
    if (viewer || !camera->isEncrypted())
        return;
    viewer = server->nextPendingConnection();
    if (!viewer)
        return;
    server->close();
    while (QTcpSocket *other = server->nextPendingConnection())
        other->abort();
    viewer->setReadBufferSize(bufferBytes);
    QObject::connect(viewer, &QIODevice::readyRead, viewer, [this] { pump(viewer, camera); });
    QObject::connect(viewer, &QIODevice::bytesWritten, viewer, [this] { pump(camera, viewer); });
    QObject::connect(viewer, &QAbstractSocket::disconnected, viewer, [this] { ended(camera); });
    pump(camera, viewer);
    pump(viewer, camera);
}

// As much as the receiving side has room for; the rest waits in the sending side's read buffer,
// and beyond that in the kernel's.
void tlsRelay::pump(QTcpSocket *from, QTcpSocket *to)
{
    if (!from || !to || !viewer)
        return;
    for (;;) {
        const qint64 queued = to->bytesToWrite() + (to == camera ? camera->encryptedBytesToWrite() : 0);
        const qint64 size = qMin(from->bytesAvailable(), qMin(bufferBytes - queued, chunkBytes));
        if (size <= 0)
            return;
        const QByteArray bytes = from->read(size);
        if (bytes.isEmpty())
            return;
        to->write(bytes);
    }
}

// One side ended: what it sent is passed on, then the other side is closed too.
void tlsRelay::ended(QTcpSocket *to)
{
    QTcpSocket *from = to == camera ? viewer : camera;
    pump(from, to);
    if (to)
        to->disconnectFromHost();
}
