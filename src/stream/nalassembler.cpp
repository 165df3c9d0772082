#include "nalassembler.h"

#include <cstring>

extern "C" {
#include <libavcodec/packet.h>
}

namespace {

bool isKey(AVCodecID codec, quint8 header)
{
    if (codec == AV_CODEC_ID_H264)
        return parameterSets::h264Type(header) == 5;
    const int type = parameterSets::h265Type(header);
    return type >= 16 && type <= 21;  // random access points
}

std::optional<parameterSets::sequence> sequenceOf(AVCodecID codec, const quint8 *nal, int size)
{
    return codec == AV_CODEC_ID_H264 ? parameterSets::readH264(nal, size) : parameterSets::readH265(nal, size);
}

}  // namespace

nalAssembler::facts nalAssembler::scan(AVCodecID codec, const quint8 *data, int size)
{
    facts found;
    // Start codes cannot occur inside a NAL unit: its emulation prevention bytes see to that.
    int start = -1;
    const auto take = [&](int end) {
        if (start < 0)
            return;
        while (end > start && data[end - 1] == 0)
            --end;
        if (end <= start)
            return;
        found.key = found.key || isKey(codec, data[start]);
        const auto sequence = sequenceOf(codec, data + start, end - start);
        if (sequence && (!found.largest || parameterSets::decoderBytes(*sequence) > parameterSets::decoderBytes(*found.largest)))
            found.largest = sequence;
    };
    for (int i = 0; i + 2 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            take(i);
            start = i + 3;
            i += 2;
        }
    }
    take(size);
    return found;
}

nalAssembler::nalAssembler(AVCodecID id) : codec(id), done(av_packet_alloc()) {}

nalAssembler::~nalAssembler()
{
    av_packet_free(&done);
}

bool nalAssembler::add(const AVPacket *piece)
{
    av_packet_unref(done);
    if (overflow)
        return false;
    bool completed = false;
    if (started && piece->pts != pendingPts && !pending.isEmpty() && av_new_packet(done, int(pending.size())) == 0) {
        std::memcpy(done->data, pending.constData(), size_t(pending.size()));
        done->pts = pendingPts;
        done->dts = pendingDts;
        doneFacts = scan(codec, done->data, done->size);
        if (doneFacts.key)
            done->flags |= AV_PKT_FLAG_KEY;
        pending.clear();
        completed = true;
    }
    if (pending.isEmpty()) {
        pendingPts = piece->pts;
        pendingDts = piece->dts;
        started = true;
    }
    if (pending.size() + piece->size > maxPictureBytes) {
        overflow = true;
        pending.clear();
        pending.squeeze();
        return completed;
    }
    // Grown by hand: doubling would take twice the bound.
    if (pending.capacity() < pending.size() + piece->size)
        pending.reserve(qMin(maxPictureBytes, qMax(2 * pending.capacity(), pending.size() + piece->size)));
    pending.append(reinterpret_cast<const char *>(piece->data), piece->size);
    return completed;
}
