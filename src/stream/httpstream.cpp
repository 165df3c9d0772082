#include "httpstream.h"

#include "certificatetrust.h"

#include <QAuthenticator>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUrl>

#include <cctype>
#include <cstring>

namespace {

QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

// -1 for a value that is no length.
qint64 contentLength(const QByteArray &value)
{
    bool valid = false;
    const qint64 length = value.toLongLong(&valid);
    return valid && length >= 0 ? length : -1;
}

QByteArray clientNonce()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}

} // namespace

httpStream::httpStream(QObject *parent) : QObject(parent) {}

httpStream::~httpStream()
{
    dropSocket();
}

void httpStream::setHost(const QString &hostName, bool useHttps, quint16 portNumber)
{
    host = hostName;
    https = useHttps;
    port = portNumber;
}

void httpStream::setUser(const QString &userName, const QString &pass)
{
    user = userName;
    password = pass;
}

int httpStream::get(const QByteArray &requestPath)
{
    dropSocket();
    path = requestPath.isEmpty() ? QByteArray("/") : requestPath;
    authorization.clear();
    userTried = false;
    ownerAsked = false;
    staleAnswered = false;
    answerable = false;
    failedWith = failure::none;
    refused = QSslCertificate();
    refusedErrors.clear();
    connectSocket();
    return ++requestId;
}

void httpStream::connectSocket()
{
    current = phase::head;
    readyReadSeen = false;
    inbox.clear();
    headLines.clear();
    headBytes = 0;
    chunked = false;
    bodyLeft = -1;
    chunkLeft = 0;
    chunkDataDone = false;
    QTcpSocket *created = https ? new QSslSocket(this) : new QTcpSocket(this);
    socket = created;
    created->setReadBufferSize(readBufferLimit);
    if (https) {
        connect(static_cast<QSslSocket *>(created), &QSslSocket::encrypted, this, &httpStream::sendRequest);
        connect(static_cast<QSslSocket *>(created), &QSslSocket::sslErrors, this, &httpStream::onSslErrors);
    } else {
        connect(created, &QTcpSocket::connected, this, &httpStream::sendRequest);
    }
    connect(created, &QTcpSocket::readyRead, this, &httpStream::onReadyRead);
    connect(created, &QTcpSocket::disconnected, this, &httpStream::onDisconnected);
    connect(created, &QTcpSocket::errorOccurred, this, &httpStream::onDisconnected);
    connState = connectionState::connecting;
    const quint16 to = port != 0 ? port : (https ? 443 : 80);
    if (https) {
        static_cast<QSslSocket *>(created)->connectToHostEncrypted(host, to);
        return;
    }
    // Unbuffered: the body goes from the kernel straight into the reader's buffer, and while
    // nobody reads, the kernel's window holds the sender back.
    created->connectToHost(host, to, QIODevice::ReadWrite | QIODevice::Unbuffered);
}

void httpStream::sendRequest()
{
    QByteArray hostHeader = QUrl::toAce(host);
    if (hostHeader.isEmpty())
        hostHeader = host.toLatin1();
    if (hostHeader.contains(':'))
        hostHeader = '[' + hostHeader + ']';
    if (port != 0)
        hostHeader += ':' + QByteArray::number(port);
    // Some embedded servers and firewalls refuse a request that names no client.
    QByteArray request = "GET " + path + " HTTP/1.1\r\nHost: " + hostHeader
        + "\r\nUser-Agent: dxcamviewer/" DXCAM_VERSION "\r\nAccept: */*\r\n";
    if (!authorization.isEmpty())
        request += "Authorization: " + authorization + "\r\n";
    request += "Connection: close\r\n\r\n";
    socket->write(request);
}

void httpStream::onSslErrors(const QList<QSslError> &errors)
{
    auto *encrypted = qobject_cast<QSslSocket *>(socket.data());
    if (!encrypted)
        return;
    const certificateTrust::verdict verdict = certificateTrust::judge(*encrypted, errors, trustedFingerprint);
    if (verdict == certificateTrust::verdict::accepted)
        return;
    // The handshake fails after this; the owner learns why from lastFailure().
    refused = encrypted->peerCertificate();
    refusedErrors = errors;
    failedWith = verdict == certificateTrust::verdict::changed ? failure::changedCertificate
                                                                : failure::untrustedCertificate;
}

void httpStream::onReadyRead()
{
    if (current != phase::head) {
        // Looked at by the next bytesAvailable(), which asks the socket anyway.
        readyReadSeen = true;
        return;
    }
    // Each head may be a 1xx one that another follows.
    fillInbox(maxHeaderBytes + 1);
    while (current == phase::head && readHead())
        headComplete();
    noteSocketEnd();
}

