#include "framejpeg.h"

#include <memory>

#include <turbojpeg.h>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int jpegQuality = 90;

int subsamplingOf(int format)
{
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
        return TJSAMP_420;
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
        return TJSAMP_422;
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ444P:
        return TJSAMP_444;
    case AV_PIX_FMT_GRAY8:
        return TJSAMP_GRAY;
    default:
        return -1;
    }
}

struct frameDeleter {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using framePtr = std::unique_ptr<AVFrame, frameDeleter>;

// JPEG's samples span the full range; a video stream's mostly 16-235 (luma) and 16-240.
bool limitedRange(const AVFrame *frame)
{
    switch (frame->format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
        return false;
    default:
        return frame->color_range != AVCOL_RANGE_JPEG;
    }
}

// Planar 4:2:0 of full range from any other layout or range, for the JPEG encoder.
framePtr toYuv420(const AVFrame *source)
{
    framePtr converted(av_frame_alloc());
    // The full-range layout: swscale then converts the range as well.
    converted->format = AV_PIX_FMT_YUVJ420P;
    converted->width = source->width;
    converted->height = source->height;
    if (av_frame_get_buffer(converted.get(), 0) < 0)
        return nullptr;
    SwsContext *scaler = sws_getContext(source->width, source->height, AVPixelFormat(source->format),
                                        source->width, source->height, AV_PIX_FMT_YUVJ420P, SWS_POINT,
                                        nullptr, nullptr, nullptr);
    if (!scaler)
        return nullptr;
    sws_scale(scaler, source->data, source->linesize, 0, source->height, converted->data, converted->linesize);
    sws_freeContext(scaler);
    return converted;
}

}  // namespace

QByteArray frameJpeg::encode(const AVFrame *frame)
{
    framePtr converted;
    int subsampling = subsamplingOf(frame->format);
    if (subsampling < 0 || (subsampling != TJSAMP_GRAY && limitedRange(frame))) {
        converted = toYuv420(frame);
        if (!converted)
            return {};
        frame = converted.get();
        subsampling = TJSAMP_420;
    }
    tjhandle handle = tjInitCompress();
    if (!handle)
        return {};
    const unsigned char *planes[3] = {frame->data[0], frame->data[1], frame->data[2]};
    const int strides[3] = {frame->linesize[0], frame->linesize[1], frame->linesize[2]};
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    QByteArray result;
    if (tjCompressFromYUVPlanes(handle, planes, frame->width, strides, frame->height, subsampling, &buffer, &size,
                                jpegQuality, TJFLAG_FASTDCT) == 0)
        result = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    tjFree(buffer);
    tjDestroy(handle);
    return result;
}

