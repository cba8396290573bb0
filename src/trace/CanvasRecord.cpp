#include "trace/CanvasRecord.h"

#include "trace/VectorState.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <type_traits>

namespace {

constexpr int kDotsPerMetreAt96Dpi = 3780;

} // namespace

CanvasRecord::CanvasRecord(int width, int height)
    : m_width(width), m_height(height), m_pixels(std::size_t(width) * std::size_t(height)) {}

void CanvasRecord::clear() {
    static_assert(std::is_trivially_copyable_v<Pixel>);
    // An unset pixel is all zeros.
    std::memset(static_cast<void*>(m_pixels.data()), 0, m_pixels.size() * sizeof(Pixel));
    m_texts.clear();
}

QImage CanvasRecord::draw(int ratio, QRgb background, ShapedTexts& texts) const {
    QImage image(m_width * ratio, m_height * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(kDotsPerMetreAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMetreAt96Dpi);
    image.fill(background);

    // The set pixels ordered by the number of texts drawn before them.
    const std::size_t groups = std::size_t(m_texts.size()) + 1;
    std::vector<std::size_t> groupStart(groups + 1, 0);
    for (const Pixel& pixel : m_pixels)
        if (pixel.color != 0)
            ++groupStart[pixel.textsBefore + 1];
    std::partial_sum(groupStart.begin(), groupStart.end(), groupStart.begin());
    std::vector<std::size_t> ordered(groupStart.back());
    std::vector<std::size_t> next(groupStart.begin(), groupStart.end() - 1);
    for (std::size_t i = 0; i < m_pixels.size(); ++i)
        if (m_pixels[i].color != 0)
            ordered[next[m_pixels[i].textsBefore]++] = i;

    for (std::size_t group = 0; group < groups; ++group) {
        auto* bits = reinterpret_cast<QRgb*>(image.bits());
        const qsizetype stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
        for (std::size_t k = groupStart[group]; k < groupStart[group + 1]; ++k) {
            const std::size_t index = ordered[k];
            const qsizetype column = qsizetype(index % std::size_t(m_width)) * ratio;
            const qsizetype row = qsizetype(index / std::size_t(m_width)) * ratio;
            for (int y = 0; y < ratio; ++y)
                std::fill_n(bits + (row + y) * stride + column, ratio, m_pixels[index].color);
        }
        if (group + 1 < groups) {
            const Text& text = m_texts[qsizetype(group)];
            texts.draw(image, text.text, text.font, text.baseline, text.color);
        }
    }
    vectorstate::clearUpper(); // painting leaves it dirty
    return image;
}
