#pragma once

#include <QtGlobal>

// Where each packet of a recording sits in its file (milliseconds from the file's first packet),
// from two clocks: the recorder's, which says when the packet arrived, and the camera's, which
// says when it is to be shown. The recorder's clock places each run of packets, so that a gap
// (a reconnection, a pause of motion recording) stays a gap and a time read off the file is the
// time the picture came. Within a run the camera's times give the order and spacing, so that
// B-pictures keep their place and network jitter is not written into the file.
//
// A run ends at a new connection, at a pause (breakRun), and where the camera's time strays
// from the recorder's clock by more than toleranceMs or goes back by more than reorderMs: a
// camera clock that jumps starts a new run at the recorder's time, so it neither stretches nor
// folds the file. A new run never starts before the newest picture written. Within a run, a
// camera time more than half the tolerance off the recorder's clock is drawn back by 1 ms a
// packet, so that clocks drifting apart stay within it without a jump.
//
// Matroska keeps presentation times only; the decoding times given to the muxer merely rise
// and stay at or below them.
class mkvTimeline {
public:
    static constexpr qint64 toleranceMs = 1000;
    static constexpr qint64 reorderMs = 500;

    struct stamps {
        qint64 pts = 0;
        qint64 dts = 0;
    };

    // A new file: its time starts at the next packet.
    void reset() { *this = mkvTimeline(); }
    // The next packet starts a run of its own.
    void breakRun() { runOpen = false; }
    // cameraMs: when the camera means the picture to be shown; clockMs: when it arrived, by the
    // recorder's clock.
    stamps place(qint64 cameraMs, qint64 clockMs);

private:
    bool started = false;
    bool runOpen = false;
    qint64 originMs = 0;  // the recorder's clock at the file's first packet
    qint64 offsetMs = 0;  // within the run: file time = camera time + offset
    qint64 newestPts = 0;
    qint64 lastPts = 0;
    qint64 lastDts = 0;
    qint64 spacingMs = 1;  // one picture's time, as the camera spaces them
};
