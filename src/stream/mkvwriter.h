#pragma once

#include "camerapacket.h"
#include "mkvtimeline.h"

#include <QByteArray>
#include <QFile>
#include <QString>

struct AVBSFContext;
struct AVCodecParameters;
struct AVFormatContext;
struct AVIOContext;
struct AVPacket;

// Writes the packets an RTSP camera sends, as they are (no decoding, no encoding), into a
// Matroska file that the caller created and opened (so the file's name, folder and rights are
// those of every other recording). The file starts at a key picture; packets before it are
// left out. The header is written with the first packet: the stream's parameters are known only
// once the camera plays. H.264 and H.265 need their parameter sets for it: those of the session
// description, or where it has none, those the key pictures carry; a connection with others than
// the file holds starts a new file.
//
// A recording may span several connections of one camera: each new connection (a new
// `connection` number) continues at its first key picture. The file's time line is the
// recorder's clock (mkvTimeline): a gap stays a gap, and the camera's times give only the order
// and spacing of the pictures.
class mkvWriter {
public:
    enum class result { written, skipped, failed, newFileNeeded };

    mkvWriter() = default;
    ~mkvWriter();
    mkvWriter(const mkvWriter &) = delete;
    mkvWriter &operator=(const mkvWriter &) = delete;

    // Takes the opened file; nothing is written yet.
    void begin(QFile *file);
    // clockMs: when the packet arrived by the recorder's clock (the steady clock, less the
    // pauses of a recording by hand). newFileNeeded: the camera now sends another codec or size
    // or parameter sets than the file holds; said at a key packet, which is to start the new file.
    result write(const cameraPacket &in, qint64 clockMs);
    // A gap follows (recording paused): writing goes on at the next key picture.
    void waitForKey();
    // Writes the index and the duration; the caller closes the file.
    bool finish();
    bool started() const { return muxer != nullptr; }
    // Bytes in the file so far, with those the muxer holds for its next cluster.
    qint64 size() const;
    QString errorText() const { return error; }

private:
    bool writeHeader(const AVCodecParameters *par);
    void startConnection(const cameraPacket &in);
    void extractParameters(const cameraPacket &in);
    void release();
    static int writeBytes(void *opaque, uint8_t *data, int size);
    static int64_t seekTo(void *opaque, int64_t offset, int whence);

    QFile *file = nullptr;
    AVFormatContext *muxer = nullptr;
    AVIOContext *io = nullptr;
    bool keyNeeded = true;
    quint64 currentConnection = 0;
    bool connectionKnown = false;
    // The camera's time of the packet before, in ms: a packet without one is taken to be shown
    // with it. A connection's time starts at 0 (FFmpeg counts it from the connection's first
    // packet, which it leaves without a time stamp).
    qint64 cameraMs = 0;
    mkvTimeline timeline;
    qint64 headerBytes = 0;
    qint64 packetBytes = 0;
    // The parameter sets of the current connection and of the file (Annex B), and the filter
    // that takes them from the stream while the connection's description left them out.
    QByteArray connectionParameters;
    QByteArray fileParameters;
    AVBSFContext *extractor = nullptr;
    int width = 0;
    int height = 0;
    int codecId = 0;
    QString error;
};
