#pragma once

#include "document/DocxXml.h"

#include <QList>
#include <QString>
#include <QXmlStreamReader>

#include <optional>

// Paragraphs as the body scan meets them: what their properties say about
// line height and indents, and where those properties lie in the text.
namespace docx {

// What one set of paragraph properties says (a paragraph's own, a style's,
// a numbering level's or the document defaults'); what it leaves unsaid is
// inherited.
struct ParagraphFormat {
    QString style;            // pStyle
    std::optional<int> numId; // numPr
    std::optional<int> level; // numPr's ilvl
    // The line: twips for "exact" and "atLeast", 240ths of a line for "auto".
    std::optional<double> line;
    std::optional<QString> lineRule; // "auto", "exact" or "atLeast"
    // Indents in twips; the first line's is negative when it hangs.
    std::optional<double> left;
    std::optional<double> right;
    std::optional<double> firstLine;

    // Takes from the other what this one leaves unsaid.
    void inherit(const ParagraphFormat& other);
};

// Reads one element directly inside paragraph properties (pPr), or inside
// their numPr, into format.
void readFormat(const QXmlStreamReader& reader, ParagraphFormat* format);

// A paragraph of the main part that may receive a picture: where its
// properties lie, for edits that mend its line height, and what it sits in.
struct ParagraphPlace {
    qsizetype startTagEnd = -1; // just after the paragraph's start tag
    ElementSpan properties;     // its pPr; not valid when it has none
    // Where a spacing element goes inside its pPr, in the order of the schema.
    qsizetype spacingAt = -1;
    ElementSpan spacing; // its own spacing element: its start tag only
    QString spacingTag;  // that start tag's text
    // The names of its line and lineRule attributes as written; empty when absent.
    QString lineName;
    QString ruleName;
    ParagraphFormat format;
    // The exact heights of the table rows around it, each made a minimum.
    QList<Edit> rows;
    double cellWidth = -1; // twips inside its table cell; negative outside tables
    int section = 0;       // index into DocumentScan::sections
};

// Reads an element directly inside the paragraph's pPr (inNumbering: inside
// their numPr) into place. False when its place in the text cannot be found.
bool readPlaceProperty(XmlScanner& scanner, const QString& text, bool inNumbering,
                       ParagraphPlace* place);

struct ScannedParagraph {
    int serial = 0;       // the number of its start among all elements
    int parentSerial = 0; // its parent's
    ElementSpan span;
    QString text;
    bool textCut = false;
    QList<ElementSpan> content; // its runs and proofing marks
    ParagraphPlace place;
    // Nothing but properties, runs of plain text, proofing and range marks.
    bool simple = true;
    bool inTextBox = false;
    // Why Word and LibreOffice would not show a picture put here (a merged
    // cell, a deleted row, an alternative); empty when they would.
    QString hidden;
    // An element around it (below the body) declares namespaces of its own.
    bool scopeDeclares = false;
    bool endsSection = false;
    int ownPictures = 0; // pictures of this program
    int runs = 0;
};

} // namespace docx
