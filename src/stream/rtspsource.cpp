#include "rtspsource.h"

#include "readtrace.h"
#include "rtspurl.h"
#include "tracecategory.h"

rtspSource::~rtspSource()
{
    feed.close();
}

void rtspSource::renew(const QString &streamUrl)
{
    feed.retire();
    url = streamUrl;
}

void rtspSource::connectTo(const target &to)
{
    name = to.name;
    feed.start(rtspUrl::withLogin(url, to.user, to.password), to.stallTimeoutMs, to.trustedSha256);
}

cameraSource::connectionState rtspSource::state() const
{
    const rtspReader *current = feed.reader();
    if (!current)
        return connectionState::unconnected;
    if (current->playing())
        return connectionState::connected;
    return current->finished() ? connectionState::unconnected : connectionState::connecting;
}

QString rtspSource::transportText() const
{
    if (url.trimmed().startsWith(QLatin1String("rtsps:"), Qt::CaseInsensitive))
        return QStringLiteral("RTSPS/TCP");
    const rtspReader *current = feed.reader();
    return current && current->transportUsed() == rtspReader::transport::udp ? QStringLiteral("RTSP/UDP")
                                                                             : QStringLiteral("RTSP/TCP");
}

void rtspSource::setTarget(const QSize &tile, int scaleMode)
{
    if (rtspReader *current = feed.reader())
        current->setTarget(tile, scaleMode);
}

void rtspSource::feedRecording(bool keepPackets)
{
    if (feed.reader())
        feed.forwardPackets(keepPackets, packetFeed);
}

// The failed connection shows the camera as not connected at once and is started again after
// the stall time, as an HTTP camera that stopped answering.
cameraSource::failure rtspSource::failureOf(const rtspReader &failedReader) const
{
    failure why;
    why.endsStream = why.silentNow = true;
    if (failedReader.failed() == rtspReader::failure::loginRefused) {
        why.loginRefused = why.typingHelps = true;  // answered by the reader, with Basic or Digest
        return why;
    }
    const rtspFeed::reason reason = rtspFeed::reasonFor(failedReader);
    if (reason.what == connectionReason::kind::badAnswer || reason.what == connectionReason::kind::tooLarge)
        qCDebug(dxcamTrace).noquote() << "-----> RTSP" << name << ":" << failedReader.failureText();
    // The user is asked as for an HTTPS camera's certificate.
    why.certificate = reason.what == connectionReason::kind::certificateUntrusted
        || reason.what == connectionReason::kind::certificateChanged;
    why.what = reason.what;
    why.detail = reason.detail;
    return why;
}

// Packets tell that the camera sends, pictures or not (see rtspFeed::takeProgress).
cameraSource::reading rtspSource::read()
{
    reading got;
    const rtspReader *current = feed.reader();
    if (!current)
        return got;
    if (current->failed() != rtspReader::failure::none) {
        emit failed(failureOf(*current));
        return got;
    }
    got.dropped = feed.takeDropped(&got.lagged);
    const std::optional<qint64> fresh = feed.takeProgress();
    if (!fresh)
        return got;
    got.read = got.alive = true;
    arrival pictures;
    pictures.pictures = *fresh;
    pictures.progress = *fresh > 0;
    pictures.toShow = feed.fetchPicture();
    got.pictures = pictures;
    return got;
}

void rtspSource::putPicture(tileJob &job, readTrace &trace)
{
    job.predecoded = true;
    job.decoded = feed.takePicture();
    trace.addLatency(feed.times().sentMs, feed.times().decodedMs);
}

QByteArray rtspSource::newestFrame() const
{
    return feed.reader() ? feed.reader()->newestJpeg() : QByteArray();
}

const QList<QByteArray> &rtspSource::frames() const
{
    static const QList<QByteArray> none;  // the pictures come decoded, not cut
    return none;
}

QString rtspSource::codecText() const
{
    const QString name = feed.reader() ? feed.reader()->codecName() : QString();
    if (name == QLatin1String("h264"))
        return QStringLiteral("H.264");
    if (name == QLatin1String("hevc"))
        return QStringLiteral("H.265");
    return name.toUpper();
}

QSslCertificate rtspSource::refusedCertificate() const
{
    return feed.reader() ? feed.reader()->refusedCertificate() : QSslCertificate();
}

QList<QSslError> rtspSource::certificateErrors() const
{
    return feed.reader() ? feed.reader()->certificateErrors() : QList<QSslError>();
}
