#include "rtspreader.h"

#include "camerapacket.h"
#include "framejpeg.h"
#include "nalassembler.h"
#include "rtspurl.h"
#include "tiledecoder.h"
#include "tlsrelay.h"

#include <QDateTime>
#include <QMutexLocker>

#include <chrono>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

struct frameDeleter {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using framePtr = std::unique_ptr<AVFrame, frameDeleter>;

// Decoding this far behind the camera, the decoder leaves out pictures nothing refers to;
// back under the lower mark it decodes all of them again.
constexpr qint64 skipAboveMs = 200;
constexpr qint64 skipBelowMs = 80;
// Further behind, everything up to the next key picture is left out: a door viewer shows what
// happens now.
constexpr qint64 dropAboveMs = 500;
constexpr qint64 lagWindowMs = 10000;
constexpr qint64 clockStepMs = 3000;

void setUpLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ffmpegLog::install();
        avformat_network_init();
    });
}

// The library's words just before it connects to the address a camera redirected it to.
constexpr char redirectingLog[] = "Status %d: Redirecting to %s";
// Each line of the camera's answers (its first one holds the status).
constexpr char answerLineLog[] = "line='%s'";

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

bool supportedCodec(AVCodecID id)
{
    return id == AV_CODEC_ID_H264 || id == AV_CODEC_ID_HEVC || id == AV_CODEC_ID_MJPEG;
}

}  // namespace

rtspReader::rtspReader(const QString &address, int stall, int redirectsAllowed)
    : url(address.toUtf8()), stallMs(qMax(1, stall)), redirectsAllowed(redirectsAllowed), newest(av_frame_alloc())
{
}

rtspReader::~rtspReader()
{
    requestStop();
    if (thread.joinable())
        thread.join();
    av_frame_free(&newest);
    avcodec_parameters_free(&parameters);
    for (keptPacket &kept : packets)
        av_packet_free(&kept.packet);
}

void rtspReader::start()
{
    if (thread.joinable())
        return;
    setUpLibraries();
    lastActivityMs = nowMs();
    thread = std::thread([this] { run(); });
}

void rtspReader::requestStop()
{
    stopRequested = true;
}

// Steady: a clock set anew (NTP) neither cuts connections nor fakes a lag.
qint64 rtspReader::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 rtspReader::epochMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The owner notices a silent camera after the stall time and stops the reader; this limit only
// ends a reader whose owner does not look (twice the time: the first picture may wait for a key
// picture).
int rtspReader::interrupted(void *opaque)
{
    const auto *reader = static_cast<const rtspReader *>(opaque);
    return reader->stopRequested.load() || nowMs() - reader->lastActivityMs.load() > 2 * qint64(reader->stallMs);
}

void rtspReader::run()
{
    ffmpegLog::listenOnThisThread(this);
    if (open())
        readPackets();
    isPlaying = false;
    sws_freeContext(scaler);
    scaler = nullptr;
    assembler.reset();
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    relay.reset();
    ffmpegLog::listenOnThisThread(nullptr);
    done = true;
}

void rtspReader::logged(void *context, int level, const char *text, va_list args)
{
    if (context && context == codec && level <= AV_LOG_ERROR)
        ++decoderErrors;
    if (!context || context != format)
        return;
    if (std::strncmp(text, redirectingLog, sizeof redirectingLog - 1) == 0) {
        judgeRedirect(va_arg(args, int));
    } else if (std::strncmp(text, answerLineLog, sizeof answerLineLog - 1) == 0) {
        const char *line = va_arg(args, const char *);
        int status = 0;
        if (line && std::sscanf(line, "RTSP/%*d.%*d %d", &status) == 1)
            lastStatus = status;
    }
}

// The library has taken the redirect's target as the address and connects to it next. Where that
// must not happen, no protocol is allowed any more: the connection fails before it is made. The
// relay of an rtsps camera carries one connection: none of its redirects is followed.
void rtspReader::judgeRedirect(int status)
{
    const QByteArray target(format->url);
    if (!rtspUrl::sameOrigin(url, target))
        refusedRedirect = rtspUrl::withoutLogin(target);
    else if (relay || ++redirects > redirectsAllowed)
        redirectStatus = status;
    else
        return;
    av_opt_set(format, "protocol_whitelist", "none", 0);
}

