#include "httpstream.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

httpStream::httpStream(QObject *parent) : QObject(parent), manager(new QNetworkAccessManager(this))
{
    connect(manager, &QNetworkAccessManager::authenticationRequired, this,
            &httpStream::onAuthenticationRequired);
}

httpStream::~httpStream()
{
    dropReply();
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

int httpStream::get(const QByteArray &path)
{
    dropReply();
    QUrl url;
    url.setScheme(https ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(host);
    if (port != 0)
        url.setPort(port);
    url.setPath(QString::fromLatin1(path.isEmpty() ? QByteArray("/") : path), QUrl::TolerantMode);

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    userTried = false;
    ownerAsked = false;
    headerReported = false;
    reply = manager->get(request);
    reply->setReadBufferSize(readBufferLimit);
    connect(reply, &QNetworkReply::metaDataChanged, this, &httpStream::onMetaDataChanged);
    connect(reply, &QNetworkReply::finished, this, &httpStream::onFinished);
    connState = connectionState::connecting;
    return ++requestId;
}

void httpStream::abort()
{
    if (!reply) {
        connState = connectionState::unconnected;
        return;
    }
    connState = connectionState::closing;
    dropReply();
    connState = connectionState::unconnected;
}

qint64 httpStream::bytesAvailable() const
{
    return reply ? reply->bytesAvailable() : 0;
}

qint64 httpStream::read(char *data, qint64 maxSize)
{
    return reply ? reply->read(data, maxSize) : 0;
}

void httpStream::onMetaDataChanged()
{
    if (sender() != reply)
        return;
    connState = connectionState::connected;
    insideReplySignal = true;
    reportHeader();
    insideReplySignal = false;
}

void httpStream::onFinished()
{
    if (sender() != reply)
        return;
    insideReplySignal = true;
    reportHeader();
    insideReplySignal = false;
    // The body that arrived before the end stays readable until the next get() or abort().
    connState = connectionState::unconnected;
}

void httpStream::reportHeader()
{
    if (headerReported || !reply)
        return;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    headerReported = true;
    emit responseHeaderReceived(status.toInt());
}

// First answer with the user given by setUser, then once with what the owner supplies; a
// challenge left unanswered ends the request with its 401 response.
void httpStream::onAuthenticationRequired(QNetworkReply *challenged, QAuthenticator *authenticator)
{
    if (challenged != reply)
        return;
    if (!user.isEmpty() && !userTried) {
        userTried = true;
        authenticator->setUser(user);
        authenticator->setPassword(password);
        return;
    }
    if (ownerAsked)
        return;
    ownerAsked = true;
    emit authenticationRequired(authenticator);
}

void httpStream::dropReply()
{
    if (!reply)
        return;
    QNetworkReply *old = reply;
    reply = nullptr;
    old->disconnect(this);
    // A reply must not be aborted from inside its own signal; the owner does that when it
    // refuses a status, so the abort then waits for the event loop.
    if (insideReplySignal)
        QMetaObject::invokeMethod(old, &QNetworkReply::abort, Qt::QueuedConnection);
    else if (!old->isFinished())
        old->abort();
    old->deleteLater();
}
