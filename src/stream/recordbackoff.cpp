#include "recordbackoff.h"

#include <algorithm>
#include <utility>

void recordBackoff::failed()
{
    wait = wait == 0 ? 1 : std::min(2 * wait, longestWaitRuns);
    waited = 0;
    full = false;
}

bool recordBackoff::mayTry(const std::function<bool()> &room)
{
    if (wait == 0)
        return true;
    if (!room()) {
        full = true;
        return false;
    }
    return std::exchange(full, false) || ++waited >= wait;
}
