#pragma once

#include "trace/CanvasRecord.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

#include <cmath>
#include <optional>
#include <utility>

class QFontMetricsF;

// A picture box: a persistent image with a user coordinate frame, a print
// position, a fore colour and a font. Points map linearly from the frame to
// pixels; whatever falls outside the image is clipped.
//
// Its size and geometry are in logical pixels; it draws at a pixel ratio of
// 1, 2 or 3 device pixels to a logical one. A point, line or span sets the
// whole ratio x ratio block of each logical pixel it covers, so every ratio
// shows the same geometry, and texts are rasterised at the ratio, sharp. At
// ratio 1 a logical pixel is one pixel.
//
// A canvas that keeps a record of its drawing can also hand out its picture
// at another ratio, and change the ratio it draws at, without being drawn
// again by its caller.
class Canvas {
public:
    static constexpr int kMaxPixelRatio = 3;
    enum class Record { None, Keep };

    // A text drawn by Print, kept so that tests can check texts and places.
    struct PrintedText {
        QString text;
        double x;
        double y;
        QPoint pixel;
        double fontSize;
        bool bold;
        QRgb color;
    };

    // ratio is brought into 1..kMaxPixelRatio.
    Canvas(int width, int height, QColor background, QColor foreground, const QFont& font,
           int ratio = 1, Record record = Record::None);

    // The plot canvas: 601 x 289 logical pixels, white, black, Arial 8.25 pt.
    static Canvas plotCanvas(int ratio = 1, Record record = Record::None);

    // Fills the image with the background, forgets the printed texts and the
    // point count and puts the print position at user point (0, 0).
    void Cls();
    // (x1, y1) becomes the top-left corner, (x2, y2) the bottom-right one.
    void Scale(double x1, double y1, double x2, double y2);
    // Sets the one pixel under the user point; the print position moves there.
    inline void PSet(double x, double y, QRgb color);
    // Sets the logical pixels of one column from row1 to row2, both included,
    // clipped to the image: what PSet does for points that fall on each of
    // them. For drawing many points at once; the point count and the print
    // position are the caller's (notePointsSet).
    void fillColumnSpan(int column, int row1, int row2, QRgb color);
    // Accounts for `count` points drawn without PSet, the last at (x, y): the
    // point count grows and the print position moves there, as with PSet.
    void notePointsSet(qint64 count, double x, double y) {
        m_points += count;
        m_currentX = x;
        m_currentY = y;
    }
    // A solid line one pixel wide, both end pixels included; the print
    // position moves to (x2, y2).
    void Line(double x1, double y1, double x2, double y2);
    void Line(double x1, double y1, double x2, double y2, QRgb color);
    // Draws the text with its top-left corner at the print position, then
    // moves the print position one text line lower on the screen.
    void Print(const QString& text);

    double CurrentX() const { return m_currentX; }
    double CurrentY() const { return m_currentY; }
    void setCurrentX(double x) { m_currentX = x; }
    void setCurrentY(double y) { m_currentY = y; }
    QRgb ForeColor() const { return m_foreColor; }
    void setForeColor(QRgb color) { m_foreColor = color; }
    double FontSize() const { return m_font.pointSizeF(); }
    void setFontSize(double points);
    bool FontBold() const { return m_font.bold(); }
    void setFontBold(bool bold);
    // How wide the text is in the current font, in logical pixels: the
    // layout Print uses, at 96 dpi whatever the ratio.
    double textWidth(const QString& text) const;
    // The text in the current font with its middle replaced by an ellipsis
    // so that it is at most `width` logical pixels wide; whole if it fits.
    QString elidedText(const QString& text, double width) const;

    // The persistent picture: everything drawn since the last Cls, at the
    // picture ratio; its device pixel ratio and resolution (96 dpi times the
    // ratio) give it the logical size. The copy keeps its pixels whatever is
    // drawn afterwards.
    QImage Image() const;
    // The ratio Image() hands out, at first the one drawn at. Another needs
    // the record; false (and nothing changes) without it or out of range.
    int pictureRatio() const { return m_pictureRatio; }
    bool setPictureRatio(int ratio);
    // The ratio drawn at. Changing it draws the picture again from the
    // record; false (and nothing changes) without it or out of range.
    int pixelRatio() const { return m_ratio; }
    bool setPixelRatio(int ratio);
    // The drawing at the ratio drawn at, for showing without a copy.
    const QImage& drawing() const { return m_pixels.view(); }

    // Logical pixel that a user point falls on (may lie outside the image;
    // coordinates beyond +-1e9 and NaN are pinned far outside it).
    QPoint toPixel(double x, double y) const { return {pixelColumn(x), pixelRow(y)}; }
    int pixelColumn(double x) const { return floorToInt(pixelX(x)); }
    int pixelRow(double y) const { return floorToInt(pixelY(y)); }
    double pixelX(double x) const { return (x - m_left) * m_imageWidth / m_width; }
    double pixelY(double y) const { return (y - m_top) * m_imageHeight / m_height; }
    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }

    // Texts printed since the last Cls, in order.
    const QList<PrintedText>& printedTexts() const { return m_printed; }
    // Points set since the last Cls, counting those clipped away.
    qint64 pointCount() const { return m_points; }

