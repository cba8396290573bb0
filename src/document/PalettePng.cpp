#include "document/PalettePng.h"

#include <QBuffer>
#include <QHash>
#include <QImageWriter>
#include <QList>

#include <algorithm>
#include <cstring>

namespace {

const int kPaletteSize = 256;
// Qt maps 0-100 to zlib levels 0-9; 75 is level 7. On a default plot level 7
// makes the file a quarter smaller than level 1 in about twice the time (still
// less than an RGB file takes at level 1); levels 8 and 9 save another 6 % in
// two and four times the time.
const int kCompression = 75;

struct Shade {
    QRgb colour;
    qsizetype pixels;
};

// Calls run(row, column, length, colour) for each run of equal pixels of a
// 32-bit image, row by row: a plot is mostly long runs of its background, so
// colours are looked up once a run rather than once a pixel.
template <typename Run> void forEachRun(const QImage& image, Run run) {
    const int width = image.width();
    for (int row = 0; row < image.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        int column = 0;
        while (column < width) {
            const QRgb colour = line[column];
            int end = column + 1;
            while (end < width && line[end] == colour)
                ++end;
            run(row, column, end - column, colour);
            column = end;
        }
    }
}

// The image's colours, most frequent first, equal counts in colour order.
QList<Shade> shadesByFrequency(const QImage& image) {
    QHash<QRgb, qsizetype> counts;
    forEachRun(image, [&](int, int, int length, QRgb colour) { counts[colour] += length; });
    QList<Shade> shades;
    shades.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        shades.append({it.key(), it.value()});
    std::sort(shades.begin(), shades.end(), [](const Shade& a, const Shade& b) {
        return a.pixels != b.pixels ? a.pixels > b.pixels : a.colour < b.colour;
    });
    return shades;
}

int squaredDistance(QRgb a, QRgb b) {
    const int red = qRed(a) - qRed(b);
    const int green = qGreen(a) - qGreen(b);
    const int blue = qBlue(a) - qBlue(b);
    const int alpha = qAlpha(a) - qAlpha(b);
    return red * red + green * green + blue * blue + alpha * alpha;
}

// Index of the palette colour nearest to `colour`; of equally near ones, the
// most frequent.
uchar nearest(QRgb colour, const QList<QRgb>& palette) {
    const auto closest =
        std::min_element(palette.cbegin(), palette.cend(), [colour](QRgb a, QRgb b) {
            return squaredDistance(colour, a) < squaredDistance(colour, b);
        });
    return static_cast<uchar>(closest - palette.cbegin());
}

} // namespace

QImage palettepng::indexed(const QImage& picture) {
    const QImage source = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                            : QImage::Format_RGB32);
    QList<QRgb> palette;
    QHash<QRgb, uchar> indexOf;
    for (const Shade& shade : shadesByFrequency(source)) {
        if (palette.size() < kPaletteSize) {
            indexOf.insert(shade.colour, static_cast<uchar>(palette.size()));
            palette.append(shade.colour);
        } else {
            indexOf.insert(shade.colour, nearest(shade.colour, palette));
        }
    }
    QImage result(source.size(), QImage::Format_Indexed8);
    if (result.isNull())
        return result;
    result.setColorTable(palette);
    result.setDotsPerMeterX(source.dotsPerMeterX());
    result.setDotsPerMeterY(source.dotsPerMeterY());
    uchar* bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    forEachRun(source, [&](int row, int column, int length, QRgb colour) {
        std::memset(bits + row * stride + column, indexOf.value(colour), length);
    });
    return result;
}

QByteArray palettepng::encode(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(kCompression);
    if (!writer.write(indexed(picture)))
        bytes.clear();
    return bytes;
}
