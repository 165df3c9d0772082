#pragma once

#include "framecutter.h"
#include "recordingreader.h"

#include <QFile>
#include <QList>

// A ".MJPEG" recording: pictures one after another, cut at their start markers by the picture
// cutter, as the recorder wrote them. The file holds no times: the pictures are spread evenly
// between the file's start and its last change, which is right for a recording at a steady rate.
class mjpegFileReader : public recordingReader {
public:
    bool open(const QString &path, qint64 startMs) override;
    bool refresh() override;
    int count() const override { return int(pictures.size()) + (tail.size > 0 ? 1 : 0); }
    qint64 offsetMs(int index) const override;
    QImage picture(int index, const QSize &fit) override;

private:
    struct place {
        qint64 offset = 0;
        qint64 size = 0;
    };
    void scan();
    place at(int index) const;

    QFile file;
    frameCutter cutter;
    qint64 bufferBase = 0;  // file offset of the cutter's buffer start
    qint64 readTo = 0;
    qint64 cut = 0;
    QList<place> pictures;  // cut: the next one began
    place tail;             // the last one, complete up to its end marker
    qint64 startMs = 0;
    qint64 spanMs = 0;
};
