#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// Draws texts on an image as QPainter::drawText does at a baseline, keeping
// each text's shaping: a plot prints nearly the same texts plot after plot,
// and shaping a text costs more than drawing its glyphs.
class ShapedTexts {
public:
    void draw(QImage& image, const QString& text, const QFont& font, QPointF baseline, QRgb color);

private:
    struct Shaped {
        QList<QGlyphRun> runs; // positioned from the top of the line
        qreal ascent = 0;
    };
    // Whole texts on one line only; a text that breaks is drawn unshaped.
    static std::optional<Shaped> shape(const QString& text, const QFont& font, QImage& image);

    struct Key {
        QString text;
        QFont font;
        qreal pixelRatio;
        bool operator==(const Key&) const = default;
    };
    friend size_t qHash(const Key& key, size_t seed) {
        return qHashMulti(seed, key.text, key.font, key.pixelRatio);
    }

    QHash<Key, std::optional<Shaped>> m_shaped;
};
