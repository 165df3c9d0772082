#include "mjpegfilereader.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

bool mjpegFileReader::open(const QString &path, qint64 start)
{
    file.close();
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    startMs = start;
    cutter.startOver();
    readTo = cut = 0;
    // A start marker at the very first byte of the buffer opens no picture: one byte in front
    // moves the file's first picture to the second.
    cutter.prepareRead(1);
    *cutter.writePosition() = 0;
    cutter.commitRead(1);
    bufferBase = -1;
    pictures.clear();
    tail = place();
    cutter.setPictureSink([this](const QByteArray &picture) {
        pictures << place{bufferBase + cutter.previousMarker().start, picture.size()};
        ++cut;
    });
    scan();
    return count() > 0;
}

bool mjpegFileReader::refresh()
{
    const int before = count();
    scan();
    return count() != before;
}

void mjpegFileReader::scan()
{
    constexpr qint64 chunk = 1 << 20;
    for (;;) {
        const qint64 available = qMin(chunk, file.size() - readTo);
        if (available <= 0)
            break;
        // The cutter moves the picture in progress to its buffer's start (or starts over) to make
        // room: what it dropped in front moves the buffer's place in the file.
        const int filledBefore = cutter.filled();
        const qint64 room = cutter.prepareRead(available);
        bufferBase += filledBefore - cutter.filled();
        if (!file.seek(readTo))
            break;
        const qint64 n = file.read(cutter.writePosition(), room);
        if (n <= 0)
            break;
        cutter.commitRead(n);
        readTo += n;
        cutter.extractFrames();
    }
    // The picture in progress counts once its end marker has come.
    tail = place();
    const frameCutter::marker last = cutter.previousMarker();
    if (cutter.pictureCount() > cut && last.start >= 0)
        tail = place{bufferBase + last.start, cutter.newestPicture().size()};
    spanMs = qMax<qint64>(0, QFileInfo(file.fileName()).lastModified().toMSecsSinceEpoch() - startMs);
}

mjpegFileReader::place mjpegFileReader::at(int index) const
{
    return index < pictures.size() ? pictures.at(index) : tail;
}

qint64 mjpegFileReader::offsetMs(int index) const
{
    const int n = count();
    if (n <= 1 || index <= 0)
        return 0;
    return spanMs * qMin(index, n - 1) / (n - 1);
}

QImage mjpegFileReader::picture(int index, const QSize &fit)
{
    if (index < 0 || index >= count())
        return QImage();
    const place p = at(index);
    if (!file.seek(p.offset))
        return QImage();
    QBuffer bytes;
    bytes.setData(file.read(p.size));
    QImageReader reader(&bytes, "jpeg");
    if (fit.isValid() && reader.size().isValid())
        reader.setScaledSize(reader.size().scaled(fit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}
