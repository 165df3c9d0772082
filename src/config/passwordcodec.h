#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The encoding of the stored passwords and guard switches: every byte b of the text becomes
// (b + shift) mod 256 written as two lower-case hexadecimal digits.
namespace passwordCodec {

QByteArray encode(QByteArrayView text, quint8 shift);

struct decoded {
    QByteArray text;
    bool clean = true;  // every pair was hexadecimal and none was left over
};

// Reads up to the first zero byte, two characters at a time (a last single one alone); a pair
// that is not hexadecimal is skipped and makes the result unclean. Takes any bytes at all.
decoded decode(QByteArrayView stored, quint8 shift);

} // namespace passwordCodec
