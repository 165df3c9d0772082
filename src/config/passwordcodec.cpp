#include "passwordcodec.h"

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

namespace passwordCodec {

QByteArray encode(QByteArrayView text, quint8 shift)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const quint8 b = quint8(quint8(c) + shift);
        out.append(digits[b >> 4]);
        out.append(digits[b & 0x0f]);
    }
    return out;
}

decoded decode(QByteArrayView stored, quint8 shift)
{
    const qsizetype zero = stored.indexOf('\0');
    if (zero >= 0)
        stored = stored.first(zero);
    decoded result;
    result.text.reserve(stored.size() / 2 + 1);
    for (qsizetype i = 0; i < stored.size(); i += 2) {
        int value = hexDigit(stored[i]);
        if (i + 1 < stored.size()) {
            const int low = hexDigit(stored[i + 1]);
            value = (value < 0 || low < 0) ? -1 : value * 16 + low;
        } else {
            result.clean = false;
        }
        if (value < 0) {
            result.clean = false;
            continue;
        }
        result.text.append(char(quint8(value - shift)));
    }
    return result;
}

} // namespace passwordCodec
