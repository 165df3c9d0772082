#pragma once

#include "ffmpeglog.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QSize>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>
#include <thread>

struct AVCodecContext;
struct AVCodecParameters;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
class nalAssembler;
class tlsRelay;

// One connection to an RTSP camera (H.264, H.265 or Motion-JPEG), read and decoded on a thread
// of its own so that neither the network nor the decoder holds up the GUI thread's tick. The
// thread keeps only the newest picture, scaled once to the size the tile asks for: a picture
// not taken before the next one is decoded is dropped, never queued. A connection is used once:
// when it fails or is stopped the thread ends, and the owner starts a new reader to reconnect.
//
// Nothing blocks for long: every network wait is cut short by an interrupt at once when a stop
// is asked for, and after twice the stall time without a packet when no one asks.
//
// An rtsps camera is read through a tlsRelay of the reader's own (the library would not check
// its certificate): interleaved over the one connection, as rtsp to 127.0.0.1, so that the
// requests name that host; nothing is sent before the camera's certificate was taken.
class rtspReader final : private ffmpegLog::listener {
public:
    enum class failure {
        none,
        loginRefused,
        unknownCodec,
        refused,
        noAnswer,
        stalled,
        closed,
        redirected,  // to another host
        status,      // another refusing answer, or too many redirects
        tooLarge,    // a picture beyond the bounds, announced or sent
        unreadable,  // pieces of pictures come, but none decodes
        untrustedCertificate,  // rtsps: one that does not verify, and no fingerprint trusted
        changedCertificate,    // rtsps: one that does not verify, and not the trusted one
        error
    };
    enum class transport { none, tcp, udp };

    // Redirects to the same host and port followed for one camera until it plays; a camera's
    // login never goes to another host, so a redirect there is not followed at all.
    static constexpr int maxRedirects = 5;

    // Packets kept for a recording that has not fetched them; beyond this the oldest go.
    static constexpr int maxQueuedPackets = 500;
    static constexpr qint64 maxQueuedBytes = 32 * 1024 * 1024;

    // url may carry user and password, percent-encoded.
    rtspReader(const QString &url, int stallMs, int redirectsAllowed = maxRedirects);
    // Stops the thread and waits for it (at most about the stall time).
    ~rtspReader();
    rtspReader(const rtspReader &) = delete;
    rtspReader &operator=(const rtspReader &) = delete;

    // rtsps: the SHA-256 digest of the one certificate taken although it does not verify. Before
    // start().
    void setTrustedFingerprint(const QByteArray &sha256) { trustedFingerprint = sha256; }
    void start();
    // Asks the thread to end; returns at once.
    void requestStop();
    bool finished() const { return done.load(); }
    // Lets the thread run to its end without anyone waiting; the reader must then never be
    // deleted.
    void detach() { thread.detach(); }

    // The tile the pictures are for. An empty size means nothing is shown: then only key
    // pictures are decoded (for a picture saved meanwhile) and none is scaled; once a tile is
    // set again the newest one is shown at once and the others follow from the next key
    // picture on.
    void setTarget(const QSize &tile, int scaleMode);
    // Pictures decoded and packets of the picture stream received so far; the owner compares them
    // with the counts it saw last.
    quint64 decodedCount() const { return decoded.load(); }
    quint64 packetCount() const { return received.load(); }
    // When a picture was sent (by the camera's clock, from its sender reports; else when it
    // arrived) and when it was decoded and scaled, in ms since the epoch.
    struct pictureTimes {
        qint64 sentMs = 0;
        qint64 decodedMs = 0;
    };
    // The newest scaled picture when one came since the last call.
    bool takePicture(QImage &picture, pictureTimes *times = nullptr);
    // The newest decoded picture, full size, as JPEG (encoded again only for a newer picture);
    // empty before the first one.
    QByteArray newestJpeg();
    bool hasPicture() const { return decoded.load() > 0; }
    // The same picture as a reference into `frame`, from any thread, for encoding elsewhere
    // (frameJpeg); false before the first.
    bool newestFrame(AVFrame *frame) const;

    bool playing() const { return isPlaying.load(); }
    failure failed() const { return failedWith.load(); }
    // redirected: the target without its login; status: the camera's status code; tooLarge:
    // what was too large.
    QString failureText() const;
    // untrustedCertificate, changedCertificate: the camera's certificate and why it did not verify.
    QSslCertificate refusedCertificate() const;
    QList<QSslError> certificateErrors() const;
    // How the pictures come, once connected: interleaved over the RTSP connection, or by UDP.
    transport transportUsed() const { return usedTransport.load(); }
    // Times decoding fell so far behind that it left out everything up to the next key
    // picture, and the pictures so left out.
    quint64 lagDropCount() const { return lagDrops.load(); }
    quint64 droppedCount() const { return dropped.load(); }
    // Errors the decoder reported (a damaged or concealed picture each, mostly).
    quint64 decoderErrorCount() const { return decoderErrors.load(); }
    // Redirects followed on this connection (each was another connection to the camera).
    int redirectsFollowed() const { return redirects.load(); }
    // The codec of the stream once known (e.g. "h264"), empty before.
    QString codecName() const;
    // The size of the newest decoded picture; empty before the first.
    QSize pictureSize() const;

