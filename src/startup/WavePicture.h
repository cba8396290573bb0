#pragma once

#include "trace/Canvas.h"

// The line drawing of the start-up window: six periods of a sine wave resting
// on an x axis through its troughs, with a y axis at its start, both with
// arrowheads.
namespace wavepicture {

// Start and end of the wave's argument, and its step.
inline constexpr double kFirstAngle = 4.712385;
inline constexpr double kLastAngle = 42.411465;
inline constexpr double kAngleStep = 0.001;
// Where the x axis's arrowhead points (held in single precision).
inline constexpr float kArrowTipX = 81.68134f;

// The picture box the drawing is made on: 461 x 353, white on black.
Canvas makeCanvas();
// Sets the coordinate frame of the canvas and draws wave and axes in its fore
// colour. Returns the number of wave points set.
int draw(Canvas& canvas);

} // namespace wavepicture
