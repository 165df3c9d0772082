#include "framecutter.h"

#include <cstring>

frameCutter::frameCutter() : buffer(new char[payloadSize + slackSize]) {}

qint64 frameCutter::prepareRead(qint64 available)
{
    if (available <= 0)
        return 0;
    if (fill + available > maxFill)
        wrapAround();
    // After a restart a very large backlog must still fit: the rest is read next time.
    return qMin<qint64>(available, maxFill - fill);
}

// Starting the buffer over would lose the picture being received, and in a recording that is a
// picture missing every few seconds: it moves to the start instead, unless it has grown so large
// that moving it would not free enough room (then it is no picture worth keeping).
void frameCutter::wrapAround()
{
    const int keepFrom = previous.start;
    if (keepFrom < 0 || fill - keepFrom > maxFill / 2) {
        restart();
        return;
    }
    std::memmove(buffer.get(), buffer.get() + keepFrom, size_t(fill - keepFrom));
    fill -= keepFrom;
    scanPos -= keepFrom;
    if (completeEnd >= 0)
        completeEnd -= keepFrom;
    previous.start = 0;
    previous.end = -1;
    current = previous;
}

void frameCutter::commitRead(qint64 bytes)
{
    if (bytes > 0)
        fill += int(bytes);
}

void frameCutter::restart()
{
    fill = 0;
    scanPos = 0;
    resetMarkers();
}

void frameCutter::resetMarkers()
{
    current = marker();
    previous = marker();
    complete = QByteArray();
    completeEnd = -1;
}

void frameCutter::startOver()
{
    restart();
    clearQueue();
}

QByteArray frameCutter::newestPicture() const
{
    if (completeEnd >= 0)
        return complete;
    return queue.isEmpty() ? QByteArray() : queue.last();
}

// Equivalent to stepping byte by byte: between two 0xFF bytes nothing can happen, so memchr
// jumps there. A 0xFF that is the last byte received so far stays unscanned, so that a marker
// split across two reads is still seen. Every byte is looked at once, on the read that brought
// it: a picture is cut or complete as soon as its marker is there.
int frameCutter::extractFrames()
{
    const auto *data = reinterpret_cast<const unsigned char *>(buffer.get());
    int cut = 0;
    while (scanPos < fill) {
        const void *hit = std::memchr(data + scanPos, 0xFF, size_t(fill - scanPos));
        if (!hit) {
            scanPos = fill;
            break;
        }
        const int pos = int(static_cast<const unsigned char *>(hit) - data);
        if (pos + 1 >= fill) {
            scanPos = pos;
            break;
        }
        scanPos = pos + 1;
        if (data[pos + 1] == 0xD8 && startAt(pos))
            ++cut;
        else if (data[pos + 1] == 0xD9)
            endAt(pos);
    }
    return cut;
}

bool frameCutter::startAt(int pos)
{
    current.start = pos;
    current.end = -1;
    if (pos == 0)
        return false;
    bool closed = false;
    if (previous.start >= 0) {
        previous.end = pos;
        const int length = pos - previous.start;
        if (length > falseStartLimit) {
            QByteArray picture;
            if (completeEnd > previous.start) {
                // Shown already: the lines that followed its end marker are added in place.
                picture = std::move(complete);
                picture.append(buffer.get() + completeEnd, pos - completeEnd);
            } else {
                picture = QByteArray(buffer.get() + previous.start, length);
                ++completeCount;
            }
            if (pictureSink)
                pictureSink(picture);
            queue.append(std::move(picture));
            if (queue.size() > maxQueued)
                queue.removeFirst();
            closed = true;
        }
    }
    complete = QByteArray();
    completeEnd = -1;
    previous = current;
    return closed;
}

void frameCutter::endAt(int pos)
{
    const int end = pos + 2;
    if (previous.start < 0 || completeEnd >= 0 || end - previous.start <= falseStartLimit)
        return;
    const int length = end - previous.start;
    complete.reserve(length + trailerReserve);
    complete.append(buffer.get() + previous.start, length);
    completeEnd = end;
    ++completeCount;
}
