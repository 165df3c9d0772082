#include "mkvtimeline.h"

mkvTimeline::stamps mkvTimeline::place(qint64 cameraMs, qint64 clockMs)
{
    if (!started)
        originMs = clockMs;
    const qint64 wall = clockMs - originMs;
    qint64 pts = cameraMs + offsetMs;
    const qint64 ahead = pts - wall;
    if (!runOpen || qAbs(ahead) > toleranceMs || pts < newestPts - reorderMs) {
        pts = started ? qMax(wall, newestPts + spacingMs) : wall;
        offsetMs = pts - cameraMs;
        runOpen = true;
    } else {
        if (pts > lastPts && pts - lastPts <= toleranceMs)
            spacingMs = pts - lastPts;
        if (qAbs(ahead) > toleranceMs / 2)
            offsetMs += ahead > 0 ? -1 : 1;
    }
    started = true;
    const qint64 dts = qMax(lastDts, pts - reorderMs);
    // A picture shown before the file's first (an open GOP's leading B-picture) is shown with it.
    pts = qMax(pts, dts);
    lastDts = dts;
    lastPts = pts;
    newestPts = qMax(newestPts, pts);
    return {pts, dts};
}
