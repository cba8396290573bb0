#pragma once

#include <QRgb>

class Canvas;
class EventYield;
class Random;

// How the ripple's bumps reach the canvas: every sample as a point of its own,
// or the same pixels at a cost bounded by the canvas rather than by the number
// of bumps.
enum class RippleDrawing { Fast, SampleBySample };

// One side of the ripple: `bumps` raised cosines `width` wide side by side,
// the first starting at x = 0 (left) or at `start` (right, the lobe's right
// foot). Only the side's outer edge is clamped: x below 0 to 0 on the left,
// above 100 to 100 on the right.
struct RippleSide {
    bool left;
    int bumps;
    double width;
    double start; // unused on the left
};

struct RippleResult {
    // Samples whose position overflowed were skipped.
    bool overflowed = false;
    // The events asked the drawing to stop; the side is drawn only in part.
    bool abandoned = false;
};

// Draws the side's bumps in order, each of a height below 16 drawn from
// `random` (one draw per bump, in order). Pending events run after every bump
// of an ordinary side; a side of very many bumps lets them run about every
// 10 ms of drawing and once at its end, and stops when they abandon it.
RippleResult drawRipple(Canvas& canvas, Random& random, EventYield& yield, const RippleSide& side,
                        QRgb color, RippleDrawing drawing);
