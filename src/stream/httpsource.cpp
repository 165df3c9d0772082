#include "httpsource.h"

#include "httpstream.h"
#include "readtrace.h"

#include <QAuthenticator>
#include <QBuffer>
#include <QImageReader>
#include <QCryptographicHash>
#include <QUrl>

namespace {
const char *const unencodedPathChars = "!$&'()*+,;=:@/";
}  // namespace

httpSource::requestTarget httpSource::requestFor(const QString &text)
{
    const QUrl url(text);
    requestTarget target;
    target.host = url.host();
    target.https = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    target.port = quint16(url.port(0));
    target.user = url.userName();
    target.password = url.password();
    target.path = QUrl::toPercentEncoding(url.path(), unencodedPathChars);
    if (target.path.isEmpty())
        target.path = "/";
    // Many cameras choose the picture (channel, resolution) by the query.
    if (url.hasQuery())
        target.path += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    return target;
}

httpSource::httpSource(QObject *parentOfStreams) : streamParent(parentOfStreams)
{
    cutter.setPictureSink([this](const QByteArray &picture) {
        if (pictureFeed)
            pictureFeed(picture);
    });
}

httpSource::~httpSource()
{
    dropStream();
}

void httpSource::dropStream()
{
    if (!http)
        return;
    http->disconnect(this);
    http->abort();
    http->deleteLater();
    http = nullptr;
}

// Offsets recorded in the old buffer mean nothing in the new one, and pictures of the old
// connection are no pictures of now: a door call's picture, a printout or the popup window
// would show a scene seconds or hours old as the current one.
void httpSource::renew(const QString &streamUrl)
{
    dropStream();
    url = streamUrl;
    request = -1;
    cutter.startOver();
    http = new httpStream(streamParent);
    connect(http, &httpStream::authenticationRequired, this, &httpSource::answerChallenge);
    connect(http, &httpStream::responseHeaderReceived, this, &httpSource::readResponseHeader);
    connect(http, &httpStream::connectionFailed, this, &httpSource::connectionFailed);
}

void httpSource::connectTo(const target &to)
{
    if (!http)
        return;
    const requestTarget target = requestFor(url);
    http->setHost(target.host, target.https, target.port);
    if (!target.user.isEmpty())
        http->setUser(target.user, target.password);
    http->setTrustedFingerprint(to.trustedSha256);
    user = to.user;
    password = to.password;
    request = http->get(target.path);
}

void httpSource::stop()
{
    if (http)
        http->abort();
}

cameraSource::connectionState httpSource::state() const
{
    if (!http)
        return connectionState::unconnected;
    switch (http->state()) {
    case httpStream::connectionState::connecting:
        return connectionState::connecting;
    case httpStream::connectionState::connected:
        return connectionState::connected;
    case httpStream::connectionState::closing:
        return connectionState::closing;
    case httpStream::connectionState::unconnected:
        break;
    }
    return connectionState::unconnected;
}

QString httpSource::transportText() const
{
    return requestFor(url).https ? QStringLiteral("HTTPS") : QStringLiteral("HTTP");
}

// Whatever has come is read: a camera with small pictures would otherwise show each one only
// when the next has arrived as well.
cameraSource::reading httpSource::read()
{
    reading got;
    const qint64 available = http ? http->bytesAvailable() : 0;
    if (available <= 0)
        return got;
    got.attempted = true;
    const qint64 wanted = cutter.prepareRead(available);
    char *const at = cutter.writePosition();
    const qint64 bytes = http->read(at, wanted);
    got.alive = bytes > 0 && QByteArrayView(at, bytes).contains("\xFF\xD9");
    cutter.commitRead(bytes);
    // Only bytes delivered are a sign of life: a stream whose body has ended must go stale.
    got.read = bytes > 0;
    got.bytes = qMax<qint64>(bytes, 0);
    return got;
}

std::optional<cameraSource::arrival> httpSource::cutPending(readTrace &trace)
{
    if (!cutter.hasUnscanned())
        return std::nullopt;
    const qint64 complete = cutter.pictureCount();
    arrival cut;
    cut.pictures = cutter.extractFrames();
    for (qint64 i = 0; i < cut.pictures; ++i)
        trace.stamp("F:", " ;");
    cut.progress = cut.toShow = cutter.pictureCount() != complete;
    return cut;
}

void httpSource::resetScanner()
{
    cutter.resetMarkers();
    cutter.clearQueue();
}

void httpSource::putPicture(tileJob &job, readTrace &)
{
    job.jpeg = cutter.newestPicture();
}

QByteArray httpSource::newestFrame() const
{
    return hasFrame() ? cutter.frames().last() : QByteArray();
}

// Read from the newest picture's header only.
QSize httpSource::pictureSize() const
{
    QByteArray picture = cutter.newestPicture();
    QBuffer buffer(&picture);
    return QImageReader(&buffer, "jpeg").size();
}

QSslCertificate httpSource::refusedCertificate() const
{
    return http ? http->refusedCertificate() : QSslCertificate();
}

QList<QSslError> httpSource::certificateErrors() const
{
    return http ? http->certificateErrors() : QList<QSslError>();
}

void httpSource::readResponseHeader(int statusCode)
{
    failure why;
    why.endsStream = true;
    if (statusCode == 401) {
        why.loginRefused = true;
        why.typingHelps = http && http->challengeAnswerable();
        emit failed(why);
        stop();
        return;
    }
    switch (statusCode) {
    case 200:
        emit answered(true);
        return;
    case 301:
    case 302:
    case 303:
    case 307:
        emit answered(false);
        return;  // redirects are not followed; whatever body comes is read
    default:
        emit answered(false);
        why.what = statusCode == 404 ? connectionReason::kind::notFound : connectionReason::kind::otherStatus;
        if (statusCode != 404)
            why.detail = QString::number(statusCode);
        emit failed(why);
        stop();
    }
}

void httpSource::answerChallenge(QAuthenticator *authenticator)
{
    authenticator->setUser(user);
    authenticator->setPassword(password);
}

void httpSource::connectionFailed()
{
    if (!http)
        return;
    using kind = connectionReason::kind;
    failure why;
    switch (http->lastFailure()) {
    case httpStream::failure::untrustedCertificate:
    case httpStream::failure::changedCertificate:
        why.certificate = true;
        why.what = http->lastFailure() == httpStream::failure::changedCertificate ? kind::certificateChanged
                                                                                  : kind::certificateUntrusted;
        why.detail = httpStream::fingerprintText(http->refusedCertificate().digest(QCryptographicHash::Sha256));
        break;
    case httpStream::failure::refused:
        why.what = kind::refused;
        break;
    case httpStream::failure::notHttp:
        why.what = kind::badAnswer;
        break;
    default:
        why.what = kind::noAnswer;
    }
    emit failed(why);
}
