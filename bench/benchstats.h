#pragma once

#include <algorithm>
#include <vector>

// The value below which a share p (0..1) of the values lie, the nearest one; 0 for none.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * (values.size() - 1) + 0.5));
    return values[index];
}
