#include "document/DocxSideParts.h"

#include "document/DocxTemplate.h"
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
    // Read straight from the bytes: nothing here is spliced, and a header of
    // tens of megabytes is not decoded into a text twice its size. The text
    // of each paragraph is read w:t by w:t; a paragraph nested in another (a
    // text box) is read as part of the outer one, which is enough here.
    // The reader is fed piece by piece, so it holds one piece decoded at a time.
    constexpr qsizetype kPiece = 1024 * 1024;
    QXmlStreamReader reader;
    qsizetype fed = 0;
    QString paragraph;
    bool inText = false;
    for (;;) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && fed < bytes.size()) {
            reader.addData(bytes.mid(fed, kPiece));
            fed += kPiece;
            continue;
        }
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::DTD || reader.atEnd())
            break;
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
    }
}

} // namespace docx
