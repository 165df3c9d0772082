#pragma once

#include "parametersets.h"

#include <QByteArray>

#include <optional>

extern "C" {
#include <libavcodec/codec_id.h>
}

struct AVPacket;

// The pictures of an H.264 or H.265 RTP stream, put together from the pieces the demuxer gives
// one by one (a NAL unit, several, or a fragment of one): all pieces with the same time stamp
// are one picture, complete when a piece with another time stamp comes. The bytes held for one
// picture are bounded, so a camera that never ends a picture costs no more than that. Lives on
// the reader's thread.
class nalAssembler {
public:
    static constexpr qint64 maxPictureBytes = 32 * 1024 * 1024;

    struct facts {
        bool key = false;
        // The largest sequence the parameter sets ask for; empty without any.
        std::optional<parameterSets::sequence> largest;
    };
    // What the NAL units of an Annex B byte string (a picture, or the stream's extradata) are.
    static facts scan(AVCodecID codec, const quint8 *data, int size);

    explicit nalAssembler(AVCodecID codec);
    ~nalAssembler();
    nalAssembler(const nalAssembler &) = delete;
    nalAssembler &operator=(const nalAssembler &) = delete;

    // True when the piece completed the picture before it: picture() then holds that one until
    // the next call.
    bool add(const AVPacket *piece);
    // The picture being put together passed maxPictureBytes; nothing more is taken.
    bool overflowed() const { return overflow; }
    // Reference-counted, with the key flag set for a picture a decoder can start at.
    AVPacket *picture() const { return done; }
    const facts &pictureFacts() const { return doneFacts; }

private:
    const AVCodecID codec;
    QByteArray pending;
    qint64 pendingPts = 0;
    qint64 pendingDts = 0;
    bool started = false;
    bool overflow = false;
    AVPacket *done;
    facts doneFacts;
};
