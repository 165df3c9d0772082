#pragma once

#include <QByteArray>
#include <QList>

#include <functional>
#include <memory>

// Receive buffer and picture cutter of one camera stream. A picture is the run of bytes from one
// JPEG start-of-image marker (0xFF 0xD8) to the next; the multipart boundary and part headers
// that follow a picture stay at its end (the JPEG decoder ignores them). The newest pictures are
// kept in a short queue, oldest first.
class frameCutter {
public:
    static constexpr int payloadSize = 8388608;   // 8 MiB
    static constexpr int slackSize = 8192;
    static constexpr int maxFill = payloadSize - 1;
    static constexpr int minChunk = 8190;          // reads and scans wait for more than this
    static constexpr int maxQueued = 5;
    static constexpr int falseStartLimit = 500;    // a marker this close to the previous one replaces it
    static constexpr int skipMargin = 300;

    struct marker {
        int start = -1;
        int end = -1;
    };

    frameCutter();

    // Space for the next read of up to `available` bytes. When the read would pass the end of
    // the payload area the picture in progress moves to the start of the buffer (or, when it
    // fills more than half of it, the buffer restarts empty).
    // Returns the number of bytes the caller may write at writePosition().
    qint64 prepareRead(qint64 available);
    char *writePosition() { return buffer.get() + fill; }
    void commitRead(qint64 bytes);

    // Starts the buffer over: fill, scan position and both markers.
    void restart();
    void resetMarkers();
    void clearQueue() { queue.clear(); }

    bool hasUnscanned() const { return fill - scanPos > minChunk; }
    // Cuts every complete picture from the unscanned bytes; returns how many were cut.
    int extractFrames();

    // Every cut picture is also handed here (before the queue may drop it); this is where a
    // recorder attaches.
    void setPictureSink(std::function<void(const QByteArray &)> sink) { pictureSink = std::move(sink); }

    const QList<QByteArray> &frames() const { return queue; }
    int filled() const { return fill; }
    int scanPosition() const { return scanPos; }
    int skipThreshold() const { return skip; }
    marker currentMarker() const { return current; }
    marker previousMarker() const { return previous; }

private:
    bool markerAt(int pos);  // true when it closed a picture
    void wrapAround();

    std::unique_ptr<char[]> buffer;
    int fill = 0;
    int scanPos = 0;
    int skip = 0;
    marker current;
    marker previous;
    QList<QByteArray> queue;
    std::function<void(const QByteArray &)> pictureSink;
};