void rtspReader::fail(failure reason, const QString &text)
{
    if (stopRequested)
        return;  // asked to end: no fault of the camera
    QMutexLocker lock(&mutex);
    reasonText = text;
    failedWith = reason;
}

int rtspReader::connect(const char *transport)
{
    format = avformat_alloc_context();
    if (!format)
        return AVERROR(ENOMEM);
    format->interrupt_callback.callback = &rtspReader::interrupted;
    format->interrupt_callback.opaque = this;
    AVDictionary *options = nullptr;
    av_dict_set(&options, "rtsp_transport", transport, 0);
    av_dict_set(&options, "allowed_media_types", "video", 0);
    // Pieces of pictures as they come: the reader puts them together itself, within bounds.
    av_dict_set(&options, "fflags", "nobuffer+noparse", 0);
    av_dict_set(&options, "user_agent", "dxcamviewer", 0);
    // Through the relay the library speaks plain TCP to it, and nothing else to anyone.
    if (relay)
        av_dict_set(&options, "protocol_whitelist", "tcp", 0);
    lastActivityMs = nowMs();
    lastStatus = 0;
    const int opened = avformat_open_input(&format, address.constData(), nullptr, &options);
    av_dict_free(&options);
    return opened;
}

void rtspReader::failToOpen(int opened)
{
    if (!refusedRedirect.isEmpty())
        fail(failure::redirected, refusedRedirect);
    else if (redirectStatus)
        fail(failure::status, QString::number(redirectStatus));
    else if (opened == AVERROR_HTTP_UNAUTHORIZED)
        fail(failure::loginRefused, QStringLiteral("login refused"));
    else if (lastStatus >= 300)
        fail(failure::status, QString::number(lastStatus));
    else if (opened == AVERROR_EXIT)
        fail(failure::noAnswer, QStringLiteral("no answer"));
    else if (opened == AVERROR(ECONNREFUSED))
        fail(failure::refused, QStringLiteral("connection refused"));
    else
        fail(failure::error, errorText(opened));
}

// FFmpeg 5.1 opens the TLS connection of rtsps without any certificate check: whoever answered
// would get the login. The relay checks it, and the library is let in once it was taken.
bool rtspReader::openRelay()
{
    using result = tlsRelay::outcome;
    relay = std::make_unique<tlsRelay>(rtspUrl::host(url), rtspUrl::port(url), trustedFingerprint);
    relay->start();
    lastActivityMs = nowMs();
    result outcome = relay->waitForOutcome(50);
    while (outcome == result::pending && !interrupted(this))
        outcome = relay->waitForOutcome(50);
    if (outcome == result::relaying) {
        address = rtspUrl::relayed(url, relay->listenPort());
        return true;
    }
    if (outcome == result::untrustedCertificate || outcome == result::changedCertificate) {
        {
            QMutexLocker lock(&mutex);
            refusedCert = relay->refusedCertificate();
            refusedErrors = relay->certificateErrors();
        }
        fail(outcome == result::changedCertificate ? failure::changedCertificate : failure::untrustedCertificate,
             QStringLiteral("certificate refused"));
    } else if (outcome == result::refused) {
        fail(failure::refused, QStringLiteral("connection refused"));
    } else if (outcome == result::notTls) {
        fail(failure::error, QStringLiteral("TLS handshake failed"));
    } else {
        fail(failure::noAnswer, QStringLiteral("no answer"));
    }
    return false;
}

