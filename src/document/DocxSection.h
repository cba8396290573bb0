#pragma once

#include <QList>
#include <QXmlStreamReader>

// The sections of a main part, as far as the width of a picture goes.
namespace docx {

struct Section {
    double pageWidth = -1; // twips; negative when not given
    double marginLeft = -1;
    double marginRight = -1;
    int columns = 1;
    double columnSpace = 720; // between equal columns
    bool equalColumns = true;
    QList<double> columnWidths; // of columns of their own widths
    // The width between the margins, or a negative value without a page width.
    double textWidth() const;
    // The width of a column of text: the text width shared out among equal
    // columns, or the narrowest column of their own widths (a picture may go
    // into any of them); negative without a page width.
    double columnWidth() const;
};

// Reads a WordprocessingML element directly inside a section's properties,
// or inside their columns (cols).
void readSectionProperty(const QXmlStreamReader& reader, Section* section);

} // namespace docx
