#include "camdata.h"

#include "httpstream.h"
#include "picturesink.h"
#include "rtspreader.h"
#include "tiledecoder.h"
#include "tracecategory.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QThread>
#include <QGraphicsPixmapItem>
#include <QHostAddress>
#include <QMutexLocker>
#include <QPainter>
#include <QtConcurrent/QtConcurrentMap>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <charconv>

qint64 camData::nnRead = 0;

namespace {
constexpr int tickMs = 40;
constexpr int defaultStallTimeoutMs = 5000;
constexpr int readerJoinMs = 2000;
constexpr int defaultPixelSize = 20;
constexpr qint64 aliveBytes = 8190;  // bytes that tell a camera is alive without a complete picture
constexpr int captionOffset = 10;
constexpr int captionWidth = 350;
constexpr int axisCamTip = 1;
const char *const unencodedPathChars = "!$&'()*+,;=:@/";

// The timing trace stamps every read and picture. QTime::currentTime() looks the time zone up
// anew on every call, a file system call each time; the zone's offset is taken once a minute.
// printf's "%*lld": right-aligned in `width` with blanks, wider when it must. Several numbers go
// into the trace line of every read; QString::asprintf would parse its format each time.
void appendPadded(QString &text, qint64 value, int width)
{
    char digits[24];
    const int length = int(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    for (int i = length; i < width; ++i)
        text += QLatin1Char(' ');
    text += QLatin1String(digits, length);
}

QTime traceClock()
{
    constexpr qint64 dayMs = 24 * 3600 * 1000;
    static qint64 offsetMs = 0;
    static qint64 nextLookUp = std::numeric_limits<qint64>::min();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now >= nextLookUp) {
        offsetMs = qint64(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
        nextLookUp = now + 60 * 1000;
    }
    return QTime::fromMSecsSinceStartOfDay(int(((now + offsetMs) % dayMs + dayMs) % dayMs));
}
}  // namespace

camData::camData(const QPixmap &placeholderPicture, QObject *httpParentObject, QObject *parent)
    : QObject(parent), httpParent(httpParentObject), placeholder(placeholderPicture)
{
    pen.setStyle(Qt::SolidLine);
    pen.setColor(Qt::black);
    pen.setWidth(5);
    font.setFixedPitch(true);
    font.setWeight(QFont::Bold);
    cutter.setPictureSink([this](const QByteArray &picture) { recordPicture(picture); });
}

camData::~camData()
{
    closeSockets();
    if (scene || !itemPlaced)
        delete tileItem;
}

void camData::wireSettings(const shellSettings *shell, const bool *trace, int *stallTimeout,
                           const int *pixelSize)
{
    settings = shell;
    traceSwitch = trace;
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
    if (tileItem && scene)
        scene->removeItem(tileItem);
    scene = target;
    if (!tileItem) {
        tileItem = new QGraphicsPixmapItem;
        tileItem->setOffset(20, 20);
    }
    if (scene)
        scene->addItem(tileItem);
    itemPlaced = scene != nullptr;
}

void camData::setTileRect(const QRectF &rect)
{
    QMutexLocker lock(&tileMutex);
    tile = rect;
}

QRectF camData::tileRect() const
{
    QMutexLocker lock(&tileMutex);
    return tile;
}

void camData::setSecondRect(const QRectF &rect)
{
    QMutexLocker lock(&rectMutex);
    secondRect = rect;
}

void camData::showPlaceholder()
{
    display = placeholder;
    drawn = drawnState();
    if (tileItem)
        tileItem->setPixmap(display);
}

// A pixmap set again repaints the tile in the view even when it is the same one.
void camData::updateSceneItem()
{
    if (!tileItem)
        return;
    const QRectF rect = tileRect();
    if (displayChanged)
        tileItem->setPixmap(display);
    displayChanged = false;
    const QString why = reason.text();
    if (tileItem->toolTip() != why)
        tileItem->setToolTip(why);
    tileItem->setPos(rect.x(), rect.y());
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
    return url.trimmed().startsWith(QLatin1String("rtsp://"), Qt::CaseInsensitive);
}

QString camData::rtspUrlFor(const QString &text, const QString &user, const QString &password)
{
    QUrl url(text.trimmed());
    if (url.userName().isEmpty() && !user.isEmpty()) {
        url.setUserName(user);
        url.setPassword(password);
    }
    return url.toString(QUrl::FullyEncoded);
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
    retireRtsp();
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
    const bool typingHelps = rtsp || (http && http->challengeAnswerable());
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
    if (tracing()) {
        QMutexLocker lock(&traceMutex);
        traceLines.append(line);
    }
}

// A connection that went silent without saying why: it never answered, or it answered
// without pictures, or its pictures stopped.
void camData::noteSilence()
{
    if (reasonThisRequest || streamError || (!rtsp && (!http || requestId < 0)))
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
    retireRtsp();
    running = false;
}

void camData::closeSockets()
{
    // Every reader is asked first, so that they stop side by side; then each is waited for. One
    // stuck in a name look-up, which nothing interrupts, is left to end on its own (its memory
    // with it) rather than hold up the camera's removal or the program's end.
    retireRtsp();
    for (const auto &reader : retiredReaders)
        reader->requestStop();
    QDeadlineTimer deadline(readerJoinMs);
    for (auto &reader : retiredReaders) {
        while (!reader->finished() && !deadline.hasExpired())
            QThread::msleep(5);
        if (!reader->finished()) {
            reader->detach();
            (void)reader.release();
        }
    }
    retiredReaders.clear();
    if (!http)
        return;
    http->abort();
    http->deleteLater();
    http = nullptr;
}

void camData::startRtsp()
{
    retireRtsp();
    const int stallMs = stallTimeoutMs ? *stallTimeoutMs : defaultStallTimeoutMs;
    rtsp = std::make_unique<rtspReader>(rtspUrlFor(streamUrl, camModule.CAM_User, camModule.CAM_Password), stallMs);
    rtspSeen = 0;
    rtspPackets = 0;
    ++rtspSegment;
    rtspPicture = QImage();
    rtsp->start();
    framesSinceGet = 0;
}

// A reader is stopped without waiting for it: its thread ends within moments, and is joined
// once it has (or when the camera goes).
void camData::retireRtsp()
{
    retiredReaders.erase(std::remove_if(retiredReaders.begin(), retiredReaders.end(),
                                        [](const std::unique_ptr<rtspReader> &reader) { return reader->finished(); }),
                         retiredReaders.end());
    if (!rtsp)
        return;
    rtsp->requestStop();
    retiredReaders.push_back(std::move(rtsp));
}

// The failed connection shows the camera as not connected at once and is started again after
// the stall time, as an HTTP camera that stopped answering.
void camData::noteRtspFailure()
{
    using kind = connectionReason::kind;
    switch (rtsp->failed()) {
    case rtspReader::failure::loginRefused:
        noteRefusal();
        break;
    case rtspReader::failure::unknownCodec:
        setReason(kind::unknownCodec, rtsp->codecName());
        break;
    case rtspReader::failure::refused:
        setReason(kind::refused);
        break;
    case rtspReader::failure::noAnswer:
        setReason(kind::noAnswer);
        break;
    case rtspReader::failure::stalled:
        setReason(kind::stalled);
        break;
    case rtspReader::failure::closed:
        setReason(kind::closed);
        break;
    case rtspReader::failure::error:
    case rtspReader::failure::none:
        qCDebug(dxcamTrace).noquote() << "-----> RTSP" << camModule.camName << ":" << rtsp->failureText();
        setReason(kind::badAnswer);
        break;
    }
    streamError = true;
    receiving = false;
    newData = false;
}

bool camData::readRtsp()
{
    const QRectF rect = tileRect();
    rtsp->setTarget(shown ? QSize(int(rect.width()), int(rect.height())) : QSize(), settings ? settings->scaleMode : 0);
    recordPackets();
    if (streamError)
        return false;
    if (rtsp->failed() != rtspReader::failure::none) {
        noteRtspFailure();
        return false;
    }
    // Packets tell that the camera sends: a camera with a long key picture interval, or one whose
    // window is hidden (only key pictures are decoded then), goes long without a new picture.
    const quint64 packets = rtsp->packetCount();
    if (packets == rtspPackets)
        return false;
    rtspPackets = packets;
    const quint64 count = rtsp->decodedCount();
    const qint64 fresh = qint64(count - rtspSeen);
    rtspSeen = count;
    ++nnRead;
    noDataMs = 0;
    receiving = true;
    scannedOnce = true;
    startTraceLine();
    if (fresh > 0) {
        authRefusals = 0;
        refusalStreak = 0;
        pictureSinceRequest = true;
        setReason(connectionReason::kind::none);
    }
    framesExtracted += fresh;
    framesChanged += fresh;
    framesSinceGet += fresh;
    if (rtsp->takePicture(rtspPicture, &rtspTimes))
        newData = true;
    traceStamp("", ") Conv: ");
    return true;
}

void camData::recordPackets()
{
    const bool manual = videoRecording && videoSink;
    rtsp->setKeepPackets((automatic.packetMode() && automatic.recordingActive()) || manual);
    if (rtsp->takeLostPackets() > 0)
        ++rtspSegment;
    AVPacket *packet = rtsp->takePacket();
    if (!packet)
        return;
    AVCodecParameters *par = avcodec_parameters_alloc();
    int num = 0;
    int den = 1;
    const bool known = par && rtsp->streamParameters(par, &num, &den);
    for (; packet; packet = rtsp->takePacket()) {
        if (known) {
            automatic.takePacket(packet, par, num, den, rtspSegment);
            if (recordsByHand())
                videoSink->appendPacket(packet, par, num, den, rtspSegment);
        }
        av_packet_free(&packet);
    }
    avcodec_parameters_free(&par);
}

bool camData::hasFrame() const
{
    if (isRtspUrl(streamUrl))
        return rtsp && rtsp->hasPicture();
    return !cutter.frames().isEmpty();
}

QByteArray camData::newestFrame() const
{
    if (isRtspUrl(streamUrl))
        return rtsp ? rtsp->newestJpeg() : QByteArray();
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
    return isRtspUrl(streamUrl) ? qint64(rtspSeen) : cutter.pictureCount();
}

camData::connectionState camData::state() const
{
    if (rtsp) {
        if (rtsp->playing())
            return connectionState::connected;
        return rtsp->finished() ? connectionState::unconnected : connectionState::connecting;
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
    if (rtsp)
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
        traceLine.clear();
        return false;
    }
    ++nnRead;
    // And only a picture's end or a picture's worth of bytes, when they arrive: a camera that
    // drips a few bytes now and then shows nothing and counts as silent.
    bytesSinceAlive += got;
    if (pictureEnded || bytesSinceAlive > aliveBytes)
        markAlive();
    traceStamp("", ") Conv: ");
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
        traceStamp("F:", " ;");
    if (cutter.pictureCount() == complete)
        return;
    // Another picture to show.
    newData = true;
    pictureSinceRequest = true;
    setReason(connectionReason::kind::none);
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
    noDataMs += tickMs;
    const int timeout = stallTimeoutMs ? *stallTimeoutMs : defaultStallTimeoutMs;
    // Bytes that hold no picture keep the camera "receiving"; the user still learns why the
    // tile stays grey.
    if (receiving && !pictureSinceRequest && state() == connectionState::connected) {
        noPictureMs += tickMs;
        if (noPictureMs > timeout)
            setReason(connectionReason::kind::noPictures);
    }
    if (noDataMs <= timeout) {
        renderTile();
        return false;
    }
    noDataMs = 0;
    bytesSinceAlive = 0;
    const bool wasReceiving = receiving;
    if (wasReceiving)
        noteSilence();
    receiving = false;
    renderTile();
    return !wasReceiving;
}

// How long the picture now put on the tile took since the camera sent it, and since it was
// decoded and scaled: " Lat=<ms>,<ms>".
void camData::traceDelay()
{
    if (!tracing() || traceLine.isEmpty())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    traceLine += QLatin1String(" Lat=");
    appendPadded(traceLine, now - rtspTimes.sentMs, 0);
    traceLine += QLatin1Char(',');
    appendPadded(traceLine, now - rtspTimes.decodedMs, 0);
    traceLine += QLatin1Char(' ');
}

void camData::startTraceLine()
{
    if (!tracing())
        return;
    traceLine = camModule.camName.leftJustified(20, QLatin1Char(' '), true) + QStringLiteral("   :: n[v=");
    appendPadded(traceLine, framesPerRate, 3);
    traceLine += QLatin1String(",rd=");
    appendPadded(traceLine, framesExtracted, 3);
    traceLine += QLatin1String(",ok=");
    appendPadded(traceLine, framesDisplayed, 3);
    traceLine += QLatin1String("] (Rd-> ");
    traceStamp("", " .");
}

// "%2d,%2d,%3d" of minute, second and millisecond, between `before` and `after`.
void camData::traceStamp(const char *before, const char *after)
{
    // Stamps belong to the line a read started; a tick without a read adds no line.
    if (!tracing() || traceLine.isEmpty())
        return;
    const QTime now = traceClock();
    traceLine += QLatin1String(before);
    appendPadded(traceLine, now.minute(), 2);
    traceLine += QLatin1Char(',');
    appendPadded(traceLine, now.second(), 2);
    traceLine += QLatin1Char(',');
    appendPadded(traceLine, now.msec(), 3);
    traceLine += QLatin1String(after);
}

void camData::renderTile()
{
    pending = pendingRender();
    htppRD();

    QByteArray picture;
    if (receiving) {
        if (!rtsp) {
            scanPending();
            if (scannedOnce)
                picture = cutter.newestPicture();
        }
        traceStamp("( L=", "; ");
    }
    const bool usePlaceholder = rtsp ? !receiving || rtspSeen == 0 : picture.isEmpty();
    const QRectF rect = tileRect();
    const QSize tileSize(int(rect.width()), int(rect.height()));
    const int scaleMode = settings ? settings->scaleMode : 0;
    // The picture shown is drawn again when the tile changed or it was not on the tile: a
    // camera with one picture a second would otherwise wait for the next one. (An RTSP camera's
    // picture comes decoded to the tile, once.)
    const bool redraw = !rtsp
        && (drawn.from != pendingRender::source::picture || drawn.tile != tileSize || drawn.scaleMode != scaleMode);

    if (!shown) {
        pending.from = pendingRender::source::none;
    } else if (newData || usePlaceholder || redraw) {
        pending.tile = tileSize;
        pending.scaleMode = scaleMode;
        pending.from = usePlaceholder ? pendingRender::source::placeholder : pendingRender::source::picture;
        pending.jpeg = picture;
        pending.serial = pictureSerial();
        if (rtsp && !usePlaceholder) {
            pending.predecoded = true;
            pending.decoded = std::move(rtspPicture);
            rtspPicture = QImage();
            traceDelay();
        }
        if (!usePlaceholder && newData) {
            ++framesDisplayed;
            newData = false;
        }
    } else {
        pending.from = pendingRender::source::keep;
    }
    pending.pixelSize = overlayPixelSize ? *overlayPixelSize : defaultPixelSize;

    if (!receiving)
        pending.caption = QStringLiteral("!UNCONNECTED! -> ");
    else if (selected)
        pending.caption = QStringLiteral("> ");

    showRequest = camModule.status.popupRequest;
    camModule.status.popupRequest = false;
    input1Copy = camModule.status.input1Active;
    input2Copy = camModule.status.input2Active;

    pending.callCaption = sipModuleRec.status.callForced || input1Copy || input2Copy;
    if (pending.callCaption)
        pending.caption += QCoreApplication::translate("camData", "Eingehender Ruf von ");
    pending.caption += camModule.camName;

    if (!tracing() || traceLine.isEmpty())
        return;
    traceStamp("", ")");
    QMutexLocker lock(&traceMutex);
    traceLines.append(traceLine);
    traceLine.clear();
}

// The picture before last is no longer on the tile item: its memory takes the next picture.
void camData::prepareDecode()
{
    if (pendingAlreadyShown())
        pending.from = pendingRender::source::none;
    if (pending.from != pendingRender::source::picture || pending.predecoded)
        return;
    pending.reuse = retired.toImage();
    retired = QPixmap();
}

void camData::decodePending()
{
    if (pending.from == pendingRender::source::picture && !pending.predecoded)
        pending.decoded = tileDecoder::decode(pending.jpeg, pending.tile, pending.scaleMode, std::move(pending.reuse));
    pending.reuse = QImage();
    // Not held beyond the decode: the cutter adds the lines that follow a picture in place.
    pending.jpeg = QByteArray();
}

QPixmap camData::scaledPlaceholder(const QSize &size, int scaleMode)
{
    if (placeholderScaledFor != size || placeholderScaledMode != scaleMode) {
        const QSize target = tileDecoder::targetSize(placeholder.size(), size, scaleMode);
        placeholderScaled = target.isEmpty()
            ? QPixmap()
            : placeholder.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        placeholderScaledFor = size;
        placeholderScaledMode = scaleMode;
    }
    return placeholderScaled;
}

// The same caption over the same pixels: drawing it again would change nothing but cost a copy
// of the pixmap (the tile item shares it) and a repaint of the tile.
bool camData::pendingAlreadyShown() const
{
    using source = pendingRender::source;
    if (pending.from == source::none)
        return false;
    if (pending.caption != drawn.caption || pending.callCaption != drawn.callCaption
        || pending.pixelSize != drawn.pixelSize)
        return false;
    if (pending.from == source::keep)
        return true;
    if (pending.predecoded)
        return false;
    const bool samePicture = pending.from == source::placeholder || pending.serial == drawn.serial;
    return drawn.from == pending.from && samePicture && drawn.tile == pending.tile
        && drawn.scaleMode == pending.scaleMode;
}

void camData::paintPending()
{
    if (pendingAlreadyShown())
        pending.from = pendingRender::source::none;
    switch (pending.from) {
    case pendingRender::source::none:
        return;
    case pendingRender::source::keep:
        break;
    case pendingRender::source::placeholder:
        display = scaledPlaceholder(pending.tile, pending.scaleMode);
        break;
    case pendingRender::source::picture:
        retired = std::move(display);
        display = QPixmap::fromImage(std::move(pending.decoded));
        break;
    }
    const pendingRender::source from = pending.from;
    pending.from = pendingRender::source::none;
    if (from != pendingRender::source::keep) {
        drawn = drawnState();
        drawn.from = from;
        drawn.serial = pending.serial;
        drawn.tile = pending.tile;
        drawn.scaleMode = pending.scaleMode;
        displayChanged = true;
    }
    drawn.caption = pending.caption;
    drawn.callCaption = pending.callCaption;
    drawn.pixelSize = pending.pixelSize;
    if (display.isNull()) {
        if (from != pendingRender::source::keep)
            lastDrawnRect = QRect();
        return;
    }
    displayChanged = true;

    QPainter painter(&display);
    lastDrawnRect = display.rect();
    const int pixelSize = qMax(1, pending.pixelSize);
    if (font.pixelSize() != pixelSize || captionText.text() != pending.caption) {
        font.setPixelSize(pixelSize);
        captionText.setText(pending.caption);
        captionText.setTextFormat(Qt::PlainText);
        captionText.prepare(QTransform(), font);
    }
    pen.setColor(pending.callCaption ? Qt::green : Qt::black);
    painter.setFont(font);
    painter.setPen(pen);
    // What does not fit the caption's place is cut off.
    const QRect place(lastDrawnRect.left() + captionOffset, lastDrawnRect.top() + captionOffset, captionWidth,
                      pending.pixelSize + captionOffset);
    painter.setClipRect(place);
    painter.drawStaticText(place.topLeft(), captionText);
    pen.setColor(Qt::black);
}

void camData::finishRender()
{
    prepareDecode();
    decodePending();
    paintPending();
}

void camData::finishRenders(const QList<camData *> &cameras)
{
    QList<camData *> decoding;
    for (camData *camera : cameras) {
        camera->prepareDecode();
        if (camera->pending.from == pendingRender::source::picture && !camera->pending.predecoded)
            decoding.append(camera);
    }
    if (decoding.size() > 1)
        QtConcurrent::blockingMap(decoding, [](camData *camera) { camera->decodePending(); });
    else if (!decoding.isEmpty())
        decoding.first()->decodePending();
    for (camData *camera : cameras)
        camera->paintPending();
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
    framesExtracted = framesDisplayed = 0;
    prevExtracted = prevDisplayed = 0;
    rateSamples = rateSum = 0;
    extractedRate = displayedRate = 0;
    prevSampleMs = now.second() * 1000 + now.msec();
}

QStringList camData::takeTraceLines()
{
    QMutexLocker lock(&traceMutex);
    QStringList lines;
    lines.swap(traceLines);
    return lines;
}
