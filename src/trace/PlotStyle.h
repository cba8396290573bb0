#pragma once

#include <QColor>
#include <QString>

// How a plot looks, in one place: the picture's size, its colours and the
// sizes of its texts. The frame, the trace and the canvas all draw with it.
namespace plotstyle {

// The picture, in logical pixels at 96 dpi.
inline constexpr int kWidth = 601;
inline constexpr int kHeight = 289;

inline constexpr QRgb kBackground = qRgb(255, 255, 255);
// Texts, and the colour the trace leaves the canvas in for the next frame.
inline constexpr QRgb kText = qRgb(0, 0, 0);
// The grid's lines and ticks, and the read-out's double rule.
inline constexpr QRgb kGrid = qRgb(0, 0, 0);
// Every point of the lobe and the ripple.
inline constexpr QRgb kTrace = qRgb(0, 117, 0);
// The marker line and its label "M1".
inline constexpr QRgb kMarker = qRgb(0, 0, 200);
// The letters of the VSWR axis caption.
inline constexpr QRgb kCaption = qRgb(0, 0, 0);

// Arial (Liberation Sans where Arial is missing) at its design size; the
// routines print at the sizes below.
inline QString fontFamily() {
    return QStringLiteral("Arial");
}
inline constexpr double kDesignFontSize = 8.25;
inline constexpr double kTextSize = 8;
inline constexpr double kTitleSize = 10;
inline constexpr double kMarkerLabelSize = 7;
// A segment name too wide at the text size steps down to this size, by half
// points, before it is shortened.
inline constexpr double kSmallestSegmentSize = 6;
inline constexpr double kSegmentSizeStep = 0.5;

} // namespace plotstyle