    // Recording: while keepPackets is on, every received packet of the picture stream is kept
    // for takePacket (reference-counted, no copy of its data), stamped with its arrival on
    // cameraPacket::steadyMs(). streamParameters fills par with the stream's codec parameters
    // and time base; false before they are known (the size is known once a picture was decoded).
    void setKeepPackets(bool on);
    bool streamParameters(AVCodecParameters *par, int *timeBaseNum, int *timeBaseDen) const;
    // The oldest kept packet and when it arrived, or null; the caller frees it (av_packet_free).
    AVPacket *takePacket(qint64 *arrivedMs);
    // Packets dropped because the recording fetched too slowly, since the last call.
    int takeLostPackets();

private:
    void run();
    int connect(const char *transport);
    bool open();
    bool openRelay();
    void failToOpen(int opened);
    bool withinBounds(const AVCodecParameters *par);
    void readPackets();
    bool takePiece(AVPacket *piece, AVFrame *frame);
    bool takePicture(AVPacket *picture, bool key, AVFrame *frame);
    void judgeLag(const AVPacket *picture);
    void publish(AVFrame *frame);
    void showAgain();
    QImage scaled(const AVFrame *frame);
    qint64 sentMs(const AVFrame *frame) const;
    void keepPacket(const AVPacket *packet);
    void fail(failure reason, const QString &text);
    void logged(void *context, int level, const char *format, va_list args) override;
    void judgeRedirect(int status);
    static int interrupted(void *opaque);
    static qint64 nowMs();
    static qint64 epochMs();

    const QByteArray url;
    const int stallMs;
    QByteArray trustedFingerprint;
    std::thread thread;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> done{false};
    std::atomic<bool> isPlaying{false};
    std::atomic<failure> failedWith{failure::none};
    std::atomic<qint64> lastActivityMs{0};  // steady clock
    std::atomic<transport> usedTransport{transport::none};
    std::atomic<quint64> lagDrops{0};
    std::atomic<quint64> dropped{0};
    std::atomic<quint64> decoderErrors{0};
    std::atomic<quint64> decoded{0};
    std::atomic<quint64> received{0};
    std::atomic<bool> hidden{false};
    std::atomic<bool> keepPackets{false};
    const int redirectsAllowed;
    std::atomic<int> redirects{0};

    // Reader thread only
    std::unique_ptr<tlsRelay> relay;  // rtsps
    QByteArray address;  // what the library opens: the URL, or the relay's
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    SwsContext *scaler = nullptr;
    std::unique_ptr<nalAssembler> assembler;  // H.264 and H.265
    int streamIndex = -1;
    qint64 arrivedMs = 0;  // of the picture being decoded, since the epoch
    bool wasHidden = false;
    bool resyncing = false;  // shown again: pictures wait for the next key picture
    bool waitingForKey = true;  // nothing decoded before the first key picture
    bool lagging = false;    // non-reference pictures are left out
    bool dropping = false;   // everything is left out up to the next key picture
    bool lagKnown = false;
    // Smallest (arrival − presentation) times of this window and the one before (steady ms).
    qint64 offsetMin = 0;
    qint64 previousOffsetMin = 0;
    qint64 windowStartMs = 0;
    qint64 lastOffset = 0;
    qint64 undecodedSinceMs = 0;  // pictures given to the decoder since then without one out
    int lastStatus = 0;  // of the camera's last answer
    QString refusedRedirect;  // the other host redirected to, without login
    int redirectStatus = 0;   // of the redirect refused for too many

    mutable QMutex mutex;  // guards everything below
    QString reasonText;
    QString codecText;
    QSslCertificate refusedCert;
    QList<QSslError> refusedErrors;
    QSize tile;
    int scaleMode = 0;
    QImage picture;
    pictureTimes times;
    bool pictureNew = false;
    AVFrame *newest = nullptr;  // full size, shares the decoder's buffer
    quint64 newestSerial = 0;
    AVCodecParameters *parameters = nullptr;
    int timeBaseNum = 0;
    int timeBaseDen = 1;
    struct keptPacket {
        AVPacket *packet;
        qint64 arrivedMs;
    };
    std::deque<keptPacket> packets;
    qint64 packetBytes = 0;
    int lostPackets = 0;

    // GUI thread only
    QByteArray jpeg;
    quint64 jpegSerial = 0;
};
