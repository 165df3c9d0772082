#include "tiledecoder.h"

#include <QPainter>
#include <QTransform>

#include <turbojpeg.h>

namespace {

// One decompressor per thread, created on first use and released with the thread.
class decompressor {
public:
    decompressor() : handle(tjInitDecompress()) {}
    ~decompressor()
    {
        if (handle)
            tjDestroy(handle);
    }
    decompressor(const decompressor &) = delete;
    decompressor &operator=(const decompressor &) = delete;

    // A header that does not parse leaves libjpeg-turbo's handle in a state in which every
    // later call fails: one bad picture would blank every tile decoded on this thread for good.
    // A handle that failed is therefore replaced.
    void renew()
    {
        if (handle)
            tjDestroy(handle);
        handle = tjInitDecompress();
    }

    tjhandle handle;
};

decompressor &threadDecompressor()
{
    thread_local decompressor instance;
    return instance;
}

tjhandle threadHandle()
{
    return threadDecompressor().handle;
}

// RGB32 is 0xffRRGGBB in native byte order; the alpha variants guarantee the 0xff byte that
// the X variants leave undefined.
constexpr int pixelFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? TJPF_BGRA : TJPF_ARGB;

struct header {
    int width = 0;
    int height = 0;
};

bool readHeader(tjhandle handle, const QByteArray &jpeg, header &out)
{
    int subsampling = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(handle, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                            static_cast<unsigned long>(jpeg.size()), &out.width, &out.height, &subsampling,
                            &colorspace) != 0) {
        threadDecompressor().renew();
        return false;
    }
    return out.width > 0 && out.height > 0;
}

bool saneSize(const header &h)
{
    return h.width <= tileDecoder::maxSide && h.height <= tileDecoder::maxSide
        && qint64(h.width) * h.height <= tileDecoder::maxPixels;
}

// Largest reduction 1/8, 1/4, 1/2 whose result still covers the target in both directions.
QSize decodeSize(const header &h, const QSize &target)
{
    for (int denominator = 8; denominator > 1; denominator /= 2) {
        const tjscalingfactor factor{1, denominator};
        const int w = TJSCALED(h.width, factor);
        const int h2 = TJSCALED(h.height, factor);
        if (w >= target.width() && h2 >= target.height())
            return QSize(w, h2);
    }
    return QSize(h.width, h.height);
}

}  // namespace

QSize tileDecoder::targetSize(const QSize &picture, const QSize &tile, int scaleMode)
{
    if (picture.isEmpty() || tile.isEmpty())
        return QSize();
    if (scaleMode == 1)
        return QSize(tile.width(), qMax(1, qRound(double(tile.width()) * picture.height() / picture.width())));
    if (scaleMode == 2)
        return QSize(qMax(1, qRound(double(tile.height()) * picture.width() / picture.height())), tile.height());
    return tile;
}

QSize tileDecoder::pictureSize(const QByteArray &jpeg)
{
    tjhandle handle = threadHandle();
    header h;
    if (!handle || !readHeader(handle, jpeg, h))
        return QSize();
    return QSize(h.width, h.height);
}

QImage tileDecoder::decode(const QByteArray &jpeg, const QSize &tile, int scaleMode)
{
    return decode(jpeg, tile, scaleMode, QImage());
}

QImage tileDecoder::decode(const QByteArray &jpeg, const QSize &tile, int scaleMode, QImage &&reuse)
{
    tjhandle handle = threadHandle();
    header h;
    if (!handle || !readHeader(handle, jpeg, h) || !saneSize(h))
        return QImage();
    const QSize target = targetSize(QSize(h.width, h.height), tile, scaleMode);
    if (target.isEmpty())
        return QImage();
    const bool reusable = reuse.size() == target && reuse.format() == QImage::Format_RGB32 && reuse.isDetached();
    QImage result = reusable ? std::move(reuse) : QImage(target, QImage::Format_RGB32);
    const QSize size = decodeSize(h, target);
    // Decoded at the reduced size into a buffer kept by the thread, unless that is the result.
    thread_local QImage scratch;
    if (size != target && scratch.size() != size)
        scratch = QImage(size, QImage::Format_RGB32);
    QImage &decoded = size == target ? result : scratch;
    if (decoded.isNull())
        return QImage();
    if (tjDecompress2(handle, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                      static_cast<unsigned long>(jpeg.size()), decoded.bits(), size.width(),
                      int(decoded.bytesPerLine()), size.height(), pixelFormat, TJFLAG_LIMITSCANS) != 0
        && tjGetErrorCode(handle) == TJERR_FATAL) {
        threadDecompressor().renew();
        return QImage();
    }
    if (size == target)
        return result;
    // As QImage::scaled() with the fast transformation draws it, into the result in place.
    QPainter painter(&result);
    painter.setTransform(QTransform::fromScale(qreal(target.width()) / size.width(),
                                               qreal(target.height()) / size.height()));
    painter.drawImage(QPoint(0, 0), scratch);
    return result;
}
