#pragma once

#include <QString>

class Canvas;
class FieldReader;

// Clears the canvas, sets the plot frame and draws grid, ticks, axis labels,
// header, legend, read-out, title and segment name. Stops at the first failure
// (a test distance that is not a number) and returns its description; returns
// an empty string when the frame is complete.
QString cycs(Canvas& canvas, const FieldReader& fields);
