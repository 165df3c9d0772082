#pragma once

#include "camerasource.h"
#include "connectionreason.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSize>

#include <memory>

class readTrace;

// A camera's other stream, beside the one its tile shows: the main stream brought up for the
// single view, a popup, a picture to keep or a recording while the grid shows the small one; or
// the small one coming back before the grid is shown again. It holds the connection until the
// camera hands it to its tile or lets it go. GUI thread, polled once a tick.
class standbyStream {
public:
    standbyStream() = default;
    ~standbyStream() { end(); }
    standbyStream(const standbyStream &) = delete;
    standbyStream &operator=(const standbyStream &) = delete;

    // The connection is made at once; subStream: which of the camera's streams it is.
    void begin(std::unique_ptr<cameraSource> next, bool subStream, const QString &url, const cameraSource::target &to);
    // A connection that runs already (the tile's until now) goes on as this one.
    void adopt(std::unique_ptr<cameraSource> running, bool subStream, int stallTimeoutMs);
    void end();
    bool active() const { return bool(src); }
    bool isSub() const { return sub; }
    cameraSource *source() const { return src.get(); }
    // The source goes to the tile, with the time it took to its first picture.
    std::unique_ptr<cameraSource> handOver();

    // Once a tick: what came is read (target: the size to decode to, empty: not shown).
    void poll(const QSize &target, int scaleMode, bool keepPackets, readTrace &trace);
    // A connection that failed or went silent for the stall time is to be made anew.
    bool wantsRestart() const;
    // The connection is made and has not failed yet: its first picture may still come.
    bool coming() const;
    bool hasPicture() const { return src && src->hasPictureToShow(); }
    // Once, when the first picture has arrived: the time from begin() to it.
    bool takeFirstPicture(qint64 *afterMs);
    qint64 sinceBeginMs() const { return started.isValid() ? started.elapsed() : -1; }
    qint64 pictures() const { return count; }
    QString reasonText() const { return reason.text(); }

private:
    void noteFailure(const cameraSource::failure &why);

    std::unique_ptr<cameraSource> src;
    QMetaObject::Connection failureLink;
    bool sub = false;
    int stallMs = 5000;
    QElapsedTimer started;
    QElapsedTimer quiet;  // since something last came
    connectionReason reason;
    bool ended = false;  // nothing more comes from this connection
    QDeadlineTimer retryAt;
    bool firstSeen = false;
    qint64 count = 0;
};
