#include "camdata.h"

#include "httpstream.h"
#include "picturesink.h"
#include "tickperiod.h"
#include "tiletext.h"
#include "rtspurl.h"
#include "tracecategory.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QHostAddress>

qint64 camData::nnRead = 0;

namespace {
constexpr int defaultStallTimeoutMs = 5000;
constexpr int defaultPixelSize = 20;
constexpr qint64 aliveBytes = 8190;  // bytes that tell a camera is alive without a complete picture
constexpr int axisCamTip = 1;
const char *const unencodedPathChars = "!$&'()*+,;=:@/";
}  // namespace

camData::camData(const QPixmap &placeholderPicture, QObject *httpParentObject, QObject *parent)
    : QObject(parent), httpParent(httpParentObject), renderer(placeholderPicture)
{
    cutter.setPictureSink([this](const QByteArray &picture) { recordPicture(picture); });
}

camData::~camData()
{
    closeSockets();
}

void camData::wireSettings(const shellSettings *shell, const bool *traceOn, int *stallTimeout,
                           const int *pixelSize)
{
    settings = shell;
    trace.wire(traceOn);
    stallTimeoutMs = stallTimeout;
    overlayPixelSize = pixelSize;
    if (stallTimeoutMs)
        *stallTimeoutMs = defaultStallTimeoutMs;
}

void camData::setDefaults()
{
    camModule.CAM_User.clear();
    camModule.CAM_Password.clear();
    camModule.prior = 0;
    camModule.callee = QStringLiteral("100,200");
    sipModuleRec.SIP_Callee = QStringLiteral("100,200");
    camModule.Relais_timeCAM = 2;
    camModule.Relais_timeCAMI = 20;
    sipModuleRec.Relais_timeSIP = 3;
    sipModuleRec.Relais_timeSIPI = 30;
    camModule.UDP_Contrl_CAM = 4005;
    camModule.UDP_Status_CAM = 5000;
    sipModuleRec.UDP_Contrl_SIP = 8113;
    sipModuleRec.UDP_Status_SIP = 8112;
    camModule.CAM_popup = 3;
    camModule.CAM_light = 0;
    camModule.CAM_tuer = 0;
    sipModuleRec.SIP_popup = 0;
    sipModuleRec.SIP_light = 0;
    sipModuleRec.SIP_tuer = 0;
    sipModuleRec.allRufNr = false;
    camModule.status = moduleStatus();
    sipModuleRec.status = moduleStatus();
    sipModuleRec.status.isSipModule = true;
}

namespace {
bool isUrlText(const QString &text)
{
    return text.contains(QLatin1String("http"), Qt::CaseInsensitive) || camData::isRtspUrl(text);
}
}  // namespace

void camData::applyAddressRule(cameraModule &module, const QString &text)
{
    const bool isUrl = isUrlText(text);
    module.URL = isUrl ? text : QString();
    module.IP = isUrl ? QString() : text;
    module.addressIsIp = !isUrl;
    module.hostAddress = isUrl ? QHostAddress() : QHostAddress(module.IP);
}

void camData::applyAddressRule(sipModule &module, const QString &text)
{
    const bool isUrl = isUrlText(text);
    module.URL = isUrl ? text : QString();
    module.SIP_IP = isUrl ? QString() : text;
    module.addressIsIp = !isUrl;
    module.hostAddress = isUrl ? QHostAddress() : QHostAddress(module.SIP_IP);
}

void camData::applyAddressRules()
{
    applyAddressRule(camModule, camModule.addressText());
    applyAddressRule(sipModuleRec, sipModuleRec.addressText());
}

void camData::setAddresses(const QString &cameraText, const QString &sipText, const QHostAddress *own)
{
    ownAddress = own;
    applyAddressRule(camModule, cameraText);
    applyAddressRule(sipModuleRec, sipText);
    createHttp();
    running = true;
    receiving = true;
    noDataMs = 0;
}

QString camData::setAddressText(const QString &text)
{
    applyAddressRule(camModule, text);
    if (!camModule.addressIsIp)
        return text;
    return QStringLiteral("http://") + text + QStringLiteral("/mjpg/video.mjpg");
}

