#include "mkvwriter.h"

#include "recordfiles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
}

#include <cstring>

namespace {
constexpr int ioBufferSize = 64 * 1024;
constexpr AVRational fileBase{1, 1000};  // Matroska counts in milliseconds
// Parameter sets are a few dozen bytes; more is no camera's.
constexpr size_t maxParameterBytes = 64 * 1024;

bool needsParameters(int codec)
{
    return codec == AV_CODEC_ID_H264 || codec == AV_CODEC_ID_HEVC;
}

QByteArray extradataOf(const AVCodecParameters *par)
{
    if (!par->extradata || par->extradata_size <= 0 || size_t(par->extradata_size) > maxParameterBytes)
        return {};
    return QByteArray(reinterpret_cast<const char *>(par->extradata), par->extradata_size);
}
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
    timeline.reset();
    headerBytes = 0;
    packetBytes = 0;
    error.clear();
}

void mkvWriter::waitForKey()
{
    keyNeeded = true;
    timeline.breakRun();
}

int mkvWriter::writeBytes(void *opaque, uint8_t *data, int size)
{
    auto *writer = static_cast<mkvWriter *>(opaque);
    if (!recordFiles::writeAll(*writer->file, QByteArray::fromRawData(reinterpret_cast<const char *>(data), size))) {
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
    if (!connectionParameters.isEmpty()) {
        AVCodecParameters *target = stream->codecpar;
        av_freep(&target->extradata);
        target->extradata = static_cast<uint8_t *>(av_mallocz(connectionParameters.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!target->extradata)
            return false;
        memcpy(target->extradata, connectionParameters.constData(), connectionParameters.size());
        target->extradata_size = int(connectionParameters.size());
    }
    fileParameters = connectionParameters;
    stream->codecpar->codec_tag = 0;
    stream->time_base = fileBase;
    if (avformat_write_header(muxer, nullptr) < 0)
        return false;
    headerBytes = avio_tell(io);
    width = par->width;
    height = par->height;
    codecId = par->codec_id;
    return true;
}

mkvWriter::result mkvWriter::write(const cameraPacket &in, qint64 clockMs)
{
    const AVPacket *packet = in.packet;
    const AVCodecParameters *par = in.par;
    if (!file || !file->isOpen())
        return result::failed;
    if (!connectionKnown || in.connection != currentConnection)
        startConnection(in);
    if (packet->pts != AV_NOPTS_VALUE)
        cameraMs = av_rescale_q(packet->pts, AVRational{in.timeBaseNum, in.timeBaseDen}, fileBase);
    const bool key = packet->flags & AV_PKT_FLAG_KEY;
    if (key && extractor)
        extractParameters(in);
    if ((keyNeeded && !key) || (needsParameters(par->codec_id) && connectionParameters.isEmpty()))
        return result::skipped;
    if (muxer && (par->codec_id != codecId || par->width != width || par->height != height
                  || connectionParameters != fileParameters)) {
        // What comes before the next key picture cannot be shown without it.
        keyNeeded = true;
        return key ? result::newFileNeeded : result::skipped;
    }
    if (!muxer && !writeHeader(par)) {
        if (error.isEmpty())
            error = QStringLiteral("Matroska header");
        release();
        return result::failed;
    }
    keyNeeded = false;
    const mkvTimeline::stamps at = timeline.place(cameraMs, clockMs);

    AVPacket *copy = av_packet_clone(packet);
    if (!copy)
        return result::failed;
    copy->stream_index = 0;
    copy->pts = at.pts;
    copy->dts = at.dts;
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
    packetBytes += packet->size;
    return result::written;
}

void mkvWriter::startConnection(const cameraPacket &in)
{
    connectionKnown = true;
    currentConnection = in.connection;
    cameraMs = 0;
    waitForKey();
    av_bsf_free(&extractor);
    connectionParameters = extradataOf(in.par);
    if (!connectionParameters.isEmpty() || !needsParameters(in.par->codec_id))
        return;
    const AVBitStreamFilter *filter = av_bsf_get_by_name("extract_extradata");
    if (!filter || av_bsf_alloc(filter, &extractor) < 0)
        return;
    if (avcodec_parameters_copy(extractor->par_in, in.par) < 0 || av_bsf_init(extractor) < 0)
        av_bsf_free(&extractor);
}

// The description had no parameter sets: the first key picture that carries them gives them.
void mkvWriter::extractParameters(const cameraPacket &in)
{
    AVPacket *copy = av_packet_clone(in.packet);
    if (!copy)
        return;
    if (av_bsf_send_packet(extractor, copy) == 0) {
        while (av_bsf_receive_packet(extractor, copy) == 0) {
            size_t size = 0;
            const uint8_t *data = av_packet_get_side_data(copy, AV_PKT_DATA_NEW_EXTRADATA, &size);
            if (data && size > 0 && size <= maxParameterBytes)
                connectionParameters = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
            av_packet_unref(copy);
        }
    }
    av_packet_free(&copy);
    if (!connectionParameters.isEmpty())
        av_bsf_free(&extractor);
}

qint64 mkvWriter::size() const
{
    return file ? qMax(file->size(), headerBytes + packetBytes) : 0;
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
    av_bsf_free(&extractor);
}