// Collects the lines of the response head; true once its empty line came.
bool httpStream::readHead()
{
    QByteArray line;
    while (takeLine(line)) {
        headBytes += int(line.size()) + 2;
        if (headBytes > maxHeaderBytes) {
            fail();
            return false;
        }
        if (!line.isEmpty())
            headLines.append(line);
        else if (!headLines.isEmpty())
            return true;
    }
    if (inbox.size() > maxHeaderBytes)
        fail();
    return false;
}

// Reads what the socket holds into the inbox, until the inbox has `size` bytes.
void httpStream::fillInbox(qint64 size)
{
    while (socket && inbox.size() < size) {
        const qint64 wanted = qMin(socket->bytesAvailable(), size - inbox.size());
        if (wanted <= 0)
            return;
        const qsizetype at = inbox.size();
        inbox.resize(at + wanted);
        const qint64 got = socket->read(inbox.data() + at, wanted);
        inbox.resize(at + qMax<qint64>(got, 0));
        if (got <= 0)
            return;
    }
}

// One line of the inbox without its line end; a line longer than maxLineBytes is refused.
bool httpStream::takeLine(QByteArray &line)
{
    const qsizetype end = inbox.indexOf('\n');
    if (end < 0 || end > maxLineBytes) {
        if (end > maxLineBytes || inbox.size() > maxLineBytes)
            fail();
        return false;
    }
    line = withoutLineEnd(inbox.left(end + 1));
    inbox.remove(0, end + 1);
    return true;
}

// Body bytes: first those the head or the chunk framing left in the inbox, then the socket's.
qint64 httpStream::takeBody(char *data, qint64 maxSize)
{
    const qint64 fromInbox = qMin<qint64>(inbox.size(), maxSize);
    if (fromInbox > 0) {
        std::memcpy(data, inbox.constData(), size_t(fromInbox));
        inbox.remove(0, fromInbox);
    }
    qint64 done = fromInbox;
    if (socket && done < maxSize && socket->bytesAvailable() > 0) {
        const qint64 got = socket->read(data + done, maxSize - done);
        done += qMax<qint64>(got, 0);
        noteSocketEnd();
    }
    return done;
}

// A read of a plain socket that found its end leaves it unconnected without a signal.
void httpStream::noteSocketEnd()
{
    if (socket && socket->state() == QAbstractSocket::UnconnectedState)
        onDisconnected();
}

void httpStream::headComplete()
{
    const QList<QByteArray> status = headLines.value(0).split(' ');
    bool ok = false;
    const int code = status.value(1).toInt(&ok);
    if (!status.value(0).startsWith("HTTP/") || !ok || code < 100 || code > 999) {
        fail();
        return;
    }
    QList<QByteArray> challenges;
    qint64 length = -1;
    for (const QByteArray &line : headLines.mid(1)) {
        const int colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "www-authenticate")
            challenges.append(value);
        else if (name == "transfer-encoding")
            chunked = value.toLower().contains("chunked");
        else if (name == "content-length")
            length = contentLength(value);
    }
    headLines.clear();
    headBytes = 0;
    if (code < 200)
        return;
    if (code == 401 && answerChallenge(challenges))
        return;
    // A camera's stream has no length; an answer that has one ends there (a refusal, a redirect).
    bodyLeft = chunked ? -1 : length;
    current = phase::body;
    connState = connectionState::connected;
    emit responseHeaderReceived(code);
    if (current == phase::body && bodyLeft == 0)
        finishBody();
}

// What follows the end of a body (a trailer, or the further chunks of a camera that sent a
// zero-size chunk in the middle) is not body: the connection has served its purpose.
void httpStream::finishBody()
{
    dropSocket();
    current = phase::finished;
    connState = connectionState::unconnected;
}

// First with the user given by setUser, then once with what the owner supplies; a challenge
// left unanswered ends the request with its 401 response.
bool httpStream::answerChallenge(const QList<QByteArray> &challenges)
{
    const httpAuth::challenge chosen = httpAuth::choose(httpAuth::parse(challenges));
    answerable = !chosen.scheme.isEmpty();
    if (!answerable)
        return false;
    // A stale nonce refuses the nonce, not the credentials: the same go out again at once with
    // the new one, once per request.
    const bool stale = !authorization.isEmpty() && !staleAnswered && chosen.scheme == "digest"
        && chosen.parameters.value("stale").toLower() == "true";
    credentials next;
    if (stale) {
        staleAnswered = true;
        next = lastSent;
    } else if (!nextCredentials(next)) {
        return false;
    }
    lastSent = next;
    authorization = httpAuth::authorization(chosen, next.user, next.password, "GET", path, clientNonce());
    dropSocket();
    connectSocket();
    return true;
}

