#pragma once

#include <QtGlobal>

#include <optional>

// What an H.264 or H.265 sequence parameter set asks of a decoder: the picture size, the
// pictures it keeps for reference, and the bytes of a sample. Read before the decoder sees the
// parameter set, so that a camera's claim is judged before anything is allocated for it.
class parameterSets {
public:
    struct sequence {
        int width = 0;
        int height = 0;
        int references = 0;     // pictures kept besides the one decoded
        int bytesPerSample = 1;
    };

    // nal: one NAL unit without start code, header included. Empty for another NAL unit or
    // one that cannot be read.
    static std::optional<sequence> readH264(const quint8 *nal, int size);
    static std::optional<sequence> readH265(const quint8 *nal, int size);

    // Larger pictures than cameras make, or more memory than one camera may take for its
    // decoder's pictures (8K with four references is refused, 4K with thirteen still fits).
    static constexpr int maxSide = 8192;
    static constexpr qint64 maxPixels = 36000000;
    static constexpr qint64 maxDecoderBytes = 256 * 1024 * 1024;
    static qint64 decoderBytes(const sequence &s)
    {
        return qint64(s.width) * s.height * 3 / 2 * s.bytesPerSample * (s.references + 2);
    }
    static bool acceptable(const sequence &s)
    {
        return s.width <= maxSide && s.height <= maxSide && qint64(s.width) * s.height <= maxPixels
            && decoderBytes(s) <= maxDecoderBytes;
    }

    static constexpr int h264Sps = 7;
    static constexpr int h265Sps = 33;
    static int h264Type(quint8 header) { return header & 0x1F; }
    static int h265Type(quint8 header) { return (header >> 1) & 0x3F; }
};
