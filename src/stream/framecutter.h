#pragma once

#include <QByteArray>
#include <QList>

#include <functional>
#include <memory>

// Receive buffer and picture cutter of one camera stream. A picture is the run of bytes from one
// JPEG start-of-image marker (0xFF 0xD8) to the next; the multipart boundary and part headers
// that follow a picture stay at its end (the JPEG decoder ignores them). The newest pictures are
// kept in a short queue, oldest first.
//
// A picture can be shown before the next one begins: once its end-of-image marker (0xFF 0xD9)
// has come, it is complete. A camera that sends one picture a second would otherwise show each a
// second late.
class frameCutter {
public:
    static constexpr int payloadSize = 8388608;   // 8 MiB
    static constexpr int slackSize = 8192;
    static constexpr int maxFill = payloadSize - 1;
    static constexpr int maxQueued = 5;
    static constexpr int falseStartLimit = 500;    // a marker this close to the previous one replaces it
    // Room kept behind a complete picture for the boundary lines that follow it, so that they are
    // added in place when the picture is cut.
    static constexpr int trailerReserve = 512;

    frameCutter();

    // Space for the next read of up to `available` bytes. When the read would pass the end of
    // the payload area the picture in progress moves to the start of the buffer (or, when it
    // fills more than half of it, the buffer restarts empty).
    // Returns the number of bytes the caller may write at writePosition().
    qint64 prepareRead(qint64 available);
    char *writePosition() { return buffer.get() + fill; }
    void commitRead(qint64 bytes);

    // Starts the buffer over: fill, scan position and both markers; the picture in progress is
    // lost.
    void restart();
    void resetMarkers();
    void clearQueue() { queue.clear(); }
    // A new connection: nothing of the old one is kept, not even its pictures.
    void startOver();

    bool hasUnscanned() const { return scanPos < fill; }
    // Looks at every unscanned byte: cuts every picture that the next one's start closes, and
    // notes a picture whose end marker has come. Returns how many were cut.
    int extractFrames();

    // Every cut picture is also handed here (before the queue may drop it); this is where a
    // recorder attaches.
    void setPictureSink(std::function<void(const QByteArray &)> sink) { pictureSink = std::move(sink); }

    // Cut pictures, oldest first.
    const QList<QByteArray> &frames() const { return queue; }
    // The newest complete picture: the one in progress when its end marker has come (up to that
    // marker), else the newest cut one.
    QByteArray newestPicture() const;
    // Pictures complete so far, each counted once; it never goes back, so that a change tells
    // that another picture can be shown.
    qint64 pictureCount() const { return completeCount; }

    int filled() const { return fill; }
    int scanPosition() const { return scanPos; }
    struct marker {
        int start = -1;
        int end = -1;
    };
    marker currentMarker() const { return current; }
    marker previousMarker() const { return previous; }

private:
    bool startAt(int pos);  // true when it cut a picture
    void endAt(int pos);
    void wrapAround();

    std::unique_ptr<char[]> buffer;
    int fill = 0;
    int scanPos = 0;
    marker current;
    marker previous;
    QList<QByteArray> queue;
    QByteArray complete;    // the picture in progress up to its end marker, once that came
    int completeEnd = -1;   // buffer index behind that end marker
    qint64 completeCount = 0;
    std::function<void(const QByteArray &)> pictureSink;
};
