#pragma once

#include "camerapacket.h"
#include "connectionreason.h"
#include "rtspreader.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The RTSP side of a camera: its reader (a thread of its own), the readers still stopping, and
// how much of the current reader's pictures and packets the camera has taken so far.
// It lives on the GUI thread; the readers' own locks guard what their threads hand over.
class rtspFeed {
public:
    // Each packet received while packets are kept.
    using packetSink = std::function<void(const cameraPacket &packet)>;

    // Why a failed reader shows no picture, in the words an HTTP camera's reasons use (a refused
    // login is the camera's to judge: its prompt and back-off).
    struct reason {
        connectionReason::kind what;
        QString detail;
    };
    static reason reasonFor(const rtspReader &reader);

    // A new reader for the URL; the one running is retired. The redirects a camera may make
    // are counted across connections until one plays, so that one redirecting to itself gets
    // one connection per start once they are used up. trustedSha256: an rtsps camera's trusted
    // certificate (rtspReader::setTrustedFingerprint).
    void start(const QString &url, int stallTimeoutMs, const QByteArray &trustedSha256 = QByteArray());
    void retire();
    // Every reader is asked to stop and handed over to finishAll; nothing waits here, so that
    // removing a camera, or all of them, costs the GUI thread no time per camera.
    void close();
    // The readers handed over by close(), asked to stop side by side and waited for once, up
    // to waitMs in all; one that has not ended by then (stuck in a name look-up, which nothing
    // interrupts) is left to end on its own. Called once more at exit; the finished ones are
    // also let go whenever a feed closes.
    static void finishAll(int waitMs);
    rtspReader *reader() const { return current.get(); }

    // Pictures of the current reader counted so far.
    quint64 seen() const { return seenCount; }
    // Empty while the reader has received no packet since the last call; else the pictures it
    // decoded since.
    std::optional<qint64> takeProgress();
    // Until the stream's parameters are known, the packets wait in the reader (within its
    // bounds): the first ones may come before the first picture is decoded.
    // Pictures the current reader left out to catch up since the last call; lagged: the first
    // time this reader fell behind so (once per connection).
    qint64 takeDropped(bool *lagged);
    void forwardPackets(bool keep, const packetSink &sink);
    // The reader's newest scaled picture, when one came, is held until taken.
    bool fetchPicture();
    QImage takePicture() { return std::exchange(picture, QImage()); }
    const rtspReader::pictureTimes &times() const { return lastTimes; }

private:
    static std::vector<std::unique_ptr<rtspReader>> &closed();

    std::unique_ptr<rtspReader> current;
    std::vector<std::unique_ptr<rtspReader>> retired;  // stopping; joined once finished
    quint64 seenCount = 0;
    quint64 packetsSeen = 0;
    quint64 droppedSeen = 0;
    bool lagNoticed = false;
    quint64 connection = 0;
    int redirectsLeft = rtspReader::maxRedirects;
    QString startedUrl;
    QImage picture;  // newest scaled picture, not yet shown
    rtspReader::pictureTimes lastTimes;
};
