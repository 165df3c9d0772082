#pragma once

#include "recordingreader.h"

#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QString>

#include <memory>

// The automatic recording of a camera around a moment: finds the file that holds it among the
// camera's recordings (named "yyyyMMdd_hhmmss_<camera>.MJPEG" or ".mkv" by the recorder), and
// steps through its pictures by their wall time, which is the file name's start plus the
// picture's place in the file. Stepping past either end goes on in the neighbouring file. A file
// still being written grows with refresh(). Not thread-bound; one thread at a time.
class recordingPlayback {
    Q_DECLARE_TR_FUNCTIONS(recordingPlayback)

public:
    // Playing starts this long before the moment.
    static constexpr qint64 preRollMs = 10000;
    // A recording that starts this much after the moment still shows it (motion recording
    // begins with the alarm, the recorder looks every 3 s).
    static constexpr qint64 lateStartMs = 10000;
    // A picture this close to the moment counts as one of that moment.
    static constexpr qint64 slackMs = 2000;

    struct file {
        QString path;
        qint64 startMs = 0;
        qint64 lastChangeMs = 0;
        bool matroska = false;
    };

    // The camera's recordings in the folder, oldest first. stem: the camera's name as the
    // automatic recorder writes it.
    static QList<file> filesOf(const QString &folder, const QString &stem);
    // Why no recording shows the moment, from the files' names and times alone; empty when one
    // does.
    static QString unavailable(const QString &folder, const QString &stem, qint64 momentMs);

    recordingPlayback();
    ~recordingPlayback();

    // Opens the file that shows the moment at preRollMs before it (or at its start). False with
    // reason() when there is none.
    bool open(const QString &folder, const QString &stem, qint64 momentMs);
    QString reason() const { return why; }
    qint64 momentMs() const { return moment; }

    // The open file and the picture at hand.
    QString path() const;
    int count() const;
    int index() const { return current; }
    qint64 wallMs(int i) const;
    qint64 currentMs() const { return wallMs(current); }
    qint64 firstMs() const { return wallMs(0); }
    qint64 lastMs() const { return wallMs(count() - 1); }

    // The picture shown at that time: the last one at or before it, the first before them all.
    bool seek(qint64 wallMs);
    // By delta pictures; false at the very first or last picture of all the files.
    bool step(int delta);
    // A file being written: the pictures added since. True when some came.
    bool refresh();
    // The picture at hand, decoded now, fitted into `fit` when valid.
    QImage picture(const QSize &fit = QSize());

private:
    static int fileFor(const QList<file> &files, qint64 momentMs);
    bool openFile(int which);

    QList<file> files;
    int fileIndex = -1;
    std::unique_ptr<recordingReader> reader;
    int current = 0;
    qint64 moment = 0;
    QString why;
};
