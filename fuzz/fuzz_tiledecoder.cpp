// The tile decoder on whatever a camera's stream yields as a picture: from a start-of-image
// marker to the next, with the multipart bytes that follow it, truncated, progressive, or with a
// header claiming any size. A picture either decodes to exactly the tile's target size or is
// refused; nothing else may happen, and the next good picture decodes whatever came before.
//
// Input: tile width and height (one byte each, in steps of 4 pixels), the scale mode, then the
// picture's bytes.
#include "fuzzinput.h"
#include "tiledecoder.h"

#include <turbojpeg.h>

#include <vector>

namespace {

// A good 64 x 48 picture, encoded once.
const QByteArray &goodPicture()
{
    static const QByteArray jpeg = [] {
        std::vector<unsigned char> pixels(64 * 48 * 3, 128);
        tjhandle handle = tjInitCompress();
        unsigned char *out = nullptr;
        unsigned long size = 0;
        tjCompress2(handle, pixels.data(), 64, 0, 48, TJPF_RGB, &out, &size, TJSAMP_420, 80, 0);
        const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
        tjFree(out);
        tjDestroy(handle);
        return bytes;
    }();
    return jpeg;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInput input(data, size);
    const QSize tile((input.byte() + 1) * 4, (input.byte() + 1) * 4);
    const int scaleMode = input.byte() % 4;
    const QByteArray picture = input.rest();

    const QSize full = tileDecoder::pictureSize(picture);
    const QImage image = tileDecoder::decode(picture, tile, scaleMode);
    FUZZ_CHECK(tileDecoder::decode(goodPicture(), QSize(32, 24), 0).size() == QSize(32, 24),
               "a good picture no longer decodes after this one");
    if (image.isNull())
        return 0;
    FUZZ_CHECK(full.isValid() && !full.isEmpty(), "a picture decoded whose size could not be read");
    FUZZ_CHECK(image.size() == tileDecoder::targetSize(full, tile, scaleMode), "decoded to another size than the tile's");
    FUZZ_CHECK(image.format() == QImage::Format_RGB32, "decoded to another pixel format");
    return 0;
}