bool rtspReader::open()
{
    address = url;
    if (rtspUrl::isEncrypted(url) && !openRelay())
        return false;
    // Interleaved over the RTSP connection first; UDP where the camera refuses that (461), but
    // not through the relay.
    int opened = connect("tcp");
    usedTransport = transport::tcp;
    if (opened == AVERROR(EPROTONOSUPPORT) && !stopRequested && !relay) {
        opened = connect("udp");
        usedTransport = transport::udp;
    }
    if (opened < 0) {
        usedTransport = transport::none;
        failToOpen(opened);
        return false;
    }
    // The session description names the codec and carries its parameter sets; probing the
    // stream beyond that would swallow the first key picture (nothing is buffered), and the
    // first picture would wait for the next one.
    streamIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (streamIndex < 0) {
        fail(failure::unknownCodec, QStringLiteral("no picture stream"));
        return false;
    }
    const AVCodecParameters *par = format->streams[streamIndex]->codecpar;
    const AVCodec *decoder = avcodec_find_decoder(par->codec_id);
    {
        QMutexLocker lock(&mutex);
        codecText = QString::fromLatin1(avcodec_get_name(par->codec_id));
    }
    if (!supportedCodec(par->codec_id) || !decoder) {
        fail(failure::unknownCodec, QStringLiteral("unknown codec %1").arg(codecName()));
        return false;
    }
    if (!withinBounds(par))
        return false;
    if (par->codec_id != AV_CODEC_ID_MJPEG)
        assembler = std::make_unique<nalAssembler>(par->codec_id);
    codec = avcodec_alloc_context3(decoder);
    if (!codec || avcodec_parameters_to_context(codec, par) < 0) {
        fail(failure::error, QStringLiteral("no decoder"));
        return false;
    }
    // Twenty cameras share two cores: one thread each, and no frame delay for threading.
    codec->thread_count = 1;
    codec->flags |= AV_CODEC_FLAG_LOW_DELAY;
    codec->max_pixels = parameterSets::maxPixels;
    if (avcodec_open2(codec, decoder, nullptr) < 0) {
        fail(failure::unknownCodec, QStringLiteral("cannot decode %1").arg(codecName()));
        return false;
    }
    QMutexLocker lock(&mutex);
    parameters = avcodec_parameters_alloc();
    avcodec_parameters_copy(parameters, par);
    timeBaseNum = format->streams[streamIndex]->time_base.num;
    timeBaseDen = format->streams[streamIndex]->time_base.den;
    return true;
}

