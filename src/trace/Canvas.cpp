#include "trace/Canvas.h"

#include "trace/VectorState.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kDotsPerMetreAt96Dpi = 3780; // 96 dpi, as on the design screen

// Rounds numerator / denominator to the nearest integer, halves upward;
// denominator > 0. Exact for every value the pixel range produces.
std::int64_t roundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t twice = 2 * numerator + denominator;
    const std::int64_t divisor = 2 * denominator;
    std::int64_t quotient = twice / divisor;
    if (twice % divisor != 0 && twice < 0)
        --quotient; // floor, not truncation
    return quotient;
}

} // namespace

Canvas::Canvas(int width, int height, QColor background, QColor foreground, const QFont& font)
    : m_pixels(width, height), m_imageWidth(width), m_imageHeight(height),
      m_background(background.rgb()), m_foreColor(foreground.rgb()), m_font(font), m_width(width),
      m_height(height) {
    QImage& image = m_pixels.modify();
    image.setDotsPerMeterX(kDotsPerMetreAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMetreAt96Dpi);
    image.fill(m_background);
    vectorstate::clearUpper();
}

Canvas Canvas::plotCanvas() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    return Canvas(601, 289, Qt::white, Qt::black, font);
}

void Canvas::Cls() {
    m_pixels.modify().fill(m_background);
    vectorstate::clearUpper(); // the fill leaves it dirty
    m_currentX = 0;
    m_currentY = 0;
    m_printed.clear();
    m_points = 0;
}

void Canvas::Scale(double x1, double y1, double x2, double y2) {
    m_left = x1;
    m_top = y1;
    m_width = x2 - x1;
    m_height = y2 - y1;
}

void Canvas::fillColumnSpan(int column, int row1, int row2, QRgb color) {
    if (column < 0 || column >= m_imageWidth)
        return;
    const int first = std::max(std::min(row1, row2), 0);
    const int last = std::min(std::max(row1, row2), m_imageHeight - 1);
    const QRgb pixel = color | 0xff000000u;
    for (int row = first; row <= last; ++row)
        m_pixels.row(row)[column] = pixel;
}

void Canvas::Line(double x1, double y1, double x2, double y2) {
    drawLine(x1, y1, x2, y2, m_foreColor);
}

void Canvas::Line(double x1, double y1, double x2, double y2, QRgb color) {
    drawLine(x1, y1, x2, y2, color);
}

// Walks the longer axis of the segment one pixel at a time and rounds the
// other coordinate from the line equation. Only the part inside the image is
// walked, so a line reaching far outside costs no more than one across it, and
// the end points are ordered first so that both directions give the same pixels.
void Canvas::drawLine(double x1, double y1, double x2, double y2, QRgb color) {
    m_currentX = x2;
    m_currentY = y2;
    std::int64_t ax = pixelColumn(x1), ay = pixelRow(y1);
    std::int64_t bx = pixelColumn(x2), by = pixelRow(y2);
    const int width = m_imageWidth;
    const int height = m_imageHeight;
    const QRgb pixel = color | 0xff000000u;

    const bool steep = std::abs(by - ay) > std::abs(bx - ax);
    if (steep) {
        std::swap(ax, ay);
        std::swap(bx, by);
    }
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const std::int64_t majorSize = steep ? height : width;
    const std::int64_t minorSize = steep ? width : height;
    const std::int64_t first = std::max<std::int64_t>(ax, 0);
    const std::int64_t last = std::min<std::int64_t>(bx, majorSize - 1);
    const std::int64_t run = bx - ax;
    const std::int64_t rise = by - ay;
    for (std::int64_t major = first; major <= last; ++major) {
        const std::int64_t minor = run == 0 ? ay : ay + roundedQuotient((major - ax) * rise, run);
        if (minor < 0 || minor >= minorSize)
            continue;
        const int column = static_cast<int>(steep ? minor : major);
        const int row = static_cast<int>(steep ? major : minor);
        m_pixels.row(row)[column] = pixel;
    }
}

void Canvas::setFontSize(double points) {
    m_font.setPointSizeF(points);
    m_metricsValid = false;
}

void Canvas::setFontBold(bool bold) {
    m_font.setBold(bold);
    m_metricsValid = false;
}

void Canvas::updateMetrics() {
    const QFontMetricsF metrics(m_font, &m_pixels.view()); // at the image's resolution
    m_ascent = metrics.ascent();
    m_lineHeight = metrics.height();
    m_metricsValid = true;
}

void Canvas::Print(const QString& text) {
    if (!m_metricsValid)
        updateMetrics();
    const QPoint topLeft = toPixel(m_currentX, m_currentY);
    m_printed.append(
        {text, m_currentX, m_currentY, topLeft, m_font.pointSizeF(), m_font.bold(), m_foreColor});
    // A text whose top-left corner lies far outside cannot reach the image;
    // skipping it also keeps huge coordinates away from the painter.
    const bool nearImage = topLeft.x() > -(1 << 20) && topLeft.x() < (1 << 20) &&
                           topLeft.y() > -(1 << 20) && topLeft.y() < (1 << 20);
    if (!text.isEmpty() && nearImage) {
        QPainter painter(&m_pixels.modify());
        painter.setFont(m_font);
        painter.setPen(QColor::fromRgb(m_foreColor));
        painter.drawText(QPointF(topLeft.x(), topLeft.y() + m_ascent), text);
        painter.end();
        vectorstate::clearUpper(); // the painter leaves it dirty
    }
    // One text line lower on the screen, in user units.
    m_currentY += m_lineHeight * m_height / m_imageHeight;
}
