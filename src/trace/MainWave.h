#pragma once

#include "trace/Ripple.h"

#include <QString>

class Canvas;
class FieldReader;
class Random;
class EventYield;

// Draws the main lobe, the random ripple, the marker with "M1" and the axis
// caption on top of the frame. A failing step is abandoned and the next one
// runs; returns the description of the last failure, or an empty string.
// The ripple is drawn fast unless the sample-by-sample drawing is asked for
// (which sets the same pixels, only slower on long feeders).
QString mainwave(Canvas& canvas, const FieldReader& fields, Random& random, EventYield& yield,
                 RippleDrawing drawing = RippleDrawing::Fast);
