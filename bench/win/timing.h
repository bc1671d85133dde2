// Timing for the window benchmarks: the performance counter in
// microseconds, and the figures reported for a set of samples.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double Now() {
    static const double ticksPerMicrosecond = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1e6;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / ticksPerMicrosecond;
}

struct Figures {
    double min, median, p99, max;
};

inline Figures Summarise(std::vector<double> samples) {
    if (samples.empty()) return {0, 0, 0, 0};
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return {samples.front(), samples[n / 2], samples[std::min(n - 1, n * 99 / 100)], samples.back()};
}

}  // namespace bench
