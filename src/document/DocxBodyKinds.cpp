#include "document/DocxBodyKinds.h"

#include "document/DocxXml.h"

namespace docx {

BodyElement kindOf(const QXmlStreamReader& reader, BodyElement parent) {
    using Kind = BodyElement;
    const QStringView name = reader.name();
    if (reader.namespaceUri() == kMarkupCompatibilityNs &&
        (name == u"Choice" || name == u"Fallback"))
        return Kind::Alternative;
    if (reader.namespaceUri() != kWordNs)
        return Kind::Other;
    struct Child {
        Kind parent;
        QStringView name;
        Kind kind;
    };
    static const Child children[] = {
        {Kind::Body, u"sectPr", Kind::BodySectPr},
        {Kind::ParagraphProperties, u"sectPr", Kind::ParagraphSectPr},
        {Kind::BodySectPr, u"cols", Kind::Columns},
        {Kind::ParagraphSectPr, u"cols", Kind::Columns},
        {Kind::Paragraph, u"pPr", Kind::ParagraphProperties},
        {Kind::ParagraphProperties, u"rPr", Kind::ParagraphMarkProperties},
        {Kind::ParagraphProperties, u"numPr", Kind::NumberingProperties},
        {Kind::Paragraph, u"proofErr", Kind::ProofMark},
        {Kind::Run, u"t", Kind::Text},
        {Kind::Table, u"tblPr", Kind::TableProperties},
        {Kind::TableProperties, u"tblCellMar", Kind::TableMargins},
        {Kind::Table, u"tblGrid", Kind::TableGrid},
        {Kind::Row, u"trPr", Kind::RowProperties},
        {Kind::Cell, u"tcPr", Kind::CellProperties},
        {Kind::CellProperties, u"tcMar", Kind::CellMargins},
    };
    for (const Child& child : children) {
        if (child.parent == parent && child.name == name)
            return child.kind;
    }
    if (name == u"p")
        return Kind::Paragraph;
    if (name == u"r")
        return Kind::Run;
    if (name == u"tbl")
        return Kind::Table;
    if (name == u"tr")
        return Kind::Row;
    if (name == u"tc")
        return Kind::Cell;
    if (name == u"txbxContent")
        return Kind::TextBox;
    if (name == u"del" || name == u"moveFrom")
        return Kind::Deletion;
    return Kind::Other;
}

} // namespace docx
