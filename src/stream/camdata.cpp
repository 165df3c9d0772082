#include "camdata.h"

#include "cameraaddress.h"
#include "httpsource.h"
#include "httpstream.h"
#include "picturesink.h"
#include "rtspsource.h"
#include "streamsummary.h"
#include "tickperiod.h"
#include "tiletext.h"
#include "tracecategory.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QHostAddress>

qint64 camData::nnRead = 0;

namespace {
constexpr int defaultStallTimeoutMs = 5000;
constexpr int defaultPixelSize = 20;
constexpr qint64 aliveBytes = 8190;  // bytes that tell a camera is alive without a complete picture
// A door call, or a picture to save or print, keeps the main stream this long after it was last
// asked for: the alarm picture and the picture kept come from it.
constexpr int mainHoldMs = 30000;
}  // namespace

camData::camData(const QPixmap &placeholderPicture, QObject *httpParentObject, QObject *parent)
    : QObject(parent), httpParent(httpParentObject), renderer(placeholderPicture)
{
}

camData::~camData()
{
    closeSockets();
}

void camData::wireSettings(const shellSettings *shell, const bool *traceOn, const int *stallTimeout,
                           const int *pixelSize)
{
    settings = shell;
    trace.wire(traceOn);
    stallTimeoutMs = stallTimeout;
    overlayPixelSize = pixelSize;
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

void camData::applyAddressRules()
{
    cameraAddress::applyRule(camModule, camModule.addressText());
    cameraAddress::applyRule(sipModuleRec, sipModuleRec.addressText());
}

void camData::setAddresses(const QString &cameraText, const QString &sipText, const QHostAddress *own)
{
    ownAddress = own;
    cameraAddress::applyRule(camModule, cameraText);
    cameraAddress::applyRule(sipModuleRec, sipText);
    createHttp();
    running = true;
    receiving = true;
    noDataMs = 0;
}

QString camData::setAddressText(const QString &text)
{
    cameraAddress::applyRule(camModule, text);
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
    return cameraAddress::streamUrlFor(camModule) + QLatin1Char('\n') + camModule.CAM_User + QLatin1Char('\n') + camModule.CAM_Password
        + QLatin1Char('\n') + cameraAddress::subStreamUrlFor(camModule) + QLatin1Char('\n') + QString::number(recordsFromSub());
}

// ---- grid ------------------------------------------------------------------------------------

void camData::attachToScene(QGraphicsScene *target)
{
    resetScanner();
    renderer.attachToScene(target);
}

// ---- stream ----------------------------------------------------------------------------------

bool camData::isRtsp() const
{
    return cameraAddress::isRtspUrl(recordsFromSub() ? cameraAddress::subStreamUrlFor(camModule)
                                                     : cameraAddress::streamUrlFor(camModule));
}

bool camData::hasSubStream() const
{
    return !cameraAddress::subStreamUrlFor(camModule).isEmpty();
}

QString camData::tileUrl() const
{
    return tileIsSub ? cameraAddress::subStreamUrlFor(camModule) : cameraAddress::streamUrlFor(camModule);
}

QString camData::transportText() const
{
    return source ? source->transportText() : QStringLiteral("HTTP");
}

void camData::createHttp()
{
    running = false;
    const bool sub = hasSubStream() && !largeView;
    // The other stream goes on (a recording from it has no gap), unless the addresses changed or
    // it is the one the tile takes now.
    if (connectedWith != connectionSettings() || standby.isSub() == sub)
        standby.end();
    tileIsSub = sub;
    streamUrl = tileUrl();
    connectedWith = connectionSettings();
    automatic.setPacketMode(isRtsp());
    // An RTSP camera's source is kept: it counts the redirects across connections.
    const bool packets = cameraAddress::isRtspUrl(streamUrl);
    if (!source || source->deliversPackets() != packets)
        source = makeSource(packets);
    source->renew(streamUrl);
    streamError = true;
}

// Either stream may be the tile's or the other one, and change between them: each source asks
// at the time whether it is the one the tile or the recording takes.
std::unique_ptr<cameraSource> camData::makeSource(bool packets)
{
    std::unique_ptr<cameraSource> next = packets ? std::unique_ptr<cameraSource>(std::make_unique<rtspSource>())
                                                 : std::make_unique<httpSource>(httpParent);
    const cameraSource *made = next.get();
    next->setRecordingFeed(
        [this, made](const QByteArray &picture) {
            if (recordedSource() == made)
                recordPicture(picture);
        },
        [this, made](const cameraPacket &packet) {
            if (recordedSource() != made)
                return;
            automatic.takePacket(packet);
            if (recordsByHand())
                manual.sink->appendPacket(packet);
        });
    connect(next.get(), &cameraSource::failed, this, [this, made](const cameraSource::failure &why) {
        if (source.get() == made)
            noteFailure(why);
    });
    connect(next.get(), &cameraSource::answered, this, [this, made](bool accepted) {
        if (source.get() != made)
            return;
        authRefusals = 0;
        if (accepted)
            refusalStreak = 0;
    });
    return next;
}

cameraSource::target camData::connectionTarget() const
{
    cameraSource::target to;
    to.name = camModule.camName;
    to.user = camModule.CAM_User;
    to.password = camModule.CAM_Password;
    to.trustedSha256 = httpStream::fingerprintFromText(camModule.CAM_Fingerprint);
    to.stallTimeoutMs = stallTimeoutMs ? *stallTimeoutMs : defaultStallTimeoutMs;
    return to;
}

void camData::requestStream()
{
    if (!source)
        return;
    // Nothing is sent while the refused login waits, or for a certificate the user declined;
    // the reason shown stays that one.
    const QString &declined = camModule.certificateDeclinedFor;
    if (loginBackingOff() || (!declined.isEmpty() && declined == streamUrl))
        return;
    pictureSinceRequest = false;
    reasonThisRequest = false;
    noPictureMs = 0;
    source->connectTo(connectionTarget());
    framesSinceGet = 0;
}

httpStream *camData::stream() const
{
    const auto *http = qobject_cast<const httpSource *>(source.get());
    return http ? http->stream() : nullptr;
}

rtspReader *camData::rtspStream() const
{
    const auto *rtsp = qobject_cast<const rtspSource *>(picturesFrom(true));
    return rtsp ? rtsp->reader() : nullptr;
}

int camData::requestIdValue() const
{
    const auto *http = qobject_cast<const httpSource *>(source.get());
    return http ? http->requestId() : -1;
}

QString camData::credentialsInUse() const
{
    return camModule.CAM_User + QLatin1Char('\n') + camModule.CAM_Password + QLatin1Char('\n') + streamUrl;
}

// A 401 without a challenge this viewer can answer counts as well: retrying as often would not
// help either, but neither would asking the user.
void camData::noteRefusal(bool typingHelps)
{
    const QString sent = credentialsInUse();
    refusalStreak = refusalStreak > 0 && sent == refusedCredentials ? refusalStreak + 1 : 1;
    refusedCredentials = sent;
    retryNotBefore = QDeadlineTimer(retryDelayMs());
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

void camData::noteFailure(const cameraSource::failure &why)
{
    if (why.certificate) {
        refusedCertificate = source->refusedCertificate();
        refusedCertificateErrors = source->certificateErrors();
    }
    if (why.loginRefused)
        noteRefusal(why.typingHelps);
    else
        setReason(why.what, why.detail);
    if (!why.endsStream)
        return;
    streamError = true;
    if (!why.silentNow)
        return;
    receiving = false;
    newData = false;
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
    if (reasonThisRequest || streamError || !source || !source->requested())
        return;
    if (state() == connectionState::connecting)
        setReason(connectionReason::kind::noAnswer);
    else
        setReason(pictureSinceRequest ? connectionReason::kind::stalled : connectionReason::kind::noPictures);
}

void camData::abortStream()
{
    streamError = true;
    if (source)
        source->stop();
    running = false;
}

// A new connection gets the whole stall time; the count of a stopped camera runs on and would
// abort the new one at once when it happens to be near its end.
void camData::start()
{
    noDataMs = 0;
    abortedOnce = false;
    receiving = true;
    userStopped = false;
    createHttp();
    requestStream();
    streamError = false;
}

void camData::finishStartup()
{
    running = false;
    camModule.startupMark = true;
}

void camData::countRunningTick()
{
    if (runningTicks > 0)
        ++runningTicks;
}

void camData::superviseStartup()
{
    if (receiving || !source)
        return;
    if (state() == connectionState::connecting) {
        checkCounter = 0;
        return;
    }
    if (++checkCounter > 50)
        scannedOnce = false;
}

void camData::closeSockets()
{
    standby.end();
    source.reset();
}

// Decoding that fell behind leaves pictures out to show what happens now; the log says so once
// a connection.
void camData::noteDropped(const cameraSource::reading &got)
{
    framesDropped += got.dropped;
    if (!got.lagged)
        return;
    const QString line = camModule.camName + QLatin1String(" (") + camModule.shownAddress() + QLatin1String("): ")
        + tr("Dekodieren im Rückstand: Bilder bis zum nächsten Schlüsselbild ausgelassen");
    qCInfo(dxcamTrace).noquote() << line;
    trace.append(line);
}

bool camData::hasFrame() const
{
    const cameraSource *from = picturesFrom(true);
    return from && from->hasFrame();
}

QByteArray camData::newestFrame() const
{
    const cameraSource *from = picturesFrom(true);
    return from ? from->newestFrame() : QByteArray();
}

const QList<QByteArray> &camData::frames() const
{
    static const QList<QByteArray> none;
    const cameraSource *from = picturesFrom(true);
    return from ? from->frames() : none;
}

bool camData::hasPicture() const
{
    const cameraSource *from = picturesFrom(false);
    return from && from->hasPicture();
}

QByteArray camData::newestPicture() const
{
    const cameraSource *from = picturesFrom(false);
    return from ? from->newestPicture() : QByteArray();
}

qint64 camData::pictureSerial() const
{
    const cameraSource *from = picturesFrom(false);
    return from ? from->pictureSerial() : 0;
}

camData::connectionState camData::state() const
{
    return source ? source->state() : connectionState::unconnected;
}

bool camData::isIdle() const
{
    const connectionState current = state();
    return current == connectionState::unconnected || current == connectionState::connecting;
}

bool camData::htppRD()
{
    if (!source)
        return false;
    serveStreams();
    const QRectF rect = tileRect();
    source->setTarget(shown ? QSize(int(rect.width()), int(rect.height())) : QSize(),
                      settings ? settings->scaleMode : 0);
    const bool byHand = manual.recording && manual.sink;
    source->feedRecording(recordedSource() == source.get()
                          && ((automatic.packetMode() && automatic.recordingActive()) || byHand));
    if (streamError)
        return false;
    const cameraSource::reading got = source->read();
    noteDropped(got);
    if (!got.read) {
        if (got.attempted)
            trace.dropLine();
        return false;
    }
    ++nnRead;
    startTraceLine();
    // Only a picture's end or a picture's worth of bytes, when they arrive, tell a camera is
    // alive: one that drips a few bytes now and then shows nothing and counts as silent.
    bytesSinceAlive += got.bytes;
    if (got.alive || bytesSinceAlive > aliveBytes)
        markAlive();
    if (got.pictures)
        takePictures(*got.pictures);
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
    if (!source)
        return;
    if (const std::optional<cameraSource::arrival> cut = source->cutPending(trace))
        takePictures(*cut);
}

void camData::takePictures(const cameraSource::arrival &got)
{
    scannedOnce = true;
    streamPictures[tileIsSub ? 1 : 0] += got.pictures;
    framesExtracted += got.pictures;
    framesChanged += got.pictures;
    framesSinceGet += got.pictures;
    if (got.toShow)
        newData = true;
    if (!got.progress)
        return;
    authRefusals = 0;
    refusalStreak = 0;
    pictureSinceRequest = true;
    setReason(connectionReason::kind::none);
}

void camData::setShown(bool isShown)
{
    shown = isShown;
    if (shown)
        return;
    if (source)
        source->setTarget(QSize(), 0);
    if (standby.active())
        standby.source()->setTarget(QSize(), 0);
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
        manual.sink->append(picture);
}

// While the automatic file takes this camera's pictures, a recording by hand gets none: it ends
// and says so (automatic recording may be switched on while it runs).
bool camData::recordsByHand()
{
    if (!manual.recording || !manual.sink)
        return false;
    if (!automatic.recordingActive() || !automatic.writeEnabled())
        return true;
    manual.sink->takenOver();
    return false;
}

void camData::attachVideo()
{
    manual.attached = true;
    manual.bytesWritten = 0;
}

void camData::videoStarted(pictureSink *sink)
{
    manual.recording = true;
    manual.bytesWritten = 0;
    manual.sink = sink;
}

void camData::detachVideo()
{
    manual.attached = false;
    manual.sink = nullptr;
}

void camData::controlRecording()
{
    automatic.controlRecording(settings && settings->BildAllSaveEn);
}

void camData::motionTick()
{
    automatic.motionTick(flags.motionEvent);
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
    if (source)
        source->resetScanner();
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
    using from = tileRenderer::source;
    htppRD();

    if (receiving) {
        scanPending();
        trace.stamp("( L=", "; ");
    }
    const bool usePlaceholder = !receiving || !scannedOnce || !source || !source->hasPictureToShow();
    const QRectF rect = tileRect();
    const QSize tileSize(int(rect.width()), int(rect.height()));
    const int scaleMode = settings ? settings->scaleMode : 0;
    // The picture shown is drawn again when the tile changed or it was not on the tile: a
    // camera with one picture a second would otherwise wait for the next one. (A picture that
    // comes decoded to the tile comes once.)
    const bool redraw = !(source && source->picturesComeScaled()) && !renderer.showsPictureFor(tileSize, scaleMode);

    tileRenderer::job job;
    if (!shown) {
        job.from = from::none;
    } else if (newData || usePlaceholder || redraw) {
        job.tile = tileSize;
        job.scaleMode = scaleMode;
        job.from = usePlaceholder ? from::placeholder : from::picture;
        job.serial = source ? source->pictureSerial() : 0;
        if (!usePlaceholder)
            source->putPicture(job, trace);
        if (!usePlaceholder && newData) {
            ++framesDisplayed;
            newData = false;
        }
    } else {
        job.from = from::keep;
    }
    job.pixelSize = overlayPixelSize ? *overlayPixelSize : defaultPixelSize;

    if (!receiving)
        job.caption = QStringLiteral("!UNCONNECTED! -> ");
    else if (selected)
        job.caption = QStringLiteral("> ");

    flags.showRequest = camModule.status.popupRequest;
    camModule.status.popupRequest = false;
    flags.input1Copy = camModule.status.input1Active;
    flags.input2Copy = camModule.status.input2Active;

    job.callCaption = sipModuleRec.status.callForced || flags.input1Copy || flags.input2Copy;
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
    for (int which = 0; which < 2 && seconds > 0; ++which) {
        streamRates[which] = double(streamPictures[which] - prevStreamPictures[which]) / seconds;
        prevStreamPictures[which] = streamPictures[which];
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

// ---- the two streams -------------------------------------------------------------------------

void camData::setPlaces(bool large, bool inPopup)
{
    largeView = large;
    inPopupWindow = inPopup;
}

const cameraSource *camData::recordedSource() const
{
    const bool sub = recordsFromSub();
    if (tileIsSub == sub)
        return source.get();
    return standby.active() && standby.isSub() == sub ? standby.source() : nullptr;
}

const cameraSource *camData::mainSource() const
{
    if (!tileIsSub)
        return source.get();
    return standby.active() && !standby.isSub() ? standby.source() : nullptr;
}

// The large places take the main stream's pictures. While it has none, the small stream's stand
// in where a picture is shown; a picture to keep waits for the main one as long as it comes.
const cameraSource *camData::picturesFrom(bool waitForMain) const
{
    if (!tileIsSub)
        return source.get();
    const cameraSource *main = mainSource();
    if (main && main->hasPicture())
        return main;
    if (waitForMain && (main ? standby.coming() : holdsMainStream()))
        return main;
    return source.get();
}

void camData::holdMainStreamIf(bool on)
{
    if (on && hasSubStream())
        mainHold = QDeadlineTimer(mainHoldMs);
}

bool camData::holdsMainStream() const
{
    return !mainHold.hasExpired();
}

bool camData::streamNeeded(bool sub) const
{
    const bool recorded = recordsAutomatically() || manual.attached;
    if (recorded && recordsFromSub() == sub)
        return true;
    return !sub && (inPopupWindow || holdsMainStream());
}

// Once a tick, before the tile's stream is read: the other stream is started while something
// needs it and let go when nothing does. The tile changes to it once it has a picture, so the
// tile shows the stream it had until then.
void camData::serveStreams()
{
    if (!hasSubStream()) {
        standby.end();
        return;
    }
    holdMainStreamIf(sipModuleRec.status.callForced || sipModuleRec.status.callActive || flags.input1Copy
                     || flags.input2Copy);
    const bool switching = shown && largeView == tileIsSub && !userStopped;
    const bool otherIsSub = !tileIsSub;
    if (!switching && !streamNeeded(otherIsSub)) {
        standby.end();
        return;
    }
    if (!standby.active() || standby.wantsRestart())
        startStandby();
    const bool byHand = manual.recording && manual.sink;
    const bool keepPackets = recordedSource() == standby.source()
        && ((automatic.packetMode() && automatic.recordingActive()) || byHand);
    standby.poll(standbyTarget(switching), settings ? settings->scaleMode : 0, keepPackets, standbyTrace);
    streamPictures[otherIsSub ? 1 : 0] += standby.pictures() - standbyCounted;
    standbyCounted = standby.pictures();
    qint64 afterMs = 0;
    if (standby.takeFirstPicture(&afterMs) && !otherIsSub)
        qCDebug(dxcamTrace).noquote()
            << QStringLiteral("##### main stream first picture after %1 ms: %2").arg(afterMs).arg(camModule.camName);
    if (switching && standby.hasPicture())
        swapStreams();
}

void camData::startStandby()
{
    const bool sub = !tileIsSub;
    const QString url = sub ? cameraAddress::subStreamUrlFor(camModule) : cameraAddress::streamUrlFor(camModule);
    standbyCounted = 0;
    standby.begin(makeSource(cameraAddress::isRtspUrl(url)), sub, url, connectionTarget());
}

// A stream about to take the tile decodes to it; the main stream beside the grid decodes for the
// popup window or a call; one that only records decodes nothing.
QSize camData::standbyTarget(bool switching) const
{
    const QRectF rect = tileRect();
    const QSize tile(int(rect.width()), int(rect.height()));
    if (switching || (!standby.isSub() && (inPopupWindow || (shown && holdsMainStream()))))
        return tile.isEmpty() ? QSize(1, 1) : tile;
    return QSize();
}

void camData::swapStreams()
{
    switchMs = standby.sinceBeginMs();
    const bool toSub = standby.isSub();
    std::unique_ptr<cameraSource> previous = std::move(source);
    source = standby.handOver();
    tileIsSub = toSub;
    streamUrl = tileUrl();
    standbyCounted = 0;
    if (previous && streamNeeded(!toSub))
        standby.adopt(std::move(previous), !toSub, connectionTarget().stallTimeoutMs);
    previous.reset();
    // The new stream has shown a picture already: it is the connection the stall rules watch now.
    receiving = scannedOnce = newData = pictureSinceRequest = true;
    streamError = abortedOnce = reasonThisRequest = false;
    noDataMs = noPictureMs = 0;
    bytesSinceAlive = 0;
    setReason(connectionReason::kind::none);
    qCDebug(dxcamTrace).noquote() << QStringLiteral("##### switched to the %1 after %2 ms: %3")
                                         .arg(toSub ? QStringLiteral("sub-stream") : QStringLiteral("main stream"))
                                         .arg(switchMs)
                                         .arg(camModule.camName);
}

QString camData::streamsText(const QString &separator) const
{
    if (!hasSubStream())
        return QString();
    const cameraSource *other = standby.active() ? standby.source() : nullptr;
    const auto lineOf = [&](bool sub) {
        const cameraSource *of = tileIsSub == sub ? source.get() : other;
        return streamSummary::line(sub, of, of == source.get() ? reason.text() : standby.reasonText(),
                                   streamRates[sub ? 1 : 0]);
    };
    return streamSummary::both(lineOf(false), lineOf(true), switchMs, separator);
}

QString camData::toolTipText() const
{
    const QString streams = streamsText(QStringLiteral("\n"));
    if (streams.isEmpty() || reason.text().isEmpty())
        return streams.isEmpty() ? reason.text() : streams;
    return reason.text() + QLatin1Char('\n') + streams;
}
