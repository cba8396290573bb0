#include "trace/SamplingLoop.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kAngleStep = 0.001;

const std::vector<sampling::Sample>& samples() {
    static const std::vector<sampling::Sample> loop = [] {
        std::vector<sampling::Sample> result;
        for (double theta = sampling::kFirstAngle; theta <= sampling::kLastAngle;
             theta += kAngleStep)
            result.push_back({theta, std::sin(theta)});
        return result;
    }();
    return loop;
}

} // namespace

std::span<const sampling::Sample> sampling::loop() {
    return samples();
}

int sampling::peakIndex() {
    static const int peak = [] {
        const std::vector<Sample>& all = samples();
        const auto highest =
            std::max_element(all.begin(), all.end(),
                             [](const Sample& a, const Sample& b) { return a.sine < b.sine; });
        return static_cast<int>(highest - all.begin());
    }();
    return peak;
}
