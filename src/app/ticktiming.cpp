#include "ticktiming.h"

void tickTiming::record()
{
    if (!clock.isValid())
        clock.start();
    const qint64 now = clock.nsecsElapsed() / 1000;
    if (last >= 0) {
        const qint64 interval = now - last;
        if (count == 0 || interval < shortest)
            shortest = interval;
        if (interval > longest)
            longest = interval;
        if (interval > periodUs + toleranceUs)
            ++late;
        total += interval;
        ++count;
    }
    last = now;
}

void tickTiming::reset()
{
    last = -1;
    count = late = 0;
    shortest = longest = total = 0;
}
