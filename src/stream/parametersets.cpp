#include "parametersets.h"

#include <QByteArray>
#include <QList>

namespace {

// Bits of a NAL unit's payload with the emulation prevention bytes taken out. Reading past the
// end fails the whole read.
class bitReader {
public:
    bitReader(const quint8 *data, int size)
    {
        payload.reserve(size);
        int zeros = 0;
        for (int i = 0; i < size; ++i) {
            if (zeros >= 2 && data[i] == 3) {
                zeros = 0;
                continue;
            }
            zeros = data[i] == 0 ? zeros + 1 : 0;
            payload.append(char(data[i]));
        }
    }

    bool ok() const { return !overrun; }

    quint32 bits(int count)
    {
        quint32 value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 1) | bit();
        return value;
    }

    void skip(int count)
    {
        for (int i = 0; i < count; ++i)
            bit();
    }

    // Exp-Golomb, unsigned; more than 31 leading zeros is no value a parameter set holds.
    quint32 ue()
    {
        int zeros = 0;
        while (!bit() && ok()) {
            if (++zeros > 31) {
                overrun = true;
                return 0;
            }
        }
        return (quint32(1) << zeros) - 1 + bits(zeros);
    }

    qint32 se()
    {
        const quint32 code = ue();
        return code & 1 ? qint32((code + 1) / 2) : -qint32(code / 2);
    }

private:
    quint32 bit()
    {
        if (position >= qsizetype(payload.size()) * 8) {
            overrun = true;
            return 0;
        }
        const quint32 value = (quint8(payload[position / 8]) >> (7 - position % 8)) & 1;
        ++position;
        return value;
    }

    QByteArray payload;
    qsizetype position = 0;
    bool overrun = false;
};

bool highProfile(quint32 profile)
{
    for (quint32 known : {100u, 110u, 122u, 244u, 44u, 83u, 86u, 118u, 128u, 138u, 139u, 134u, 135u}) {
        if (profile == known)
            return true;
    }
    return false;
}

void skipScalingList(bitReader &in, int size)
{
    int last = 8;
    int next = 8;
    for (int j = 0; j < size && in.ok(); ++j) {
        if (next != 0)
            next = (last + in.se() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

void skipProfileTierLevel(bitReader &in, int subLayers)
{
    in.skip(96);  // general profile, tier, flags and level
    QList<bool> profile;
    QList<bool> level;
    for (int i = 0; i < subLayers; ++i) {
        profile.append(in.bits(1));
        level.append(in.bits(1));
    }
    if (subLayers > 0)
        in.skip(2 * (8 - subLayers));
    for (int i = 0; i < subLayers; ++i)
        in.skip((profile[i] ? 88 : 0) + (level[i] ? 8 : 0));
}

}  // namespace

std::optional<parameterSets::sequence> parameterSets::readH264(const quint8 *nal, int size)
{
    if (size < 4 || h264Type(nal[0]) != h264Sps)
        return std::nullopt;
    bitReader in(nal + 1, size - 1);
    sequence read;
    const quint32 profile = in.bits(8);
    in.skip(16);  // constraint flags, level
    in.ue();      // its identifier
    quint32 chroma = 1;
    if (highProfile(profile)) {
        chroma = in.ue();
        if (chroma == 3)
            in.skip(1);
        read.bytesPerSample = in.ue() > 0 ? 2 : 1;
        in.ue();
        in.skip(1);
        if (in.bits(1)) {
            for (int i = 0; i < (chroma == 3 ? 12 : 8) && in.ok(); ++i) {
                if (in.bits(1))
                    skipScalingList(in, i < 6 ? 16 : 64);
            }
        }
    }
    in.ue();  // frame number bits
    const quint32 orderType = in.ue();
    if (orderType == 0) {
        in.ue();
    } else if (orderType == 1) {
        in.skip(1);
        in.se();
        in.se();
        const quint32 cycle = in.ue();
        if (cycle > 255)
            return std::nullopt;
        for (quint32 i = 0; i < cycle && in.ok(); ++i)
            in.se();
    }
    read.references = int(qMin<quint32>(in.ue(), 1000));
    in.skip(1);
    const quint32 widthMbs = in.ue() + 1;
    const quint32 heightUnits = in.ue() + 1;
    const quint32 framesOnly = in.bits(1);
    if (!in.ok())
        return std::nullopt;
    // Sizes beyond any bound are kept beyond it, not wrapped.
    read.width = int(qMin<quint64>(quint64(widthMbs) * 16, 1 << 30));
    read.height = int(qMin<quint64>(quint64(heightUnits) * 16 * (2 - framesOnly), 1 << 30));
    return read;
}

std::optional<parameterSets::sequence> parameterSets::readH265(const quint8 *nal, int size)
{
    if (size < 4 || h265Type(nal[0]) != h265Sps)
        return std::nullopt;
    bitReader in(nal + 2, size - 2);
    sequence read;
    in.skip(4);
    const int subLayers = int(in.bits(3));
    in.skip(1);
    if (subLayers > 6)
        return std::nullopt;
    skipProfileTierLevel(in, subLayers);
    in.ue();  // its identifier
    if (in.ue() == 3)
        in.skip(1);
    const quint32 width = in.ue();
    const quint32 height = in.ue();
    if (!in.ok())
        return std::nullopt;
    if (in.bits(1)) {
        for (int i = 0; i < 4; ++i)
            in.ue();
    }
    read.bytesPerSample = in.ue() > 0 ? 2 : 1;
    in.ue();
    in.ue();
    const bool perLayer = in.bits(1);
    quint32 buffering = 0;
    for (int i = perLayer ? 0 : subLayers; i <= subLayers && in.ok(); ++i) {
        buffering = qMax(buffering, in.ue() + 1);
        in.ue();
        in.ue();
    }
    read.width = int(qMin<quint32>(width, 1 << 30));
    read.height = int(qMin<quint32>(height, 1 << 30));
    read.references = int(qMin<quint32>(buffering, 1000));
    return read;
}
