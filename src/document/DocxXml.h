#pragma once

#include <QByteArray>
#include <QHash>
#include <QLatin1String>
#include <QList>
#include <QSet>
#include <QString>

// The XML side of the .docx layer: decoding a part without losing a byte,
// locating elements by character offset, and splicing new text into it. The
// parts are never re-serialised, so whatever this layer does not touch stays
// exactly as the producing program wrote it.
namespace docx {

inline constexpr QLatin1String kWordNs{
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main"};
inline constexpr QLatin1String kStrictWordNs{"http://purl.oclc.org/ooxml/wordprocessingml/main"};
inline constexpr QLatin1String kRelNs{
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships"};
inline constexpr QLatin1String kWpNs{
    "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"};
inline constexpr QLatin1String kDrawingNs{"http://schemas.openxmlformats.org/drawingml/2006/main"};
inline constexpr QLatin1String kPictureNs{
    "http://schemas.openxmlformats.org/drawingml/2006/picture"};
inline constexpr QLatin1String kPackageRelNs{
    "http://schemas.openxmlformats.org/package/2006/relationships"};
inline constexpr QLatin1String kContentTypesNs{
    "http://schemas.openxmlformats.org/package/2006/content-types"};
inline constexpr QLatin1String kImageRelType{
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image"};

// A part's text. The byte order mark, if any, is kept aside so that encoding
// the text again gives back the original bytes.
struct XmlPart {
    QByteArray bom;
    QString text;
};

// Decodes UTF-8 bytes. Returns an empty string or the cause of the refusal
// (another encoding, bytes that are not UTF-8).
QString decodePart(const QByteArray& bytes, XmlPart* part);
QByteArray encodePart(const XmlPart& part);

// Text for an attribute value or character data: markup characters escaped,
// characters that XML 1.0 does not allow left out.
QString escapeXml(QStringView text);

// Where an element lies in its part's text, in QChar offsets.
struct ElementSpan {
    qsizetype start = -1;       // its '<'
    qsizetype startTagEnd = -1; // just after the start tag's '>'
    qsizetype endTagStart = -1; // the end tag's '<' (== end for <x/>)
    qsizetype end = -1;         // just after the element
    QString qualifiedName;

    bool isValid() const { return start >= 0 && end >= 0; }
    bool selfClosing() const { return startTagEnd == end; }
};

// A piece of text that replaces the range [start, end) of a part.
struct Edit {
    qsizetype start;
    qsizetype end;
    QString text;
};

// An edit that puts content at the end of the element, turning <x/> into
// <x>content</x> when needed.
Edit appendInside(const ElementSpan& element, const QString& content);
// Applies non-overlapping edits in one pass.
QString applyEdits(const QString& text, QList<Edit> edits);

// What appending to the body of a main document part needs to know.
struct DocumentScan {
    ElementSpan root;
    ElementSpan body;
    QString wordPrefix;                   // the prefix the body is written with
    QHash<QString, QString> namespaces;   // prefix -> URI in scope inside the body
    QHash<QString, QString> rootDeclared; // prefix -> URI declared on the root
    // The last block-level element of the body (before its own sectPr), and
    // whether it is an empty paragraph: nothing but paragraph properties,
    // bookmarks and runs without content (LibreOffice writes <w:r><w:rPr/></w:r>
    // for an empty paragraph).
    ElementSpan lastBlock;
    bool lastBlockIsEmptyParagraph = false;
    // The body-level section properties (the last section's).
    ElementSpan sectPr;
    double pageWidth = -1; // twips; negative when not given
    double marginLeft = -1;
    double marginRight = -1;
    // Ids of drawing objects (wp:docPr, pic:cNvPr, ...).
    QSet<quint32> drawingIds;
};

// Reads a main document part. Returns an empty string or the cause.
QString scanDocument(const QString& text, DocumentScan* scan);

struct Relationship {
    QString id;
    QString type;
    QString target;
    bool external = false;
};

struct RelationshipsScan {
    ElementSpan root;
    QList<Relationship> relationships;
};

QString scanRelationships(const QString& text, RelationshipsScan* scan);

struct ContentTypesScan {
    ElementSpan root;
    QSet<QString> defaultExtensions; // lower case
};

QString scanContentTypes(const QString& text, ContentTypesScan* scan);

// A length in twips from an ST_TwipsMeasure value ("1800", "2.5cm", "1in").
// Returns a negative value when the text is not such a measure.
double parseTwips(QStringView value);

} // namespace docx