bool httpStream::nextCredentials(credentials &next)
{
    if (!user.isEmpty() && !userTried) {
        userTried = true;
        next = {user, password};
        return true;
    }
    if (ownerAsked)
        return false;
    ownerAsked = true;
    QAuthenticator authenticator;
    emit authenticationRequired(&authenticator);
    if (authenticator.user().isEmpty() && authenticator.password().isEmpty())
        return false;
    next = {authenticator.user(), authenticator.password()};
    return true;
}

// A connection that ends or fails before its head leaves nothing to read; after the head, the
// body that arrived stays readable until the next get() or abort().
void httpStream::onDisconnected()
{
    if (current == phase::head) {
        noteFailure();
        fail();
        return;
    }
    connState = connectionState::unconnected;
}

qint64 httpStream::bytesAvailable()
{
    if (!socket || (current != phase::body && current != phase::finished))
        return 0;
    const qint64 fromSocket = socket->bytesAvailable();
    if (fromSocket == 0 && readyReadSeen)
        probeEnd();
    readyReadSeen = false;
    const qint64 available = inbox.size() + fromSocket;
    return bodyLeft >= 0 ? qMin(bodyLeft, available) : available;
}

// A plain socket that signalled with nothing to read has come to its end, which only a read
// finds out.
void httpStream::probeEnd()
{
    char probe;
    if (socket->read(&probe, 1) == 1)
        inbox.append(probe);
    noteSocketEnd();
}

qint64 httpStream::read(char *data, qint64 maxSize)
{
    if (!socket || (current != phase::body && current != phase::finished))
        return 0;
    if (chunked)
        return readChunked(data, maxSize);
    if (bodyLeft < 0)
        return takeBody(data, maxSize);
    const qint64 n = takeBody(data, qMin(maxSize, bodyLeft));
    bodyLeft -= n;
    if (bodyLeft == 0 && current == phase::body)
        finishBody();
    return n;
}

qint64 httpStream::readChunked(char *data, qint64 maxSize)
{
    qint64 done = 0;
    while (socket && done < maxSize) {
        if (chunkLeft == 0) {
            if (!readChunkSize())
                break;
            continue;
        }
        const qint64 n = takeBody(data + done, qMin(chunkLeft, maxSize - done));
        if (n <= 0)
            break;
        done += n;
        chunkLeft -= n;
        chunkDataDone = chunkLeft == 0;
    }
    return done;
}

// The line after a chunk's data (empty), or the size line of the next chunk. False when no
// complete line has come yet, the body has ended, or the line is malformed.
bool httpStream::readChunkSize()
{
    if (current != phase::body)
        return false;
    if (!inbox.contains('\n'))
        fillInbox(inbox.size() + maxLineBytes + 1);
    QByteArray line;
    if (!takeLine(line))
        return false;
    if (chunkDataDone) {
        chunkDataDone = false;
        if (line.isEmpty())
            return true;
        fail();
        return false;
    }
    bool ok = false;
    const qint64 extension = line.indexOf(';');
    const qint64 size = (extension < 0 ? line : line.left(extension)).trimmed().toLongLong(&ok, 16);
    if (!ok || size < 0) {
        fail();
        return false;
    }
    if (size == 0) {
        finishBody();
        return false;
    }
    chunkLeft = size;
    return true;
}

void httpStream::abort()
{
    if (socket)
        connState = connectionState::closing;
    dropSocket();
    current = phase::idle;
    connState = connectionState::unconnected;
}

// Why the socket ended before the head, unless a refused certificate already told.
void httpStream::noteFailure()
{
    if (failedWith != failure::none || !socket)
        return;
    switch (socket->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        failedWith = failure::refused;
        break;
    case QAbstractSocket::RemoteHostClosedError:
        failedWith = failure::closedEarly;
        break;
    default:
        failedWith = failure::noAnswer;
    }
}

void httpStream::fail()
{
    const bool beforeHead = current == phase::head;
    if (beforeHead && failedWith == failure::none)
        failedWith = failure::notHttp;
    dropSocket();
    current = phase::idle;
    connState = connectionState::unconnected;
    if (beforeHead)
        emit connectionFailed();
}

QString httpStream::fingerprintText(const QByteArray &sha256)
{
    return QString::fromLatin1(sha256.toHex(':').toUpper());
}

QByteArray httpStream::fingerprintFromText(const QString &text)
{
    QByteArray hex = text.toLatin1();
    hex.replace(':', QByteArray()).replace(' ', QByteArray());
    for (const char c : std::as_const(hex)) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    }
    const QByteArray digest = QByteArray::fromHex(hex);
    return digest.size() == 32 && hex.size() == 64 ? digest : QByteArray();
}

void httpStream::dropSocket()
{
    if (!socket)
        return;
    QTcpSocket *old = socket;
    socket = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
}
