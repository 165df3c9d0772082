#pragma once

#include "camerasource.h"
#include "rtspfeed.h"

// An RTSP or RTSPS camera (H.264, H.265 or Motion-JPEG): its reader runs on a thread of its own
// and hands over packets, decoded pictures scaled to the tile and its failure, under the
// reader's own locks; this object lives on the GUI thread and polls it once a tick.
class rtspSource : public cameraSource {
    Q_OBJECT

public:
    rtspSource() = default;
    ~rtspSource() override;

    rtspReader *reader() const { return feed.reader(); }

    bool deliversPackets() const override { return true; }
    void renew(const QString &streamUrl) override;
    void connectTo(const target &to) override;
    void stop() override { feed.retire(); }
    connectionState state() const override;
    bool requested() const override { return feed.reader(); }
    QString transportText() const override;

    void setTarget(const QSize &tile, int scaleMode) override;
    void feedRecording(bool keepPackets) override;
    reading read() override;
    std::optional<arrival> cutPending(readTrace &) override { return std::nullopt; }

    bool hasPictureToShow() const override { return feed.seen() > 0; }
    bool picturesComeScaled() const override { return true; }
    void putPicture(tileJob &job, readTrace &trace) override;

    bool hasFrame() const override { return feed.reader() && feed.reader()->hasPicture(); }
    QByteArray newestFrame() const override;
    const QList<QByteArray> &frames() const override;
    bool hasPicture() const override { return hasFrame(); }
    QByteArray newestPicture() const override { return newestFrame(); }
    qint64 pictureSerial() const override { return qint64(feed.seen()); }

    QString codecText() const override;
    QSize pictureSize() const override { return feed.reader() ? feed.reader()->pictureSize() : QSize(); }

    QSslCertificate refusedCertificate() const override;
    QList<QSslError> certificateErrors() const override;

private:
    failure failureOf(const rtspReader &failedReader) const;

    rtspFeed feed;
    QString name;
};