private:
    static int floorToInt(double value) {
        // Also catches NaN, which fails both comparisons.
        if (!(value > -1e9))
            return -1000000000;
        if (!(value < 1e9))
            return 1000000000;
        return static_cast<int>(std::floor(value));
    }

    void drawLine(double x1, double y1, double x2, double y2, QRgb color);
    QFontMetricsF fontMetrics() const;
    void updateMetrics();
    bool canDrawAt(int ratio) const {
        return ratio == m_ratio || (m_record && ratio >= 1 && ratio <= kMaxPixelRatio);
    }
    // Sets the logical pixel (on the image) to the opaque colour. At ratio 1
    // in line; a larger block out of line, which costs the per-point path
    // less than a loop in line.
    void setPixel(int column, int row, QRgb pixel) {
        if (m_ratio == 1)
            m_pixels.row(row)[column] = pixel;
        else
            setBlock(column, row, pixel);
        if (m_record)
            m_record->set(column, row, pixel);
    }
    void setBlock(int column, int row, QRgb pixel);

    // The image with a direct pointer to its pixels for the per-point path.
    // The pointer is taken again, after detaching, whenever the buffer may
    // have been shared (a copy handed out by Image(), a copied canvas) or
    // replaced (filled, painted on); so no copy ever sees later drawing.
    class PixelBuffer {
    public:
        explicit PixelBuffer(QImage image) : m_image(std::move(image)) {}
        PixelBuffer(const PixelBuffer& other) : m_image(other.m_image) { other.m_stale = true; }
        PixelBuffer& operator=(const PixelBuffer& other) {
            m_image = other.m_image;
            m_stale = true;
            other.m_stale = true;
            return *this;
        }
        QImage image() const {
            m_stale = true;
            return m_image;
        }
        // For looking at, without keeping a copy.
        const QImage& view() const { return m_image; }
        // Every pixel one colour. A picture handed out keeps its pixels
        // without the buffer copying them first.
        void fill(QRgb color) {
            if (!m_image.isDetached()) {
                QImage fresh(m_image.size(), m_image.format());
                fresh.setDevicePixelRatio(m_image.devicePixelRatio());
                fresh.setDotsPerMeterX(m_image.dotsPerMeterX());
                fresh.setDotsPerMeterY(m_image.dotsPerMeterY());
                m_image = std::move(fresh);
            }
            modify().fill(color);
        }
        // For drawing through Qt.
        QImage& modify() {
            m_stale = true;
            return m_image;
        }
        QRgb* row(int y) {
            if (m_stale)
                refresh();
            return m_bits + y * m_stride;
        }
        // Pixels from one row to the next; valid once row() has been called.
        qsizetype stride() const { return m_stride; }

    private:
        void refresh() {
            m_bits = reinterpret_cast<QRgb*>(m_image.bits()); // detaches
            m_stride = m_image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
            m_stale = false;
        }

        QImage m_image;
        mutable bool m_stale = true;
        QRgb* m_bits = nullptr;
        qsizetype m_stride = 0;
    };

    PixelBuffer m_pixels;
    int m_imageWidth;  // the logical size, which never changes, kept at hand
    int m_imageHeight; // for the per-point arithmetic
    int m_ratio;
    int m_pictureRatio;
    std::optional<CanvasRecord> m_record;
    // Pictures at another ratio are drawn on demand, by const Image() too.
    mutable ShapedTexts m_texts;
    QRgb m_background;
    QRgb m_foreColor;
    QFont m_font;
    // Measured on the first Print after a font change (needs the font database).
    bool m_metricsValid = false;
    double m_lineHeight = 0; // pixels from one printed line to the next
    double m_ascent = 0;     // pixels from a line's top to its baseline
    double m_left = 0;
    double m_top = 0;
    double m_width;
    double m_height;
    double m_currentX = 0;
    double m_currentY = 0;
    QList<PrintedText> m_printed;
    qint64 m_points = 0;
};

// Inline: the trace sets over a hundred thousand points per plot.
void Canvas::PSet(double x, double y, QRgb color) {
    ++m_points;
    m_currentX = x;
    m_currentY = y;
    const int column = pixelColumn(x);
    const int row = pixelRow(y);
    // Unsigned comparison rejects negative values as well.
    if (static_cast<unsigned>(column) >= static_cast<unsigned>(m_imageWidth) ||
        static_cast<unsigned>(row) >= static_cast<unsigned>(m_imageHeight))
        return;
    setPixel(column, row, color | 0xff000000u);
}
