#pragma once

#include <span>

// The angles that every sampling loop of the trace walks: from 1.5 pi up to
// 3.5 pi by repeated addition of 0.001, 6284 samples. Over them sin + 1 is a
// raised cosine, 0 at both ends and largest in the middle.
namespace sampling {

// The instrument's constant, deliberately not the full-precision value.
inline constexpr double kPi = 3.14159265;
inline constexpr double kFirstAngle = 1.5 * kPi;
inline constexpr double kCentreAngle = 2.5 * kPi;
inline constexpr double kLastAngle = 3.5 * kPi;
inline constexpr double kTurn = 2 * kPi;

// One sample: the angle and its sine.
struct Sample {
    double theta;
    double sine;
};

// The samples in order, computed once; the values the loop itself computes.
std::span<const Sample> loop();

// Index of the sample with the largest sine. The sines rise strictly up to it
// and fall strictly after it.
int peakIndex();

} // namespace sampling
