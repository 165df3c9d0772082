// The decoding of the stored passwords and guard switches, on whatever the per-user settings file
// holds: any bytes decode without harm, and what was encoded decodes back to itself.
//
// Input: the shift, then the stored bytes.
#include "fuzzinput.h"
#include "passwordcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInput input(data, size);
    const quint8 shift = input.byte();
    const QByteArray stored = input.rest();

    const passwordCodec::decoded read = passwordCodec::decode(stored, shift);
    const qsizetype zero = stored.indexOf('\0');
    const QByteArray used = zero >= 0 ? stored.left(zero) : stored;
    FUZZ_CHECK(read.text.size() <= (used.size() + 1) / 2, "more bytes decoded than pairs stored");
    // A clean value is exactly what encoding its text writes (the digits in lower case).
    if (read.clean)
        FUZZ_CHECK(passwordCodec::encode(read.text, shift) == used.toLower(), "a clean value is not its text's encoding");

    // Any text, zero bytes and all, comes back from its encoding.
    const passwordCodec::decoded back = passwordCodec::decode(passwordCodec::encode(stored, shift), shift);
    FUZZ_CHECK(back.clean && back.text == stored, "an encoded text did not decode to itself");
    return 0;
}