// The size the description gives, and its parameter sets, judged before the decoder sees them.
bool rtspReader::withinBounds(const AVCodecParameters *par)
{
    const bool sizeFits = par->width <= parameterSets::maxSide && par->height <= parameterSets::maxSide
        && qint64(par->width) * par->height <= parameterSets::maxPixels;
    const auto announced = par->codec_id == AV_CODEC_ID_MJPEG
        ? std::nullopt
        : nalAssembler::scan(par->codec_id, par->extradata, par->extradata_size).largest;
    if (sizeFits && (!announced || parameterSets::acceptable(*announced)))
        return true;
    const QSize size = announced ? QSize(announced->width, announced->height) : QSize(par->width, par->height);
    fail(failure::tooLarge, QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
    return false;
}

void rtspReader::readPackets()
{
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    while (!stopRequested) {
        lastActivityMs = nowMs();
        const int read = av_read_frame(format, packet);
        if (read < 0) {
            if (read == AVERROR_EOF)
                fail(failure::closed, QStringLiteral("connection closed"));
            else if (read == AVERROR_EXIT)
                fail(failure::stalled, QStringLiteral("no pictures for %1 ms").arg(2 * stallMs));
            else
                fail(failure::error, errorText(read));
            break;
        }
        const bool going = packet->stream_index != streamIndex || takePiece(packet, frame);
        av_packet_unref(packet);
        if (!going)
            break;
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
}

// Every piece of the picture stream tells that the camera sends; false when the connection is
// to end.
bool rtspReader::takePiece(AVPacket *piece, AVFrame *frame)
{
    isPlaying = true;
    ++received;
    if (!assembler)
        return takePicture(piece, true, frame);
    const bool complete = assembler->add(piece);
    if (assembler->overflowed()) {
        fail(failure::tooLarge, QStringLiteral("more than %1 bytes for a picture").arg(nalAssembler::maxPictureBytes));
        return false;
    }
    if (!complete)
        return true;
    const auto &announced = assembler->pictureFacts().largest;
    if (announced && !parameterSets::acceptable(*announced)) {
        fail(failure::tooLarge, QStringLiteral("%1x%2").arg(announced->width).arg(announced->height));
        return false;
    }
    AVPacket *picture = assembler->picture();
    return takePicture(picture, picture->flags & AV_PKT_FLAG_KEY, frame);
}

// One whole picture of the stream: kept for a recording, and decoded unless it is left out (the
// window is hidden, or decoding has fallen behind: then up to the next key picture).
bool rtspReader::takePicture(AVPacket *picture, bool key, AVFrame *frame)
{
    keepPacket(picture);
    arrivedMs = epochMs();
    showAgain();
    judgeLag(picture);
    if (dropping && key)
        dropping = false;
    const bool leftOut = dropping || (!key && (waitingForKey || wasHidden));
    // Waiting for the first key picture counts as not decoding: a stream without any is
    // unreadable too.
    if (undecodedSinceMs == 0 && (!leftOut || waitingForKey))
        undecodedSinceMs = nowMs();
    if (!leftOut) {
        waitingForKey = false;
        codec->skip_frame = lagging ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        if (avcodec_send_packet(codec, picture) >= 0) {
            while (avcodec_receive_frame(codec, frame) >= 0) {
                undecodedSinceMs = 0;
                publish(frame);
            }
        }
    } else if (dropping) {
        ++dropped;
    }
    if (undecodedSinceMs != 0 && nowMs() - undecodedSinceMs > 2 * qint64(stallMs)) {
        fail(failure::unreadable, QStringLiteral("nothing decoded for %1 ms").arg(2 * stallMs));
        return false;
    }
    return true;
}

// Arrival time minus presentation time grows when decoding cannot keep up; its smallest value
// in the last while is the offset of the camera's clock (a window, so that a clock that drifts
// is followed). A step of seconds at once is the camera's clock set anew, not a lag.
void rtspReader::judgeLag(const AVPacket *picture)
{
    if (picture->pts == AV_NOPTS_VALUE)
        return;
    const AVRational base = format->streams[streamIndex]->time_base;
    const qint64 now = nowMs();
    const qint64 offset = now - av_rescale_q(picture->pts, base, AVRational{1, 1000});
    if (!lagKnown || offset - lastOffset > clockStepMs) {
        lagKnown = true;
        offsetMin = previousOffsetMin = offset;
        windowStartMs = now;
    }
    lastOffset = offset;
    if (now - windowStartMs > lagWindowMs) {
        previousOffsetMin = offsetMin;
        offsetMin = offset;
        windowStartMs = now;
    }
    offsetMin = qMin(offsetMin, offset);
    const qint64 lag = offset - qMin(offsetMin, previousOffsetMin);
    if (lag > skipAboveMs)
        lagging = true;
    else if (lag < skipBelowMs)
        lagging = false;
    if (lag > dropAboveMs && !dropping) {
        dropping = true;
        ++lagDrops;
    }
}

// Back from hidden: the newest key picture at once; the pictures after it cannot be decoded
// before the next key picture (their references were skipped), and are not shown till then.
void rtspReader::showAgain()
{
    const bool nowHidden = hidden.load();
    if (nowHidden == wasHidden)
        return;
    wasHidden = nowHidden;
    if (nowHidden)
        return;
    resyncing = true;
    framePtr frame(av_frame_alloc());
    {
        QMutexLocker lock(&mutex);
        if (!newest->data[0])
            return;
        av_frame_ref(frame.get(), newest);
    }
    QImage image = scaled(frame.get());
    QMutexLocker lock(&mutex);
    if (!image.isNull()) {
        picture = std::move(image);
        times = {arrivedMs, epochMs()};
        pictureNew = true;
    }
}

void rtspReader::publish(AVFrame *frame)
{
    const QSize full(frame->width, frame->height);
    if (full.isEmpty() || full.width() > tileDecoder::maxSide || full.height() > tileDecoder::maxSide)
        return;
    {
        QMutexLocker lock(&mutex);
        // The description may leave the size out; a recording's header needs it.
        if (parameters && (parameters->width != frame->width || parameters->height != frame->height)) {
            parameters->width = frame->width;
            parameters->height = frame->height;
        }
        av_frame_unref(newest);
        av_frame_ref(newest, frame);
        ++newestSerial;
    }
    ++decoded;
    if (wasHidden || (resyncing && !frame->key_frame))
        return;
    resyncing = false;
    QImage image = scaled(frame);
    if (image.isNull())
        return;
    QMutexLocker lock(&mutex);
    picture = std::move(image);
    times = {sentMs(frame), epochMs()};
    pictureNew = true;
}

QImage rtspReader::scaled(const AVFrame *frame)
{
    QSize target;
    int mode = 0;
    {
        QMutexLocker lock(&mutex);
        target = tile;
        mode = scaleMode;
    }
    const QSize full(frame->width, frame->height);
    const QSize size = tileDecoder::targetSize(full, target, mode);
    if (size.isEmpty())
        return {};
    scaler = sws_getCachedContext(scaler, full.width(), full.height(), AVPixelFormat(frame->format), size.width(),
                                  size.height(), AV_PIX_FMT_BGRA, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler)
        return {};
    QImage image(size, QImage::Format_RGB32);
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(scaler, frame->data, frame->linesize, 0, full.height(), planes, strides);
    return image;
}

qint64 rtspReader::sentMs(const AVFrame *frame) const
{
    const int64_t pts = frame->best_effort_timestamp;
    if (format->start_time_realtime == AV_NOPTS_VALUE || pts == AV_NOPTS_VALUE)
        return arrivedMs;
    const AVRational base = format->streams[streamIndex]->time_base;
    return (format->start_time_realtime + av_rescale_q(pts, base, AVRational{1, 1000000})) / 1000;
}

void rtspReader::keepPacket(const AVPacket *packet)
{
    if (!keepPackets)
        return;
    const qint64 arrived = cameraPacket::steadyMs();
    AVPacket *copy = av_packet_clone(packet);
    if (!copy)
        return;
    QMutexLocker lock(&mutex);
    packets.push_back({copy, arrived});
    packetBytes += copy->size;
    while (int(packets.size()) > maxQueuedPackets || packetBytes > maxQueuedBytes) {
        AVPacket *oldest = packets.front().packet;
        packets.pop_front();
        packetBytes -= oldest->size;
        av_packet_free(&oldest);
        ++lostPackets;
    }
}

void rtspReader::setTarget(const QSize &size, int mode)
{
    hidden = size.isEmpty();
    QMutexLocker lock(&mutex);
    tile = size;
    scaleMode = mode;
}

bool rtspReader::takePicture(QImage &out, pictureTimes *taken)
{
    QMutexLocker lock(&mutex);
    if (!pictureNew)
        return false;
    pictureNew = false;
    out = std::move(picture);
    picture = QImage();
    if (taken)
        *taken = times;
    return true;
}

QByteArray rtspReader::newestJpeg()
{
    framePtr frame(av_frame_alloc());
    {
        QMutexLocker lock(&mutex);
        if (!newest->data[0])
            return {};
        if (newestSerial == jpegSerial)
            return jpeg;
        jpegSerial = newestSerial;
        av_frame_ref(frame.get(), newest);
    }
    jpeg = frameJpeg::encode(frame.get());
    return jpeg;
}

bool rtspReader::newestFrame(AVFrame *frame) const
{
    QMutexLocker lock(&mutex);
    return newest && newest->data[0] && av_frame_ref(frame, newest) >= 0;
}

QString rtspReader::failureText() const
{
    QMutexLocker lock(&mutex);
    return reasonText;
}

QSslCertificate rtspReader::refusedCertificate() const
{
    QMutexLocker lock(&mutex);
    return refusedCert;
}

QList<QSslError> rtspReader::certificateErrors() const
{
    QMutexLocker lock(&mutex);
    return refusedErrors;
}

QString rtspReader::codecName() const
{
    QMutexLocker lock(&mutex);
    return codecText;
}

QSize rtspReader::pictureSize() const
{
    QMutexLocker lock(&mutex);
    return newest && newest->data[0] ? QSize(newest->width, newest->height) : QSize();
}

void rtspReader::setKeepPackets(bool on)
{
    keepPackets = on;
    if (on)
        return;
    QMutexLocker lock(&mutex);
    for (keptPacket &kept : packets)
        av_packet_free(&kept.packet);
    packets.clear();
    packetBytes = 0;
}

bool rtspReader::streamParameters(AVCodecParameters *par, int *num, int *den) const
{
    QMutexLocker lock(&mutex);
    if (!parameters || parameters->width <= 0 || avcodec_parameters_copy(par, parameters) < 0)
        return false;
    *num = timeBaseNum;
    *den = timeBaseDen;
    return true;
}

AVPacket *rtspReader::takePacket(qint64 *arrivedMs)
{
    QMutexLocker lock(&mutex);
    if (packets.empty())
        return nullptr;
    const keptPacket kept = packets.front();
    packets.pop_front();
    packetBytes -= kept.packet->size;
    *arrivedMs = kept.arrivedMs;
    return kept.packet;
}

int rtspReader::takeLostPackets()
{
    QMutexLocker lock(&mutex);
    const int lost = lostPackets;
    lostPackets = 0;
    return lost;
}
