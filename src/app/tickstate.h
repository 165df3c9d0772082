#pragma once

#include "tickperiod.h"

#include <QTime>

// The counters and marks of the main window's tick.
struct tickState {
    int msCounter = 0;            // 40 more every tick; 0 again at every statistics period
    int timerBusy = 0;            // a tick that finds it set does nothing but count
    bool firstTick = false;       // set at the end of start-up, taken by the first tick
    bool startupPending = false;  // set by the first tick, taken at the end of the next complete one
    QTime now;
    int lastPeriodSecond = 0;
    bool periodClosed = false;    // this tick closed a statistics period

    // The tick's clock: a statistics period closes once 11 seconds passed since the last one, and
    // the millisecond counter starts again. A minute that wrapped only restarts the count.
    void takeTime(const QTime &time)
    {
        now = time;
        const int second = now.second();
        periodClosed = false;
        if (second < lastPeriodSecond) {
            lastPeriodSecond = second;
            return;
        }
        if (second - lastPeriodSecond < 11)
            return;
        msCounter = 0;
        lastPeriodSecond = second;
        periodClosed = true;
    }
};
