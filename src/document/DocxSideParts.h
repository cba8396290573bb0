#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QXmlStreamReader>

#include <optional>

// Headers, footers, footnotes and endnotes: parts that appending only reads,
// for what the main part's new pictures must respect.
namespace docx {

struct SidePartScan {
    // A paragraph in it mentions a placeholder; it is not used.
    bool placeholders = false;
    // The ids of its drawing objects: a document's drawing ids are unique
    // across all these parts and the main part.
    QSet<quint32> drawingIds;
};

// Reads a part into scan; one that is not well-formed XML gives what was
// read before the fault, one with a document type declaration nothing.
void scanSidePart(const QByteArray& bytes, SidePartScan* scan);

// The id of a drawing object (wp:docPr, pic:cNvPr, ...) the reader stands
// on, if it is one.
std::optional<quint32> drawingId(const QXmlStreamReader& reader);

} // namespace docx
