#include "h264loop.h"

#include <QColor>
#include <QImage>
#include <QPainter>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace {

constexpr int nalSps = 7;
constexpr int nalPps = 8;
constexpr int nalIdr = 5;

struct codecDeleter {
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct frameDeleter {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct packetDeleter {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};

QImage drawPicture(QSize size, int number, int count)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 60, 90));
    QPainter painter(&image);
    const int x = size.width() * number / count;
    painter.fillRect(x, 0, qMax(8, size.width() / 16), size.height(), QColor(230, 200, 60));
    QFont font;
    font.setPixelSize(qMax(10, size.height() / 8));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QStringLiteral("RTSP %1").arg(number));
    return image;
}

}  // namespace

H264Loop::AccessUnit H264Loop::splitAnnexB(const QByteArray &stream)
{
    AccessUnit nals;
    qsizetype start = -1;
    qsizetype i = 0;
    while (i + 2 < stream.size()) {
        if (stream[i] == 0 && stream[i + 1] == 0 && stream[i + 2] == 1) {
            if (start >= 0) {
                qsizetype end = i;
                while (end > start && stream[end - 1] == 0)
                    --end;
                nals.append(stream.mid(start, end - start));
            }
            start = i + 3;
            i += 3;
            continue;
        }
        ++i;
    }
    if (start >= 0 && start < stream.size())
        nals.append(stream.mid(start));
    return nals;
}

bool H264Loop::encode(QSize size, int fps, encoding how, QString *error)
{
    // The encoder's statistics are no news to the console.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec *encoder = avcodec_find_encoder_by_name("libx264");
    if (!encoder)
        encoder = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!encoder) {
        *error = QStringLiteral("no H.264 encoder in libavcodec");
        return false;
    }
    std::unique_ptr<AVCodecContext, codecDeleter> codec(avcodec_alloc_context3(encoder));
    codec->width = size.width() & ~1;
    codec->height = size.height() & ~1;
    codec->time_base = AVRational{1, fps};
    codec->framerate = AVRational{fps, 1};
    codec->gop_size = how.cameraLike ? 50 : fps;
    codec->max_b_frames = 0;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->thread_count = 1;
    codec->slices = how.slices;
    if (how.cameraLike) {
        codec->bit_rate = 4000000;
        codec->rc_max_rate = 4000000;
        codec->rc_buffer_size = 4000000;
        av_opt_set(codec->priv_data, "profile", "main", 0);
    }
    av_opt_set(codec->priv_data, "preset", how.cameraLike ? "veryfast" : "ultrafast", 0);
    av_opt_set(codec->priv_data, "tune", "zerolatency", 0);
    if (avcodec_open2(codec.get(), encoder, nullptr) < 0) {
        *error = QStringLiteral("cannot open the H.264 encoder");
        return false;
    }
    std::unique_ptr<AVFrame, frameDeleter> frame(av_frame_alloc());
    frame->format = codec->pix_fmt;
    frame->width = codec->width;
    frame->height = codec->height;
    av_frame_get_buffer(frame.get(), 0);
    SwsContext *scaler = sws_getContext(codec->width, codec->height, AV_PIX_FMT_BGRA, codec->width, codec->height,
                                        AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    std::unique_ptr<AVPacket, packetDeleter> packet(av_packet_alloc());
    // Whole key picture intervals: two seconds, or two intervals of 50 as cameras send them.
    const int count = how.cameraLike ? 2 * codec->gop_size : 2 * fps;
    auto drain = [&] {
        while (avcodec_receive_packet(codec.get(), packet.get()) == 0) {
            const AccessUnit nals = splitAnnexB(QByteArray(reinterpret_cast<const char *>(packet->data), packet->size));
            bool key = false;
            for (const QByteArray &nal : nals) {
                const int type = nal.isEmpty() ? 0 : nal[0] & 0x1F;
                if (type == nalSps)
                    sps = nal;
                else if (type == nalPps)
                    pps = nal;
                key = key || type == nalIdr;
            }
            units.append(nals);
            keys.append(key);
            av_packet_unref(packet.get());
        }
    };
    for (int i = 0; i < count; ++i) {
        const QImage image = drawPicture(QSize(codec->width, codec->height), i, count);
        av_frame_make_writable(frame.get());
        const uint8_t *source[1] = {image.constBits()};
        const int strides[1] = {int(image.bytesPerLine())};
        sws_scale(scaler, source, strides, 0, codec->height, frame->data, frame->linesize);
        frame->pts = i;
        // Every second a picture that a viewer can start from.
        frame->pict_type = i % codec->gop_size == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        avcodec_send_frame(codec.get(), frame.get());
        drain();
    }
    avcodec_send_frame(codec.get(), nullptr);
    drain();
    sws_freeContext(scaler);
    if (units.isEmpty() || !keys.first() || sps.isEmpty() || pps.isEmpty()) {
        *error = QStringLiteral("the H.264 encoder gave no usable stream");
        return false;
    }
    return true;
}

QByteArray H264Loop::fmtp(bool parameterSets) const
{
    const QByteArray head = "packetization-mode=1;profile-level-id=" + sps.mid(1, 3).toHex().toUpper();
    return parameterSets ? head + ";sprop-parameter-sets=" + sps.toBase64() + ',' + pps.toBase64() : head;
}
