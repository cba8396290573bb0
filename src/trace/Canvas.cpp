#include "trace/Canvas.h"

#include "trace/PlotStyle.h"
#include "trace/VectorState.h"

#include <QFontMetricsF>

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

// The image of a canvas at the ratio, filled with the background. Texts are
// drawn on it at 96 dpi, scaled by the ratio.
QImage blankImage(int width, int height, int ratio, QRgb background) {
    QImage image(width * ratio, height * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(kDotsPerMetreAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMetreAt96Dpi);
    image.fill(background);
    return image;
}

} // namespace

Canvas::Canvas(int width, int height, QColor background, QColor foreground, const QFont& font,
               int ratio, Record record)
    : m_pixels(blankImage(width, height, std::clamp(ratio, 1, kMaxPixelRatio), background.rgb())),
      m_imageWidth(width), m_imageHeight(height), m_ratio(std::clamp(ratio, 1, kMaxPixelRatio)),
      m_pictureRatio(m_ratio), m_background(background.rgb()), m_foreColor(foreground.rgb()),
      m_font(font), m_width(width), m_height(height) {
    if (record == Record::Keep)
        m_record.emplace(width, height);
    vectorstate::clearUpper();
}

Canvas Canvas::plotCanvas(int ratio, Record record) {
    QFont font(plotstyle::fontFamily());
    font.setPointSizeF(plotstyle::kDesignFontSize);
    return Canvas(plotstyle::kWidth, plotstyle::kHeight, QColor::fromRgb(plotstyle::kBackground),
                  QColor::fromRgb(plotstyle::kText), font, ratio, record);
}

QImage Canvas::Image() const {
    QImage image = m_pictureRatio == m_ratio
                       ? m_pixels.image()
                       : m_record->draw(m_pictureRatio, m_background, m_texts);
    // The texts were drawn at 96 dpi scaled by the ratio; the picture says
    // how finely it is drawn.
    if (m_pictureRatio != 1) {
        image.setDotsPerMeterX(kDotsPerMetreAt96Dpi * m_pictureRatio);
        image.setDotsPerMeterY(kDotsPerMetreAt96Dpi * m_pictureRatio);
    }
    return image;
}

bool Canvas::setPictureRatio(int ratio) {
    if (!canDrawAt(ratio))
        return false;
    m_pictureRatio = ratio;
    return true;
}

bool Canvas::setPixelRatio(int ratio) {
    if (!canDrawAt(ratio))
        return false;
    if (ratio != m_ratio)
        m_pixels = PixelBuffer(m_record->draw(ratio, m_background, m_texts));
    m_ratio = ratio;
    return true;
}

void Canvas::Cls() {
    m_pixels.fill(m_background);
    if (m_record)
        m_record->clear();
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
    const int ratio = m_ratio;
    if (ratio == 1) {
        for (int row = first; row <= last; ++row)
            m_pixels.row(row)[column] = pixel;
    } else {
        for (int row = first * ratio; row < (last + 1) * ratio; ++row)
            std::fill_n(m_pixels.row(row) + column * ratio, ratio, pixel);
    }
    if (m_record)
        for (int row = first; row <= last; ++row)
            m_record->set(column, row, pixel);
}

void Canvas::setBlock(int column, int row, QRgb pixel) {
    QRgb* top = m_pixels.row(row * m_ratio) + column * m_ratio;
    const qsizetype stride = m_pixels.stride();
    for (int y = 0; y < m_ratio; ++y)
        std::fill_n(top + y * stride, m_ratio, pixel);
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
        setPixel(column, row, pixel);
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

QFontMetricsF Canvas::fontMetrics() const {
    // At 96 dpi whatever the ratio: the layout is in logical pixels.
    return QFontMetricsF(m_font, &m_pixels.view());
}

double Canvas::textWidth(const QString& text) const {
    return fontMetrics().horizontalAdvance(text);
}

QString Canvas::elidedText(const QString& text, double width) const {
    // Without the flag Qt would take U+009C as a separator of alternative texts.
    return fontMetrics().elidedText(text, Qt::ElideMiddle, width, Qt::TextLongestVariant);
}

void Canvas::updateMetrics() {
    const QFontMetricsF metrics = fontMetrics();
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
        // In logical pixels; the painter scales them to the ratio.
        const CanvasRecord::Text drawn{text, m_font, QPointF(topLeft.x(), topLeft.y() + m_ascent),
                                       m_foreColor};
        m_texts.draw(m_pixels.modify(), drawn.text, drawn.font, drawn.baseline, drawn.color);
        if (m_record)
            m_record->addText(drawn);
        vectorstate::clearUpper(); // the painter leaves it dirty
    }
    // One text line lower on the screen, in user units.
    m_currentY += m_lineHeight * m_height / m_imageHeight;
}
