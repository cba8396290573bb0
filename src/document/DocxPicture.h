#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QtGlobal>

namespace docx {

// Shown at 96 dpi: one pixel is 914400 / 96 EMU.
inline constexpr qint64 kEmuPerPixel = 9525;
inline constexpr qint64 kEmuPerTwip = 635;

// A picture to write: its PNG, its size on the page and the segment it shows.
struct Picture {
    QByteArray png;
    QSize pixels; // at 96 dpi, the size on the page; the PNG may hold more
    QString segmentName;
};

// Pictures this program puts into documents have an alternative text that
// ends with this.
QString pictureMark();

} // namespace docx
