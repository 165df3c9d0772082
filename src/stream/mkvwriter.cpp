#include "mkvwriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {
constexpr int ioBufferSize = 64 * 1024;
constexpr AVRational fileBase{1, 1000};  // Matroska counts in milliseconds
}  // namespace

mkvWriter::~mkvWriter()
{
    release();
}

void mkvWriter::begin(QFile *target)
{
    release();
    file = target;
    keyNeeded = true;
    connectionKnown = false;
    offset = 0;
    lastWritten = -1;
    firstSeen = false;
    error.clear();
}

int mkvWriter::writeBytes(void *opaque, uint8_t *data, int size)
{
    auto *writer = static_cast<mkvWriter *>(opaque);
    if (writer->file->write(reinterpret_cast<const char *>(data), size) != size) {
        writer->error = writer->file->errorString();
        return AVERROR(EIO);
    }
    return size;
}

int64_t mkvWriter::seekTo(void *opaque, int64_t offset, int whence)
{
    QFile *file = static_cast<mkvWriter *>(opaque)->file;
    if (whence & AVSEEK_SIZE)
        return file->size();
    whence &= ~AVSEEK_FORCE;
    qint64 target = offset;
    if (whence == SEEK_CUR)
        target += file->pos();
    else if (whence == SEEK_END)
        target += file->size();
    else if (whence != SEEK_SET)
        return AVERROR(EINVAL);
    return file->seek(target) ? target : AVERROR(EIO);
}

bool mkvWriter::writeHeader(const AVCodecParameters *par)
{
    if (avformat_alloc_output_context2(&muxer, nullptr, "matroska", nullptr) < 0 || !muxer)
        return false;
    auto *buffer = static_cast<unsigned char *>(av_malloc(ioBufferSize));
    io = avio_alloc_context(buffer, ioBufferSize, 1, this, nullptr, &mkvWriter::writeBytes, &mkvWriter::seekTo);
    if (!io) {
        av_free(buffer);
        return false;
    }
    muxer->pb = io;
    AVStream *stream = avformat_new_stream(muxer, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, par) < 0)
        return false;
    stream->codecpar->codec_tag = 0;
    stream->time_base = fileBase;
    if (avformat_write_header(muxer, nullptr) < 0)
        return false;
    width = par->width;
    height = par->height;
    codecId = par->codec_id;
    return true;
}

mkvWriter::result mkvWriter::write(const AVPacket *packet, const AVCodecParameters *par, int timeBaseNum,
                                   int timeBaseDen, quint64 connection)
{
    if (!file || !file->isOpen())
        return result::failed;
    if (muxer && (par->codec_id != codecId || par->width != width || par->height != height))
        return result::newFileNeeded;
    if (!connectionKnown || connection != currentConnection) {
        connectionKnown = true;
        currentConnection = connection;
        keyNeeded = true;
        firstSeen = false;
    }
    if (keyNeeded && !(packet->flags & AV_PKT_FLAG_KEY))
        return result::skipped;
    const int64_t stamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    if (stamp == AV_NOPTS_VALUE)
        return result::skipped;
    if (!muxer && !writeHeader(par)) {
        if (error.isEmpty())
            error = QStringLiteral("Matroska header");
        release();
        return result::failed;
    }
    const qint64 ms = av_rescale_q(stamp, AVRational{timeBaseNum, timeBaseDen}, fileBase);
    if (!firstSeen) {
        // The connection's first picture follows the last one written by one frame's time at most.
        firstSeen = true;
        firstOfConnection = ms;
        offset = lastWritten < 0 ? 0 : lastWritten + 1;
    }
    const qint64 at = qMax(lastWritten + 1, offset + ms - firstOfConnection);
    keyNeeded = false;

    AVPacket *copy = av_packet_clone(packet);
    if (!copy)
        return result::failed;
    const int64_t shift = copy->pts != AV_NOPTS_VALUE && copy->dts != AV_NOPTS_VALUE
        ? av_rescale_q(copy->pts - copy->dts, AVRational{timeBaseNum, timeBaseDen}, fileBase)
        : 0;
    copy->stream_index = 0;
    copy->dts = at;
    copy->pts = at + qMax<int64_t>(0, shift);
    copy->duration = 0;
    copy->pos = -1;
    copy->time_base = fileBase;
    const int written = av_write_frame(muxer, copy);
    av_packet_free(&copy);
    if (written < 0) {
        if (error.isEmpty())
            error = QStringLiteral("Matroska packet");
        return result::failed;
    }
    lastWritten = at;
    return result::written;
}

bool mkvWriter::finish()
{
    bool ok = true;
    if (muxer) {
        ok = av_write_trailer(muxer) >= 0;
        avio_flush(io);
        ok = ok && io->error >= 0;
    }
    release();
    return ok;
}

void mkvWriter::release()
{
    if (muxer) {
        muxer->pb = nullptr;
        avformat_free_context(muxer);
        muxer = nullptr;
    }
    if (io) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
}
