#pragma once

#include "recordingreader.h"

#include <QList>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// A ".mkv" recording of an RTSP camera, read and decoded through FFmpeg's libraries (H.264,
// H.265, Motion-JPEG). Opening reads every packet once, without decoding, for the pictures'
// times and key pictures; a picture is decoded from the key picture before it, or on from the
// one shown last. A file being written ends with the last packet that was whole.
class mkvFileReader : public recordingReader {
public:
    mkvFileReader() = default;
    ~mkvFileReader() override;
    mkvFileReader(const mkvFileReader &) = delete;
    mkvFileReader &operator=(const mkvFileReader &) = delete;

    bool open(const QString &path, qint64 startMs) override;
    bool refresh() override;
    int count() const override { return int(entries.size()); }
    qint64 offsetMs(int index) const override;
    QImage picture(int index, const QSize &fit) override;

private:
    struct entry {
        qint64 pts = 0;  // in the stream's time base
        qint64 ms = 0;
        bool key = false;
    };
    bool openDemuxer();
    void index();
    bool openDecoder();
    bool decodeTo(int target, AVFrame *frame);
    bool seekTo(int key);
    QImage convert(const AVFrame *frame, const QSize &fit);
    void release();

    QString path;
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    SwsContext *scaler = nullptr;
    AVPacket *packet = nullptr;
    int stream = -1;
    QList<entry> entries;
    int decoded = -1;  // index of the picture decoded last, -1 after a seek
    bool draining = false;
};
