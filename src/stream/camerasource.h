#pragma once

#include "camerapacket.h"
#include "connectionreason.h"
#include "tilejob.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSize>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

#include <functional>
#include <optional>

class readTrace;

// Where a camera's pictures come from: one connection at a time, made, read and stopped by the
// camera record. It lives on the GUI thread and is polled once a tick; what runs beside it (an
// RTSP reader's thread) stays inside the source. The record learns of a failure through failed(),
// emitted from within connectTo(), read() or the event loop.
class cameraSource : public QObject {
    Q_OBJECT

public:
    enum class connectionState { unconnected, connecting, connected, closing };

    // What a connection is made with.
    struct target {
        QString name;  // the camera's, for the log
        QString user;  // the module's login
        QString password;
        QByteArray trustedSha256;  // the one certificate trusted although it does not verify
        int stallTimeoutMs = 0;
    };

    // Why the connection shows nothing, as the source saw it.
    struct failure {
        connectionReason::kind what = connectionReason::kind::none;
        QString detail;
        bool loginRefused = false;  // the record's to judge: its prompt and back-off
        bool typingHelps = false;  // with loginRefused: a login typed in could be answered
        bool certificate = false;  // refusedCertificate() is one the user may trust
        bool endsStream = false;  // nothing more is read from this connection
        bool silentNow = false;  // with endsStream: shown as not connected at once
    };

    // Pictures completed since the last look.
    struct arrival {
        qint64 pictures = 0;  // counted as received
        bool progress = false;  // the camera shows pictures: its reason is cleared
        bool toShow = false;  // another picture waits for the tile
    };

    // What one read brought.
    struct reading {
        bool read = false;  // something came: a read of the trace and the statistics
        bool attempted = false;  // bytes were waiting, read or not
        qint64 bytes = 0;  // towards the bytes that tell a camera is alive
        bool alive = false;  // a sign of life by itself
        std::optional<arrival> pictures;  // pictures known with the read
        qint64 dropped = 0;  // left out by the decoder to catch up
        bool lagged = false;  // the first time this connection fell behind so
    };

    using pictureSink = std::function<void(const QByteArray &picture)>;
    using packetSink = std::function<void(const cameraPacket &packet)>;

    explicit cameraSource(QObject *parent = nullptr) : QObject(parent) {}

    // The recording feed: each picture as it is cut, or each packet while packets are kept.
    void setRecordingFeed(pictureSink pictures, packetSink packets)
    {
        pictureFeed = std::move(pictures);
        packetFeed = std::move(packets);
    }
    virtual bool deliversPackets() const = 0;

    // A new connection to the stream URL is prepared (the one before is dropped); connectTo
    // makes it. Deleting the source ends its connection without waiting for what still ends.
    virtual void renew(const QString &streamUrl) = 0;
    virtual void connectTo(const target &to) = 0;
    // The connection is dropped; connectTo makes the next one.
    virtual void stop() = 0;
    virtual connectionState state() const = 0;
    // A connection was asked for and not stopped since.
    virtual bool requested() const = 0;
    // "HTTP", "HTTPS", "RTSP/TCP", "RTSP/UDP" or "RTSPS/TCP".
    virtual QString transportText() const = 0;

    // The tile the pictures are shown on (empty: not shown), before each read and at once when
    // the tile is hidden.
    virtual void setTarget(const QSize &, int /*scaleMode*/) {}
    // Before each read: whether the recording takes packets now; those kept go to the feed.
    virtual void feedRecording(bool /*keepPackets*/) {}
    virtual reading read() = 0;
    // Pictures of what was read that are complete now; nothing when there was nothing to look at.
    virtual std::optional<arrival> cutPending(readTrace &trace) = 0;
    // The pictures cut so far are let go; the next ones are looked for from here.
    virtual void resetScanner() {}

    // The picture for the tile: the newest, with what the tile renderer needs of it.
    virtual bool hasPictureToShow() const = 0;
    // Pictures come decoded to the tile already: a new tile size waits for the next one.
    virtual bool picturesComeScaled() const = 0;
    virtual void putPicture(tileJob &job, readTrace &trace) = 0;

    // The newest picture as JPEG, as saved and printed; and as shown, with its serial.
    virtual bool hasFrame() const = 0;
    virtual QByteArray newestFrame() const = 0;
    virtual const QList<QByteArray> &frames() const = 0;
    virtual bool hasPicture() const = 0;
    virtual QByteArray newestPicture() const = 0;
    virtual qint64 pictureSerial() const = 0;

    // For the statistics: the codec ("H.264", "H.265", "MJPEG") and the newest picture's size.
    virtual QString codecText() const = 0;
    virtual QSize pictureSize() const = 0;

    virtual QSslCertificate refusedCertificate() const = 0;
    virtual QList<QSslError> certificateErrors() const = 0;

signals:
    void failed(const cameraSource::failure &why);
    // An answer other than a refused login; accepted: the camera sends its stream.
    void answered(bool accepted);

protected:
    QString url;
    pictureSink pictureFeed;
    packetSink packetFeed;
};
