#include "mkvfilereader.h"

#include <QFile>

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

struct frameFree {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

}  // namespace

mkvFileReader::~mkvFileReader()
{
    release();
}

void mkvFileReader::release()
{
    sws_freeContext(scaler);
    scaler = nullptr;
    avcodec_free_context(&codec);
    av_packet_free(&packet);
    avformat_close_input(&format);
    stream = -1;
    decoded = -1;
    draining = false;
}

bool mkvFileReader::open(const QString &file, qint64)
{
    path = file;
    release();
    entries.clear();
    if (!openDemuxer())
        return false;
    index();
    return openDecoder() && !entries.isEmpty();
}

bool mkvFileReader::openDemuxer()
{
    if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return false;
    stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    packet = av_packet_alloc();
    return stream >= 0 && packet;
}

// The demuxer notes every key picture's place as it reads, which the seeks use later.
void mkvFileReader::index()
{
    const AVRational base = format->streams[stream]->time_base;
    while (av_read_frame(format, packet) >= 0) {
        const qint64 pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (packet->stream_index == stream && pts != AV_NOPTS_VALUE)
            entries << entry{pts, av_rescale_q(pts, base, AVRational{1, 1000}), bool(packet->flags & AV_PKT_FLAG_KEY)};
        av_packet_unref(packet);
    }
    // Decoding order may differ from showing order: the list is in showing order.
    std::stable_sort(entries.begin(), entries.end(), [](const entry &a, const entry &b) { return a.pts < b.pts; });
    decoded = -1;
}

bool mkvFileReader::openDecoder()
{
    const AVCodecParameters *par = format->streams[stream]->codecpar;
    const AVCodec *decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder || !(codec = avcodec_alloc_context3(decoder)) || avcodec_parameters_to_context(codec, par) < 0)
        return false;
    // Slices only: frame threads would hold pictures back, and stepping wants each at once.
    codec->thread_type = FF_THREAD_SLICE;
    return avcodec_open2(codec, decoder, nullptr) >= 0;
}

bool mkvFileReader::refresh()
{
    const int before = count();
    const QList<entry> old = entries;
    if (!open(path, 0)) {
        entries = old;
        return false;
    }
    return count() != before;
}

qint64 mkvFileReader::offsetMs(int i) const
{
    if (entries.isEmpty())
        return 0;
    return entries.at(qBound(0, i, count() - 1)).ms - entries.first().ms;
}

bool mkvFileReader::seekTo(int key)
{
    if (av_seek_frame(format, stream, entries.at(key).pts, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec);
    decoded = -1;
    draining = false;
    return true;
}

// Reads and decodes until the picture of entries[target] comes out.
bool mkvFileReader::decodeTo(int target, AVFrame *frame)
{
    const qint64 wanted = entries.at(target).pts;
    for (;;) {
        const int got = avcodec_receive_frame(codec, frame);
        if (got == 0) {
            const qint64 pts = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
            if (pts >= wanted) {
                decoded = target;
                return pts == wanted || target == count() - 1;
            }
            av_frame_unref(frame);
            continue;
        }
        if (got != AVERROR(EAGAIN) || draining)
            return false;
        if (av_read_frame(format, packet) < 0) {
            draining = true;
            avcodec_send_packet(codec, nullptr);
            continue;
        }
        if (packet->stream_index == stream)
            avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
    }
}

QImage mkvFileReader::picture(int i, const QSize &fit)
{
    if (!codec || i < 0 || i >= count())
        return QImage();
    std::unique_ptr<AVFrame, frameFree> frame(av_frame_alloc());
    if (!frame)
        return QImage();
    // On from the picture decoded last, unless a key picture at or before this one is nearer.
    int key = i;
    while (key > 0 && !entries.at(key).key)
        --key;
    if ((decoded < 0 || i <= decoded || key > decoded || draining) && !seekTo(key))
        return QImage();
    if (!decodeTo(i, frame.get()))
        return QImage();
    return convert(frame.get(), fit);
}

QImage mkvFileReader::convert(const AVFrame *frame, const QSize &fit)
{
    QSize size(frame->width, frame->height);
    if (size.isEmpty())
        return QImage();
    if (fit.isValid())
        size = size.scaled(fit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    scaler = sws_getCachedContext(scaler, frame->width, frame->height, AVPixelFormat(frame->format), size.width(),
                                  size.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler)
        return QImage();
    QImage image(size, QImage::Format_RGB32);
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    return image;
}
