#pragma once

#include <QByteArray>
#include <QImage>

// Pictures as palette PNG files (colour type 3, one byte a pixel): a plot has a
// few hundred colours at most, nearly all of its pixels in the most frequent
// ones, so a palette file is a fraction of the size of an RGB one.
namespace palettepng {

// The picture with a palette of at most 256 colours, most frequent first
// (equal counts in colour order, so the same picture always gives the same
// palette). With at most 256 colours every pixel keeps its colour; otherwise
// the 256 most frequent colours form the palette and each other colour is
// drawn as the palette colour nearest to it (smallest squared distance over
// red, green, blue and alpha). The resolution is kept.
QImage indexed(const QImage& picture);

// The PNG file of indexed(picture); empty when it cannot be written.
QByteArray encode(const QImage& picture);

} // namespace palettepng
