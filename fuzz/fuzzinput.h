#pragma once

// Shared by the fuzz targets: reading parameters off the front of an input, and checks that
// stop the run with a message (libFuzzer then keeps the input as a finding).

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, message)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", message, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

class fuzzInput {
public:
    fuzzInput(const uint8_t *data, size_t size) : data(data), size(size) {}

    bool empty() const { return pos >= size; }
    size_t remaining() const { return size - pos; }

    uint8_t byte()
    {
        return pos < size ? data[pos++] : 0;
    }

    uint16_t word()
    {
        const uint16_t high = byte();
        return uint16_t(high << 8 | byte());
    }

    QByteArray bytes(size_t count)
    {
        if (count > remaining())
            count = remaining();
        const QByteArray taken(reinterpret_cast<const char *>(data + pos), qsizetype(count));
        pos += count;
        return taken;
    }

    QByteArray rest() { return bytes(remaining()); }

private:
    const uint8_t *data;
    size_t size;
    size_t pos = 0;
};
