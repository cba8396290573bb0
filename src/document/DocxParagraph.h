#pragma once

#include "document/DocxXml.h"

#include <QList>
#include <QString>

// What the body scan gathers about one paragraph of the main part while it
// reads it.
namespace docx {

struct ScannedParagraph {
    int serial = 0;       // the number of its start among all elements
    int parentSerial = 0; // its parent's
    ElementSpan span;
    QString text;
    bool textCut = false;
    QList<ElementSpan> content; // its runs and proofing marks
    Edit spacing{-1, -1, {}};
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
    int section = 0;
    double cellWidth = -1;
};

} // namespace docx
