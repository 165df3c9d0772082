#pragma once

#include <QFile>
#include <QString>

struct AVCodecParameters;
struct AVFormatContext;
struct AVIOContext;
struct AVPacket;

// Writes the packets an RTSP camera sends, as they are (no decoding, no encoding), into a
// Matroska file that the caller created and opened (so the file's name, folder and rights are
// those of every other recording). The file starts at a key picture; packets before it are
// left out. The header is written with the first packet: the stream's parameters are known only
// once the camera plays.
//
// A recording may span several connections of one camera: each new connection (a new
// `connection` number) continues at its first key picture, its time stamps following on those
// written before, so that the file plays without a jump back.
class mkvWriter {
public:
    enum class result { written, skipped, failed, newFileNeeded };

    mkvWriter() = default;
    ~mkvWriter();
    mkvWriter(const mkvWriter &) = delete;
    mkvWriter &operator=(const mkvWriter &) = delete;

    // Takes the opened file; nothing is written yet.
    void begin(QFile *file);
    // par and the time base (num/den) describe the connection's picture stream.
    // newFileNeeded: the camera now sends another codec or size than the file holds.
    result write(const AVPacket *packet, const AVCodecParameters *par, int timeBaseNum, int timeBaseDen,
                 quint64 connection);
    // A gap follows (motion recording paused): writing goes on at the next key picture.
    void waitForKey() { keyNeeded = true; }
    // Writes the index and the duration; the caller closes the file.
    bool finish();
    bool started() const { return muxer != nullptr; }
    QString errorText() const { return error; }

private:
    bool writeHeader(const AVCodecParameters *par);
    void release();
    static int writeBytes(void *opaque, uint8_t *data, int size);
    static int64_t seekTo(void *opaque, int64_t offset, int whence);

    QFile *file = nullptr;
    AVFormatContext *muxer = nullptr;
    AVIOContext *io = nullptr;
    bool keyNeeded = true;
    quint64 currentConnection = 0;
    bool connectionKnown = false;
    // Time stamps in the file's time base (milliseconds): offset of the current connection and
    // the last one written.
    qint64 offset = 0;
    qint64 lastWritten = -1;
    qint64 firstOfConnection = 0;
    bool firstSeen = false;
    int width = 0;
    int height = 0;
    int codecId = 0;
    QString error;
};
