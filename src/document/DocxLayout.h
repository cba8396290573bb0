#pragma once

#include "document/DocxParagraph.h"
#include "document/DocxSection.h"

#include <QList>
#include <QString>

// How a picture fits the paragraph it goes into: the width the paragraph
// leaves it, and a line height that shows it whole.
namespace docx {

// The widest a picture may be, in EMU, in a paragraph of that format (as
// resolved through its styles) in the section and table cell (negative
// outside tables): the column of text, or the cell, less the paragraph's
// indents. 0 when nothing limits it.
qint64 widthLimit(const Section& section, double cellWidth, const ParagraphFormat& format);

// Whether a line of that format would cut a picture to its height: an
// exact line height, which Word and LibreOffice keep whatever the line holds.
bool cutsPictures(const ParagraphFormat& format);

// The edits that give a paragraph of that place, of that resolved format, a
// minimum line height instead of an exact one, keeping its other properties:
// its own spacing made a minimum, or one added to its properties (or
// properties added, written with the prefix w). None when it needs none.
// For a paragraph without properties, the properties go right after its start
// tag: such an edit goes before any other there.
QList<Edit> lineHeightEdits(const ParagraphPlace& place, const ParagraphFormat& format,
                            const QString& w);
// The properties of a new paragraph of that format that holds pictures; empty
// when it needs none.
QString newParagraphProperties(const ParagraphFormat& format, const QString& w);

} // namespace docx
