#include "document/DocxSection.h"

#include "document/DocxXml.h"

#include <algorithm>

namespace docx {

double Section::textWidth() const {
    if (pageWidth <= 0)
        return -1;
    const double width = pageWidth - std::max(0.0, marginLeft) - std::max(0.0, marginRight);
    return width > 0 ? width : -1;
}

double Section::columnWidth() const {
    const double text = textWidth();
    if (text <= 0 || columns <= 1)
        return text;
    if (!equalColumns) {
        double narrowest = -1;
        for (double width : columnWidths) {
            if (width > 0 && (narrowest < 0 || width < narrowest))
                narrowest = width;
        }
        if (narrowest > 0)
            return std::min(narrowest, text);
    }
    const double space = std::max(0.0, columnSpace);
    const double shared = (text - (columns - 1) * space) / columns;
    return shared > 0 ? shared : text / columns;
}

// Page size, margins and columns.
void readSectionProperty(const QXmlStreamReader& reader, Section* section) {
    const QStringView name = reader.name();
    if (name == u"pgSz")
        section->pageWidth = parseTwips(wordAttribute(reader, QStringLiteral("w")));
    if (name == u"pgMar") {
        section->marginLeft = parseTwips(wordAttribute(reader, QStringLiteral("left")));
        section->marginRight = parseTwips(wordAttribute(reader, QStringLiteral("right")));
    }
    if (name == u"cols") {
        // Word lays out at most 45 columns.
        const QString number = wordAttribute(reader, QStringLiteral("num"));
        section->columns = number.isEmpty() ? 1 : std::clamp(number.toInt(), 1, 45);
        const double space = parseTwips(wordAttribute(reader, QStringLiteral("space")));
        if (space >= 0)
            section->columnSpace = space;
        section->equalColumns = isOn(wordAttribute(reader, QStringLiteral("equalWidth")));
    }
    if (name == u"col" && section->columnWidths.size() < 45)
        section->columnWidths.append(parseTwips(wordAttribute(reader, QStringLiteral("w"))));
}

} // namespace docx
