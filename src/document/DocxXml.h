#pragma once

#include "common/Result.h"
#include "zip/ZipContentTypes.h"
#include "zip/ZipRelationships.h"

#include <QByteArray>
#include <QLatin1String>
#include <QList>
#include <QSet>
#include <QString>
#include <QXmlStreamReader>

#include <functional>
#include <utility>

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
inline constexpr QLatin1String kMarkupCompatibilityNs{
    "http://schemas.openxmlformats.org/markup-compatibility/2006"};
inline constexpr QLatin1String kImageRelType{
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image"};

// A part's text. The byte order mark, if any, is kept aside so that encoding
// the text again gives back the original bytes.
struct XmlPart {
    QByteArray bom;
    QString text;
};

// Decodes UTF-8 bytes; refused for another encoding or bytes that are not
// UTF-8.
Result<XmlPart> decodePart(const QByteArray& bytes);
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
// Applies non-overlapping edits in one pass; insertions at one place keep
// their order.
QString applyEdits(const QString& text, QList<Edit> edits);

// Walks a part token by token and tells where each element lies in the text.
// A document type declaration is refused: it is never needed in a package
// part and is how entity expansion attacks come in.
class XmlScanner {
public:
    explicit XmlScanner(const QString& text);

    // Reads the next token; false at the end of the document or on a refusal.
    bool next();
    QXmlStreamReader& reader() { return m_reader; }
    // Remembers the first cause of a refusal; returns false.
    bool fail(const QString& cause);
    // After a StartElement: its start tag's place.
    bool startSpan(ElementSpan* span);
    // After the EndElement of an element whose start went through startSpan.
    bool endSpan(ElementSpan* span);
    // Ends the walk, failed with the cause of a refusal or of an error found
    // at the end.
    Result<> finish();

private:
    const QString& m_text;
    QXmlStreamReader m_reader;
    QString m_cause;
};

// The value of an attribute in the WordprocessingML namespace.
QString wordAttribute(const QXmlStreamReader& reader, const QString& name);

// An on/off value (w:val of w:b, w:hidden, ...): on when absent.
bool isOn(QStringView value);

// The qualified name of a WordprocessingML attribute of the element the
// reader stands on, as written; empty when it has none.
QString writtenName(const QXmlStreamReader& reader, const QString& name);
// A start tag with the value of its attribute of that qualified name replaced.
QString withValue(QStringView startTag, const QString& written, const QString& value);
// The text of WordprocessingML attributes (name, value) for an element
// written with that prefix, each after a blank. An element in the default
// namespace gets a prefix declared on the spot.
QString wordAttributes(const QString& prefix, const QList<std::pair<QString, QString>>& attributes);
// A start tag with attribute text added at its end.
QString withAttributes(QStringView startTag, const QString& attributes);

// "prefix:local", or "local" for the default namespace.
QString qualified(const QString& prefix, QStringView local);
// The prefix of a qualified name, empty for none.
QString prefixOf(const QString& qualifiedName);

// Body-level and paragraph-level markup that holds no content of its own.
bool isRangeMark(QStringView name);

using zippackage::Relationship;

// A relationships part: where its root element lies, and what it lists.
struct RelationshipsScan {
    ElementSpan root;
    QList<Relationship> relationships;
};

Result<RelationshipsScan> scanRelationships(const QString& text);

// A content types part: where its root element lies, and what it lists.
struct ContentTypesScan {
    ElementSpan root;
    zippackage::ContentTypesReader types;
};

Result<ContentTypesScan> scanContentTypes(const QString& text);

// Walks a part that is only read, straight from its bytes: the reader is fed
// piece by piece, so a part of tens of megabytes is never held decoded
// whole. Calls visit after each token; stops at the end, at a fault, or at a
// document type declaration.
void walkXml(const QByteArray& bytes, const std::function<void(const QXmlStreamReader&)>& visit);

// A length in twips from an ST_TwipsMeasure value ("1800", "2.5cm", "1in").
// Returns a negative value when the text is not such a measure.
double parseTwips(QStringView value);

} // namespace docx
