#pragma once

#include "camerasource.h"
#include "framecutter.h"

#include <QPointer>

class QAuthenticator;
class httpStream;

// A Motion-JPEG camera over HTTP or HTTPS: one streaming GET per connection, its body read into
// the cutter, which cuts the pictures as they come. GUI thread.
class httpSource : public cameraSource {
    Q_OBJECT

public:
    // What a request for a stream URL asks for.
    struct requestTarget {
        QString host;
        bool https = false;
        quint16 port = 0;  // 0: the scheme's default
        QString user;
        QString password;
        QByteArray path;
    };
    static requestTarget requestFor(const QString &url);

    // streamParent: parent of the stream objects (the main window).
    explicit httpSource(QObject *streamParent);
    ~httpSource() override;

    httpStream *stream() const { return http; }
    int requestId() const { return request; }

    bool deliversPackets() const override { return false; }
    void renew(const QString &url) override;
    void connectTo(const target &to) override;
    void stop() override;
    connectionState state() const override;
    bool requested() const override { return http && request >= 0; }
    QString transportText() const override;

    reading read() override;
    std::optional<arrival> cutPending(readTrace &trace) override;
    void resetScanner() override;

    bool hasPictureToShow() const override { return !cutter.newestPicture().isEmpty(); }
    bool picturesComeScaled() const override { return false; }
    void putPicture(tileJob &job, readTrace &trace) override;

    bool hasFrame() const override { return !cutter.frames().isEmpty(); }
    QByteArray newestFrame() const override;
    const QList<QByteArray> &frames() const override { return cutter.frames(); }
    bool hasPicture() const override { return hasPictureToShow(); }
    QByteArray newestPicture() const override { return cutter.newestPicture(); }
    qint64 pictureSerial() const override { return cutter.pictureCount(); }

    QString codecText() const override { return QStringLiteral("MJPEG"); }
    QSize pictureSize() const override;

    QSslCertificate refusedCertificate() const override;
    QList<QSslError> certificateErrors() const override;

private:
    void dropStream();
    void readResponseHeader(int statusCode);
    void answerChallenge(QAuthenticator *authenticator);
    void connectionFailed();

    QObject *streamParent = nullptr;
    QPointer<httpStream> http;
    int request = -1;
    frameCutter cutter;
    QString user;
    QString password;
};
