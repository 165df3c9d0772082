#pragma once

#include <QImage>
#include <QString>

// One recording file read picture by picture: how many complete pictures it holds, when each
// was taken (ms after its first), and the picture itself. A file still being written is read up
// to its last complete picture; refresh() takes the pictures added since. Not thread-bound, but
// used by one thread at a time.
class recordingReader {
public:
    virtual ~recordingReader() = default;

    // startMs: when the file began (its name's time, ms since the epoch).
    virtual bool open(const QString &path, qint64 startMs) = 0;
    // Whether pictures were added.
    virtual bool refresh() = 0;
    virtual int count() const = 0;
    virtual qint64 offsetMs(int index) const = 0;
    // Scaled to fit `fit` (aspect kept) when that is valid; null when it does not decode.
    virtual QImage picture(int index, const QSize &fit) = 0;
};
