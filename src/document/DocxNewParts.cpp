#include "document/DocxAppend.h"

// The parts of the document this program makes when there is none yet.
namespace docx {

namespace {

const char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

} // namespace

QList<std::pair<QString, QByteArray>> newDocumentParts() {
    const QByteArray declaration(kXmlDeclaration);
    const QByteArray contentTypes =
        declaration +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Default Extension=\"png\" ContentType=\"image/png\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "<Override PartName=\"/word/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/"
        ">"
        "</Types>";
    const QByteArray packageRels =
        declaration +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" Target=\"word/document.xml\"/>"
        "</Relationships>";
    // A4 portrait with the usual margins: 2.54 cm top and bottom, 3.17 cm
    // left and right.
    const QByteArray document =
        declaration +
        "<w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
        "<w:body><w:sectPr>"
        "<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
        "<w:pgMar w:top=\"1440\" w:right=\"1800\" w:bottom=\"1440\" w:left=\"1800\" "
        "w:header=\"851\" w:footer=\"992\" w:gutter=\"0\"/>"
        "<w:cols w:space=\"425\"/><w:docGrid w:linePitch=\"312\"/>"
        "</w:sectPr></w:body></w:document>";
    const QByteArray documentRels =
        declaration +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
        "Target=\"styles.xml\"/>"
        "</Relationships>";
    const QByteArray styles =
        declaration +
        QStringLiteral(
            "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
            "<w:docDefaults><w:rPrDefault><w:rPr>"
            "<w:rFonts w:ascii=\"Times New Roman\" w:eastAsia=\"宋体\" "
            "w:hAnsi=\"Times New Roman\" w:cs=\"Times New Roman\"/>"
            "<w:kern w:val=\"2\"/><w:sz w:val=\"21\"/><w:szCs w:val=\"24\"/>"
            "<w:lang w:val=\"en-US\" w:eastAsia=\"zh-CN\" w:bidi=\"ar-SA\"/>"
            "</w:rPr></w:rPrDefault><w:pPrDefault/></w:docDefaults>"
            "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
            "<w:name w:val=\"Normal\"/><w:qFormat/>"
            "<w:pPr><w:widowControl w:val=\"0\"/><w:jc w:val=\"both\"/></w:pPr></w:style>"
            "</w:styles>")
            .toUtf8();
    return {{QStringLiteral("[Content_Types].xml"), contentTypes},
            {QStringLiteral("_rels/.rels"), packageRels},
            {QStringLiteral("word/document.xml"), document},
            {QStringLiteral("word/_rels/document.xml.rels"), documentRels},
            {QStringLiteral("word/styles.xml"), styles}};
}

} // namespace docx
