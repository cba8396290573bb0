#pragma once

#include <QXmlStreamReader>

// What the elements of a main part are to the body scan.
namespace docx {

// What an open element is, as far as the body scan cares.
enum class BodyElement {
    Other,
    Body,
    BodySectPr,
    ParagraphSectPr,
    Paragraph,
    ParagraphProperties,
    NumberingProperties,
    Run,
    Text,
    ProofMark,
    Table,
    TableProperties,
    TableMargins,
    TableGrid,
    Row,
    RowProperties,
    Cell,
    CellProperties,
    CellMargins,
    TextBox,
    Columns,
    // What Word and LibreOffice do not show as it stands: an alternative of
    // mc:AlternateContent, content deleted with its changes tracked.
    Alternative,
    Deletion,
    ParagraphMarkProperties,
};

// What the element the reader stands on is, inside one of that kind.
BodyElement kindOf(const QXmlStreamReader& reader, BodyElement parent);

} // namespace docx
