#pragma once

#include "trace/ShapedTexts.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <vector>

// What a canvas has drawn since it was cleared, kept so that the same picture
// can be drawn again at another pixel density: the last colour set on each
// logical pixel, how many texts had been drawn before that, and the texts.
//
// A point, line or span replaces its whole block of device pixels, and a text
// blends into what lies under it. So a device pixel ends as its block's last
// setting with every later text blended over it, in order; drawing the pixels
// grouped by the texts drawn before them, each group before the next text,
// gives every pixel exactly that.
class CanvasRecord {
public:
    struct Text {
        QString text;
        QFont font;
        QPointF baseline; // in logical pixels
        QRgb color;
    };

    CanvasRecord(int width, int height);

    void clear();
    // pixel is opaque; column and row lie on the image.
    void set(int column, int row, QRgb pixel) {
        m_pixels[std::size_t(row) * std::size_t(m_width) + std::size_t(column)] = {
            pixel, std::uint32_t(m_texts.size())};
    }
    void addText(const Text& text) { m_texts.append(text); }

    // Everything again, on `background`, at `ratio` device pixels to a logical
    // one: an image with that device pixel ratio, its resolution 96 dpi. The
    // texts are drawn through `texts`, as the canvas draws them.
    QImage draw(int ratio, QRgb background, ShapedTexts& texts) const;

private:
    int m_width;
    int m_height;
    // Side by side, so that setting one touches one place in memory.
    struct Pixel {
        QRgb color = 0;                // 0 where nothing was set: set ones are opaque
        std::uint32_t textsBefore = 0; // texts drawn before the last setting
    };
    std::vector<Pixel> m_pixels;
    QList<Text> m_texts;
};
