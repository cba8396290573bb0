#pragma once

#include <QXmlStreamReader>

// The sections of a main part, as far as the width of a picture goes.
namespace docx {

struct Section {
    double pageWidth = -1; // twips; negative when not given
    double marginLeft = -1;
    double marginRight = -1;
    // The width between the margins, or a negative value without a page width.
    double textWidth() const;
};

// Reads a WordprocessingML element directly inside a section's properties.
void readSectionProperty(const QXmlStreamReader& reader, Section* section);

} // namespace docx