QStringList camData::settingsList() const
{
    return {camModule.addressText(),
            sipModuleRec.addressText(),
            camModule.camName,
            sipModuleRec.sipName,
            camModule.CAM_User,
            sipModuleRec.SIP_User,
            camModule.CAM_Password,
            sipModuleRec.SIP_Password,
            QString::number(camModule.UDP_Status_CAM),
            QString::number(sipModuleRec.UDP_Status_SIP),
            QString::number(camModule.UDP_Contrl_CAM),
            QString::number(sipModuleRec.UDP_Contrl_SIP)};
}

QString camData::connectionSettings() const
{
    return streamUrlFor(camModule) + QLatin1Char('\n') + camModule.CAM_User + QLatin1Char('\n') + camModule.CAM_Password;
}

// ---- grid ------------------------------------------------------------------------------------

void camData::attachToScene(QGraphicsScene *target)
{
    resetScanner();
    renderer.attachToScene(target);
}

// ---- stream ----------------------------------------------------------------------------------

QString camData::streamUrlFor(const cameraModule &module)
{
    if (module.IP.isEmpty())
        return module.URL;
    if (module.camTip == axisCamTip)
        return QStringLiteral("http://root:4711@") + module.IP + QStringLiteral("/axis-cgi/mjpg/video.cgi");
    return QStringLiteral("http://") + module.IP + QStringLiteral("/mjpg/video.mjpg");
}

