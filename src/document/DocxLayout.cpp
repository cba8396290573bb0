#include "document/DocxLayout.h"

#include "document/DocxPicture.h"

#include <algorithm>
#include <cmath>

namespace docx {

namespace {

// The height of a minimum line for the format's exact one, in twips: the
// same, but at most an inch, so that a height beyond any page cannot push
// the picture off it (a plot is about that high or higher and sets the
// height itself); a single line when none is given.
QString lineOf(const ParagraphFormat& format) {
    return QString::number(qRound(std::clamp(format.line.value_or(240), 0.0, 1440.0)));
}

// A spacing element of a minimum line as high as the format's exact one.
QString minimumSpacing(const ParagraphFormat& format, const QString& w) {
    const QString line = lineOf(format);
    return QStringLiteral("<%1%2/>").arg(
        qualified(w, u"spacing"),
        wordAttributes(w, {{QStringLiteral("line"), line},
                           {QStringLiteral("lineRule"), QStringLiteral("atLeast")}}));
}

} // namespace

qint64 widthLimit(const Section& section, double cellWidth, const ParagraphFormat& format) {
    double twips = section.columnWidth();
    if (cellWidth > 0 && (twips <= 0 || cellWidth < twips))
        twips = cellWidth;
    if (twips <= 0)
        return 0;
    // A picture starts where the first line does, or at the left indent
    // after a hanging number; indents into the margins give no more room.
    const double left = std::max(0.0, format.left.value_or(0));
    const double right = std::max(0.0, format.right.value_or(0));
    const double start = std::max(left, left + format.firstLine.value_or(0));
    const double inside = twips - start - right;
    if (inside > 0)
        twips = inside;
    return std::max<qint64>(1, std::llround(twips * kEmuPerTwip));
}

bool cutsPictures(const ParagraphFormat& format) {
    return format.lineRule == u"exact";
}

QList<Edit> lineHeightEdits(const ParagraphPlace& place, const ParagraphFormat& format,
                            const QString& w) {
    if (!cutsPictures(format))
        return {};
    const QString line = lineOf(format);
    if (place.spacing.start >= 0) {
        QString tag = place.spacingTag;
        QList<std::pair<QString, QString>> added;
        if (place.lineName.isEmpty())
            added.append({QStringLiteral("line"), line});
        if (!place.ruleName.isEmpty())
            tag = withValue(tag, place.ruleName, QStringLiteral("atLeast"));
        else
            added.append({QStringLiteral("lineRule"), QStringLiteral("atLeast")});
        if (!added.isEmpty())
            tag = withAttributes(tag, wordAttributes(prefixOf(place.spacing.qualifiedName), added));
        return {{place.spacing.start, place.spacing.startTagEnd, tag}};
    }
    const QString spacing = minimumSpacing(format, w);
    if (place.properties.isValid() && place.properties.selfClosing())
        return {appendInside(place.properties, spacing)};
    if (place.properties.isValid())
        return {{place.spacingAt, place.spacingAt, spacing}};
    return {{place.startTagEnd, place.startTagEnd, newParagraphProperties(format, w)}};
}

QString newParagraphProperties(const ParagraphFormat& format, const QString& w) {
    if (!cutsPictures(format))
        return {};
    return QStringLiteral("<%1>%2</%1>").arg(qualified(w, u"pPr"), minimumSpacing(format, w));
}

} // namespace docx
