#include "recordbackoff.h"

#include <algorithm>

void recordBackoff::failed()
{
    wait = wait == 0 ? 1 : std::min(2 * wait, longestWaitRuns);
    waited = 0;
}

bool recordBackoff::mayTry()
{
    return wait == 0 || ++waited >= wait;
}
