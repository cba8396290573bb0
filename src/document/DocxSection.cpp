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

// Page size and margins.
void readSectionProperty(const QXmlStreamReader& reader, Section* section) {
    const QStringView name = reader.name();
    if (name == u"pgSz")
        section->pageWidth = parseTwips(wordAttribute(reader, QStringLiteral("w")));
    if (name == u"pgMar") {
        section->marginLeft = parseTwips(wordAttribute(reader, QStringLiteral("left")));
        section->marginRight = parseTwips(wordAttribute(reader, QStringLiteral("right")));
    }
}

} // namespace docx
