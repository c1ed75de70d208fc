#pragma once
// The benchmarks' one way of timing: the median wall time of repeated runs.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Median wall time of `runs` calls in milliseconds; `ok` turns false when any call fails.
inline double MedianMs(const std::function<bool()>& body, bool& ok, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ok = body() && ok;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
