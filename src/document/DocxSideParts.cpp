#include "document/DocxSideParts.h"

#include "document/DocxPlaceholders.h"
#include "document/DocxXml.h"

namespace docx {

std::optional<quint32> drawingId(const QXmlStreamReader& reader) {
    const QStringView name = reader.name();
    if (name != u"docPr" && name != u"cNvPr")
        return std::nullopt;
    bool ok = false;
    const quint64 id = reader.attributes().value(QStringLiteral("id")).toULongLong(&ok);
    if (!ok || id > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<quint32>(id);
}

void scanSidePart(const QByteArray& bytes, SidePartScan* scan) {
    // The text of each paragraph is read w:t by w:t; a paragraph nested in
    // another (a text box) is read as part of the outer one, which is enough
    // here.
    QString paragraph;
    bool inText = false;
    walkXml(bytes, [&](const QXmlStreamReader& reader) {
        const bool word = reader.namespaceUri() == kWordNs;
        if (reader.isStartElement()) {
            if (const auto id = drawingId(reader))
                scan->drawingIds.insert(*id);
            if (word && reader.name() == u"p")
                paragraph.clear();
            else if (word && reader.name() == u"t")
                inText = true;
        } else if (reader.isEndElement() && word && reader.name() == u"t") {
            inText = false;
        } else if (reader.isCharacters() && inText && paragraph.size() < 4096) {
            paragraph += reader.text();
        } else if (reader.isEndElement() && word && reader.name() == u"p" &&
                   mentionsPlaceholder(paragraph)) {
            scan->placeholders = true;
        }
    });
}

} // namespace docx
