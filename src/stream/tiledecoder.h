#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// Turns one JPEG picture into the pixels of a tile. Decoding runs at the smallest
// power-of-two reduction (1/1 .. 1/8) that still covers the target, so a large picture shown
// in a small tile is never decoded at full size; the remainder is a fast (non-smoothing)
// scale. Thread-safe: every thread uses its own decompressor.
class tileDecoder {
public:
    // Size a picture of `picture` pixels takes in a tile of `tile` pixels:
    // scaleMode 1 fits the width, 2 the height (both keep the aspect), anything else fills
    // the tile exactly.
    static QSize targetSize(const QSize &picture, const QSize &tile, int scaleMode);

    // A null image when the data is no decodable JPEG or the tile is empty. A picture larger
    // than maxSide on a side or maxPixels in all, or a progressive one of more than 500 scans,
    // counts as undecodable: anyone answering in a camera's place could send one, and each would
    // cost hundreds of megabytes or seconds of decoding.
    static QImage decode(const QByteArray &jpeg, const QSize &tile, int scaleMode);
    // The same, written into `reuse` when that is an unshared RGB32 image of the resulting
    // size (a tile's earlier picture): no memory is taken and given back for every picture.
    static QImage decode(const QByteArray &jpeg, const QSize &tile, int scaleMode, QImage &&reuse);
    static constexpr int maxSide = 8192;
    static constexpr qint64 maxPixels = 40000000;

    // Full size of the picture, or an invalid size when the header cannot be read.
    static QSize pictureSize(const QByteArray &jpeg);
};
