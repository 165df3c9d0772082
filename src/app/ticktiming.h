#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// How regularly the 40 ms tick comes: the benchmarks read it to see whether anything (many
// cameras, a flood of datagrams) holds the GUI thread up.
class tickTiming {
public:
    void record();
    void reset();

    qint64 intervals() const { return count; }
    qint64 lateIntervals() const { return late; }    // more than 10 ms late
    qint64 shortestUs() const { return shortest; }
    qint64 longestUs() const { return longest; }
    double meanUs() const { return count ? double(total) / count : 0.0; }

    static constexpr qint64 periodUs = 40000;
    static constexpr qint64 toleranceUs = 10000;

private:
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 count = 0;
    qint64 late = 0;
    qint64 shortest = 0;
    qint64 longest = 0;
    qint64 total = 0;
};