bool camData::isRtspUrl(const QString &url)
{
    const QString text = url.trimmed();
    return text.startsWith(QLatin1String("rtsp://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("rtsps://"), Qt::CaseInsensitive);
}

QString camData::transportText() const
{
    if (isRtspUrl(streamUrl)) {
        const rtspReader *reader = rtsp.reader();
        if (streamUrl.trimmed().startsWith(QLatin1String("rtsps:"), Qt::CaseInsensitive))
            return QStringLiteral("RTSPS/TCP");
        return reader && reader->transportUsed() == rtspReader::transport::udp ? QStringLiteral("RTSP/UDP")
                                                                                : QStringLiteral("RTSP/TCP");
    }
    return requestFor(streamUrl).https ? QStringLiteral("HTTPS") : QStringLiteral("HTTP");
}

QString camData::rtspUrlFor(const QString &text, const QString &user, const QString &password)
{
    return rtspUrl::withLogin(text, user, password);
}

camData::requestTarget camData::requestFor(const QString &text)
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

void camData::createHttp()
{
    if (http) {
        http->abort();
        http->deleteLater();
        http = nullptr;
    }
    rtsp.retire();
    running = false;
    streamUrl = streamUrlFor(camModule);
    connectedWith = connectionSettings();
    automatic.setPacketMode(isRtspUrl(streamUrl));
    requestId = -1;
    // Offsets recorded in the old buffer mean nothing in the new one, and pictures of the old
    // connection are no pictures of now: a door call's picture, a printout or the popup window
    // would show a scene seconds or hours old as the current one.
    cutter.startOver();
    if (isRtspUrl(streamUrl)) {
        streamError = true;
        return;
    }
    http = new httpStream(httpParent);
    streamError = true;
    connect(http, &httpStream::authenticationRequired, this, &camData::slotAuthenticationRequired);
    connect(http, &httpStream::responseHeaderReceived, this, &camData::readResponseHeader);
    connect(http, &httpStream::connectionFailed, this, &camData::connectionFailed);
}

void camData::requestStream()
{
    const bool rtspCamera = isRtspUrl(streamUrl) && !http;
    if (!http && !rtspCamera)
        return;
    // Nothing is sent while the refused login waits, or for a certificate the user declined;
    // the reason shown stays that one.
    const QString &declined = camModule.certificateDeclinedFor;
    if (loginBackingOff() || (!declined.isEmpty() && declined == streamUrl))
        return;
    if (rtspCamera) {
        pictureSinceRequest = false;
        reasonThisRequest = false;
        noPictureMs = 0;
        startRtsp();
        return;
    }
    const requestTarget target = requestFor(streamUrl);
    http->setHost(target.host, target.https, target.port);
    if (!target.user.isEmpty())
        http->setUser(target.user, target.password);
    http->setTrustedFingerprint(httpStream::fingerprintFromText(camModule.CAM_Fingerprint));
    pictureSinceRequest = false;
    reasonThisRequest = false;
    noPictureMs = 0;
    requestId = http->get(target.path);
    framesSinceGet = 0;
}

QString camData::credentialsInUse() const
{
    return camModule.CAM_User + QLatin1Char('\n') + camModule.CAM_Password + QLatin1Char('\n') + streamUrl;
}

// A 401 without a challenge this viewer can answer counts as well: retrying as often would not
// help either, but neither would asking the user.
void camData::noteRefusal()
{
    const QString sent = credentialsInUse();
    refusalStreak = refusalStreak > 0 && sent == refusedCredentials ? refusalStreak + 1 : 1;
    refusedCredentials = sent;
    retryNotBefore = QDeadlineTimer(retryDelayMs());
    // An RTSP camera's login is answered by its reader, with Basic or Digest.
    const bool typingHelps = rtsp.reader() || (http && http->challengeAnswerable());
    authRefusals = typingHelps ? authRefusals + 1 : 0;
    setReason(typingHelps ? connectionReason::kind::loginRefused : connectionReason::kind::loginUnsupported);
}

int camData::retryDelayMs() const
{
    if (refusalStreak < 2)
        return 0;
    return qMin(normalRetryMs << qMin(refusalStreak - 1, 5), longestRetryMs);
}

bool camData::loginBackingOff() const
{
    return refusalStreak >= 2 && credentialsInUse() == refusedCredentials && !retryNotBefore.hasExpired();
}

void camData::readResponseHeader(int statusCode)
{
    if (statusCode == 401)
        noteRefusal();
    else
        authRefusals = 0;
    switch (statusCode) {
    case 200:
        refusalStreak = 0;
        return;
    case 301:
    case 302:
    case 303:
    case 307:
        return;  // redirects are not followed; whatever body comes is read
    default:
        if (statusCode == 404)
            setReason(connectionReason::kind::notFound);
        else if (statusCode != 401)
            setReason(connectionReason::kind::otherStatus, QString::number(statusCode));
        streamError = true;
        if (http)
            http->abort();
    }
}

void camData::slotAuthenticationRequired(QAuthenticator *authenticator)
{
    authenticator->setUser(camModule.CAM_User);
    authenticator->setPassword(camModule.CAM_Password);
}

void camData::connectionFailed()
{
    if (!http)
        return;
    using failure = httpStream::failure;
    using kind = connectionReason::kind;
    const failure failed = http->lastFailure();
    if (failed == failure::untrustedCertificate || failed == failure::changedCertificate) {
        refusedCertificate = http->refusedCertificate();
        refusedCertificateErrors = http->certificateErrors();
        setReason(failed == failure::changedCertificate ? kind::certificateChanged : kind::certificateUntrusted,
                  httpStream::fingerprintText(refusedCertificate.digest(QCryptographicHash::Sha256)));
        return;
    }
    switch (failed) {
    case failure::refused:
        setReason(kind::refused);
        break;
    case failure::notHttp:
        setReason(kind::badAnswer);
        break;
    default:
        setReason(kind::noAnswer);
    }
}

bool camData::certificateQuestion() const
{
    // Until the camera is started again with a certificate just trusted, the reason still says
    // it was not.
    return reason.current() == connectionReason::kind::certificateUntrusted && !refusedCertificate.isNull()
        && camModule.certificateDeclinedFor != streamUrl
        && camModule.CAM_Fingerprint
               != httpStream::fingerprintText(refusedCertificate.digest(QCryptographicHash::Sha256));
}

void camData::trustCertificate()
{
    camModule.CAM_Fingerprint = httpStream::fingerprintText(refusedCertificate.digest(QCryptographicHash::Sha256));
    camModule.certificateDeclinedFor.clear();
}

void camData::declineCertificate()
{
    camModule.certificateDeclinedFor = streamUrl;
}

void camData::setReason(connectionReason::kind what, const QString &detail)
{
    if (what != connectionReason::kind::none)
        reasonThisRequest = true;
    if (!reason.set(what, detail))
        return;
    const QString line = camModule.camName + QLatin1String(" (") + camModule.shownAddress() + QLatin1String("): ")
        + reason.logText();
    qCInfo(dxcamTrace).noquote() << line;
    // The log file, when it is kept, has it too.
    trace.append(line);
}

// A connection that went silent without saying why: it never answered, or it answered
// without pictures, or its pictures stopped.
void camData::noteSilence()
{
    if (reasonThisRequest || streamError || (!rtsp.reader() && (!http || requestId < 0)))
        return;
    if (state() == connectionState::connecting)
        setReason(connectionReason::kind::noAnswer);
    else
        setReason(pictureSinceRequest ? connectionReason::kind::stalled : connectionReason::kind::noPictures);
}

void camData::abortStream()
{
    streamError = true;
    if (http)
        http->abort();
    rtsp.retire();
    running = false;
}

void camData::closeSockets()
{
    rtsp.close();
    if (!http)
        return;
    http->abort();
    http->deleteLater();
    http = nullptr;
}

void camData::startRtsp()
{
    const int stallMs = stallTimeoutMs ? *stallTimeoutMs : defaultStallTimeoutMs;
    rtsp.start(rtspUrlFor(streamUrl, camModule.CAM_User, camModule.CAM_Password), stallMs,
               httpStream::fingerprintFromText(camModule.CAM_Fingerprint));
    framesSinceGet = 0;
}

// The failed connection shows the camera as not connected at once and is started again after
// the stall time, as an HTTP camera that stopped answering.
void camData::noteRtspFailure()
{
    const rtspReader *const reader = rtsp.reader();
    if (reader->failed() == rtspReader::failure::loginRefused) {
        noteRefusal();
    } else {
        const rtspFeed::reason why = rtspFeed::reasonFor(*reader);
        if (why.what == connectionReason::kind::badAnswer || why.what == connectionReason::kind::tooLarge)
            qCDebug(dxcamTrace).noquote() << "-----> RTSP" << camModule.camName << ":" << reader->failureText();
        // The user is asked as for an HTTPS camera's certificate.
        if (why.what == connectionReason::kind::certificateUntrusted
            || why.what == connectionReason::kind::certificateChanged) {
            refusedCertificate = reader->refusedCertificate();
            refusedCertificateErrors = reader->certificateErrors();
        }
        setReason(why.what, why.detail);
    }
    streamError = true;
    receiving = false;
    newData = false;
}

bool camData::readRtsp()
{
    const QRectF rect = tileRect();
    rtsp.reader()->setTarget(shown ? QSize(int(rect.width()), int(rect.height())) : QSize(),
                             settings ? settings->scaleMode : 0);
    recordPackets();
    if (streamError)
        return false;
    if (rtsp.reader()->failed() != rtspReader::failure::none) {
        noteRtspFailure();
        return false;
    }
    noteDropped();
    const std::optional<qint64> fresh = rtsp.takeProgress();
    if (!fresh)
        return false;
    ++nnRead;
    noDataMs = 0;
    receiving = true;
    scannedOnce = true;
    startTraceLine();
    if (*fresh > 0) {
        authRefusals = 0;
        refusalStreak = 0;
        pictureSinceRequest = true;
        setReason(connectionReason::kind::none);
    }
    framesExtracted += *fresh;
    framesChanged += *fresh;
    framesSinceGet += *fresh;
    if (rtsp.fetchPicture())
        newData = true;
    trace.stamp("", ") Conv: ");
    return true;
}

// Decoding that fell behind leaves pictures out to show what happens now; the log says so once
// a connection.
void camData::noteDropped()
{
    bool lagged = false;
    framesDropped += rtsp.takeDropped(&lagged);
    if (!lagged)
        return;
    const QString line = camModule.camName + QLatin1String(" (") + camModule.shownAddress() + QLatin1String("): ")
        + tr("Dekodieren im Rückstand: Bilder bis zum nächsten Schlüsselbild ausgelassen");
    qCInfo(dxcamTrace).noquote() << line;
    trace.append(line);
}

void camData::recordPackets()
{
    const bool manual = videoRecording && videoSink;
    const bool keep = (automatic.packetMode() && automatic.recordingActive()) || manual;
    rtsp.forwardPackets(keep, [this](const cameraPacket &packet) {
        automatic.takePacket(packet);
        if (recordsByHand())
            videoSink->appendPacket(packet);
    });
}

bool camData::hasFrame() const
{
    if (isRtspUrl(streamUrl))
        return rtsp.reader() && rtsp.reader()->hasPicture();
    return !cutter.frames().isEmpty();
}

QByteArray camData::newestFrame() const
{
    if (isRtspUrl(streamUrl))
        return rtsp.reader() ? rtsp.reader()->newestJpeg() : QByteArray();
    return hasFrame() ? cutter.frames().last() : QByteArray();
}

bool camData::hasPicture() const
{
    return isRtspUrl(streamUrl) ? hasFrame() : !cutter.newestPicture().isEmpty();
}

QByteArray camData::newestPicture() const
{
    return isRtspUrl(streamUrl) ? newestFrame() : cutter.newestPicture();
}

qint64 camData::pictureSerial() const
{
    return isRtspUrl(streamUrl) ? qint64(rtsp.seen()) : cutter.pictureCount();
}

camData::connectionState camData::state() const
{
    if (const rtspReader *reader = rtsp.reader()) {
        if (reader->playing())
            return connectionState::connected;
        return reader->finished() ? connectionState::unconnected : connectionState::connecting;
    }
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

bool camData::isIdle() const
{
    const connectionState current = state();
    return current == connectionState::unconnected || current == connectionState::connecting;
}

bool camData::htppRD()
{
    if (rtsp.reader())
        return readRtsp();
    if (!http || streamError)
        return false;
    // Whatever has come is read: a camera with small pictures would otherwise show each one only
    // when the next has arrived as well.
    const qint64 available = http->bytesAvailable();
    if (available <= 0)
        return false;
    startTraceLine();
    const qint64 wanted = cutter.prepareRead(available);
    char *const at = cutter.writePosition();
    const qint64 got = http->read(at, wanted);
    const bool pictureEnded = got > 0 && QByteArrayView(at, got).contains("\xFF\xD9");
    cutter.commitRead(got);
    // Only bytes delivered are a sign of life: a stream whose body has ended must go stale.
    if (got <= 0) {
        trace.dropLine();
        return false;
    }
    ++nnRead;
    // And only a picture's end or a picture's worth of bytes, when they arrive: a camera that
    // drips a few bytes now and then shows nothing and counts as silent.
    bytesSinceAlive += got;
    if (pictureEnded || bytesSinceAlive > aliveBytes)
        markAlive();
    trace.stamp("", ") Conv: ");
    return true;
}

void camData::markAlive()
{
    noDataMs = 0;
    receiving = true;
    bytesSinceAlive = 0;
}

void camData::scanPending()
{
    if (!cutter.hasUnscanned())
        return;
    scannedOnce = true;
    extractFrames();
}

void camData::extractFrames()
{
    const qint64 complete = cutter.pictureCount();
    const int cut = cutter.extractFrames();
    framesExtracted += cut;
    framesChanged += cut;
    framesSinceGet += cut;
    for (int i = 0; i < cut; ++i)
        trace.stamp("F:", " ;");
    if (cutter.pictureCount() == complete)
        return;
    // Another picture to show.
    newData = true;
    pictureSinceRequest = true;
    setReason(connectionReason::kind::none);
}

void camData::setShown(bool isShown)
{
    shown = isShown;
    if (!shown && rtsp.reader())
        rtsp.reader()->setTarget(QSize(), 0);
}

void camData::collectPictures()
{
    htppRD();
    if (receiving)
        scanPending();
}

void camData::recordPicture(const QByteArray &picture)
{
    automatic.takePicture(picture);
    if (recordsByHand())
        videoSink->append(picture);
}

// While the automatic file takes this camera's pictures, a recording by hand gets none: it ends
// and says so (automatic recording may be switched on while it runs).
bool camData::recordsByHand()
{
    if (!videoRecording || !videoSink)
        return false;
    if (!automatic.recordingActive() || !automatic.writeEnabled())
        return true;
    videoSink->takenOver();
    return false;
}

void camData::controlRecording()
{
    automatic.controlRecording(settings && settings->BildAllSaveEn);
}

void camData::motionTick()
{
    automatic.motionTick(motionEvent);
}

void camData::closeRecording()
{
    automatic.close();
}

bool camData::recordsAutomatically() const
{
    return settings && settings->BildAllSaveEn && camModule.CAMautoSaveEn;
}

void camData::resetScanner()
{
    cutter.resetMarkers();
    cutter.clearQueue();
    framesChanged = 0;
}

bool camData::stallCheck(bool tickResult, bool windowVisible)
{
    if (!abortedOnce && !receiving) {
        abortStream();
        abortedOnce = true;
    }
    return tickResult && windowVisible && !userStopped;
}

// ---- tick and render -------------------------------------------------------------------------

bool camData::tick(bool isSelected)
{
    selected = isSelected;
    const bool stalledTwice = advanceStallClock();
    renderTile();
    return stalledTwice;
}

bool camData::advanceStallClock()
{
    noDataMs += tickMs;
    const int timeout = stallTimeoutMs ? *stallTimeoutMs : defaultStallTimeoutMs;
    // Bytes that hold no picture keep the camera "receiving"; the user still learns why the
    // tile stays grey.
    if (receiving && !pictureSinceRequest && state() == connectionState::connected) {
        noPictureMs += tickMs;
        if (noPictureMs > timeout)
            setReason(connectionReason::kind::noPictures);
    }
    if (noDataMs <= timeout)
        return false;
    noDataMs = 0;
    bytesSinceAlive = 0;
    const bool wasReceiving = receiving;
    if (wasReceiving)
        noteSilence();
    receiving = false;
    return !wasReceiving;
}

void camData::startTraceLine()
{
    trace.startLine(camModule.camName, framesPerRate, framesExtracted, framesDisplayed);
}

void camData::renderTile()
{
    using source = tileRenderer::source;
    htppRD();

    QByteArray picture;
    if (receiving) {
        if (!rtsp.reader()) {
            scanPending();
            if (scannedOnce)
                picture = cutter.newestPicture();
        }
        trace.stamp("( L=", "; ");
    }
    const bool fromRtsp = rtsp.reader() != nullptr;
    const bool usePlaceholder = fromRtsp ? !receiving || rtsp.seen() == 0 : picture.isEmpty();
    const QRectF rect = tileRect();
    const QSize tileSize(int(rect.width()), int(rect.height()));
    const int scaleMode = settings ? settings->scaleMode : 0;
    // The picture shown is drawn again when the tile changed or it was not on the tile: a
    // camera with one picture a second would otherwise wait for the next one. (An RTSP camera's
    // picture comes decoded to the tile, once.)
    const bool redraw = !fromRtsp && !renderer.showsPictureFor(tileSize, scaleMode);

    tileRenderer::job job;
    if (!shown) {
        job.from = source::none;
    } else if (newData || usePlaceholder || redraw) {
        job.tile = tileSize;
        job.scaleMode = scaleMode;
        job.from = usePlaceholder ? source::placeholder : source::picture;
        job.jpeg = picture;
        job.serial = pictureSerial();
        if (fromRtsp && !usePlaceholder) {
            job.predecoded = true;
            job.decoded = rtsp.takePicture();
            trace.addLatency(rtsp.times().sentMs, rtsp.times().decodedMs);
        }
        if (!usePlaceholder && newData) {
            ++framesDisplayed;
            newData = false;
        }
    } else {
        job.from = source::keep;
    }
    job.pixelSize = overlayPixelSize ? *overlayPixelSize : defaultPixelSize;

    if (!receiving)
        job.caption = QStringLiteral("!UNCONNECTED! -> ");
    else if (selected)
        job.caption = QStringLiteral("> ");

    showRequest = camModule.status.popupRequest;
    camModule.status.popupRequest = false;
    input1Copy = camModule.status.input1Active;
    input2Copy = camModule.status.input2Active;

    job.callCaption = sipModuleRec.status.callForced || input1Copy || input2Copy;
    if (job.callCaption)
        job.caption += QCoreApplication::translate("camData", "Eingehender Ruf von ");
    job.caption += camModule.camName;
    job.captionName = camModule.camName;
    if (usePlaceholder)
        job.placeholderLabel = tileText::notConnected();
    renderer.plan(std::move(job));
    trace.finishLine();
}

void camData::finishRenders(const QList<camData *> &cameras)
{
    QList<tileRenderer *> renderers;
    renderers.reserve(cameras.size());
    for (camData *camera : cameras)
        renderers.append(&camera->renderer);
    tileRenderer::finishAll(renderers);
}

// ---- statistics and trace --------------------------------------------------------------------

void camData::updateRates(const QTime &now)
{
    ++framesChanged;
    framesPerRate = framesSinceGet + 1;
    framesSinceGet = 0;
    const int sampleMs = now.second() * 1000 + now.msec();
    const double seconds = (sampleMs - prevSampleMs) / 1000.0;
    if (seconds > 0) {
        extractedRate = 10.0 * (framesExtracted - prevExtracted) / seconds;
        displayedRate = 10.0 * (framesDisplayed - prevDisplayed) / seconds;
        ++rateSamples;
        rateSum = qint64(double(rateSum) + extractedRate);
    }
    prevSampleMs = sampleMs;
    prevExtracted = framesExtracted;
    prevDisplayed = framesDisplayed;
}

void camData::resetStatistics(const QTime &now)
{
    framesExtracted = framesDisplayed = framesDropped = 0;
    prevExtracted = prevDisplayed = 0;
    rateSamples = rateSum = 0;
    extractedRate = displayedRate = 0;
    prevSampleMs = now.second() * 1000 + now.msec();
}
