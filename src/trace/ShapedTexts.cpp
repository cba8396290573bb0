#include "trace/ShapedTexts.h"

#include <QPainter>
#include <QTextLayout>

namespace {

// Enough for every text of many plots; a batch whose texts all differ
// starts afresh now and then rather than growing.
constexpr qsizetype kMaxKept = 1024;

} // namespace

std::optional<ShapedTexts::Shaped> ShapedTexts::shape(const QString& text, const QFont& font,
                                                      QImage& image) {
    QTextLayout layout(text, font, &image);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e9);
    const bool whole = line.isValid() && line.textLength() == text.size();
    layout.endLayout();
    if (!whole)
        return std::nullopt;
    return Shaped{layout.glyphRuns(), line.ascent()};
}

void ShapedTexts::draw(QImage& image, const QString& text, const QFont& font, QPointF baseline,
                       QRgb color) {
    const Key key{text, font, image.devicePixelRatio()};
    auto found = m_shaped.constFind(key);
    if (found == m_shaped.cend()) {
        if (m_shaped.size() >= kMaxKept)
            m_shaped.clear();
        found = m_shaped.insert(key, shape(text, font, image));
    }
    QPainter painter(&image);
    painter.setPen(QColor::fromRgb(color));
    if (!found->has_value()) {
        painter.setFont(font);
        painter.drawText(baseline, text);
        return;
    }
    const QPointF topLeft(baseline.x(), baseline.y() - (*found)->ascent);
    for (const QGlyphRun& run : (*found)->runs)
        painter.drawGlyphRun(topLeft, run);
}
