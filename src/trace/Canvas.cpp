#include "trace/Canvas.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kDotsPerMetreAt96Dpi = 3780; // 96 dpi, as on the design screen

int floorToInt(double value) {
    if (!(value > -1e9))
        return -1000000000;
    if (!(value < 1e9))
        return 1000000000;
    return static_cast<int>(std::floor(value));
}

} // namespace

Canvas::Canvas(int width, int height, QColor background, QColor foreground, const QFont& font)
    : m_image(width, height, QImage::Format_RGB32), m_background(background.rgb()),
      m_foreColor(foreground.rgb()), m_font(font), m_width(width), m_height(height) {
    m_image.setDotsPerMeterX(kDotsPerMetreAt96Dpi);
    m_image.setDotsPerMeterY(kDotsPerMetreAt96Dpi);
    m_image.fill(m_background);
}

Canvas Canvas::plotCanvas() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    return Canvas(601, 289, Qt::white, Qt::black, font);
}

void Canvas::Cls() {
    m_image.fill(m_background);
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

double Canvas::pixelX(double x) const {
    return (x - m_left) * m_image.width() / m_width;
}

double Canvas::pixelY(double y) const {
    return (y - m_top) * m_image.height() / m_height;
}

QPoint Canvas::toPixel(double x, double y) const {
    return {floorToInt(pixelX(x)), floorToInt(pixelY(y))};
}

void Canvas::PSet(double x, double y, QRgb color) {
    ++m_points;
    m_currentX = x;
    m_currentY = y;
    const QPoint p = toPixel(x, y);
    if (p.x() < 0 || p.y() < 0 || p.x() >= m_image.width() || p.y() >= m_image.height())
        return;
    reinterpret_cast<QRgb*>(m_image.scanLine(p.y()))[p.x()] = color | 0xff000000u;
}

void Canvas::Line(double x1, double y1, double x2, double y2) {
    drawLine(x1, y1, x2, y2, m_foreColor);
}

void Canvas::Line(double x1, double y1, double x2, double y2, QRgb color) {
    drawLine(x1, y1, x2, y2, color);
}

void Canvas::drawLine(double x1, double y1, double x2, double y2, QRgb color) {
    QPainter painter(&m_image);
    painter.setPen(QPen(QColor::fromRgb(color), 0)); // cosmetic: one pixel wide
    painter.drawLine(toPixel(x1, y1), toPixel(x2, y2));
    m_currentX = x2;
    m_currentY = y2;
}

void Canvas::setFontSize(double points) {
    m_font.setPointSizeF(points);
}

void Canvas::Print(const QString& text) {
    const QPoint topLeft = toPixel(m_currentX, m_currentY);
    m_printed.append(
        {text, m_currentX, m_currentY, topLeft, m_font.pointSizeF(), m_font.bold(), m_foreColor});
    QPainter painter(&m_image);
    painter.setFont(m_font);
    painter.setPen(QColor::fromRgb(m_foreColor));
    const QFontMetricsF metrics(m_font, &m_image);
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
    // One text line lower on the screen, in user units.
    m_currentY += metrics.height() * m_height / m_image.height();
}
