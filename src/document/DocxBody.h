#pragma once

#include "document/DocxBodyEnd.h"
#include "document/DocxBookmark.h"
#include "document/DocxNotices.h"
#include "document/DocxParagraph.h"
#include "document/DocxSection.h"
#include "document/DocxTemplateScan.h"
#include "document/DocxXml.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// What a main document part holds for putting pictures into it: the body and
// its end, the sections' text widths, the placeholder paragraphs and the
// bookmark "veltrace". Found in one pass over the part's text, by character
// offset, so the edits touch nothing else.
namespace docx {

// A paragraph whose whole text is a placeholder.
struct Placeholder {
    ElementSpan paragraph;
    // Its runs and proofing marks, in order: what the picture replaces. The
    // paragraph's properties and range marks (bookmarks, comments) stay.
    QList<ElementSpan> content;
    QString text;    // the placeholder as written, for messages
    QString segment; // the segment it names; empty: the next plot
    ParagraphPlace place;
};

// The body's end (BodyEnd) and everything else the scan found.
struct DocumentScan : BodyEnd {
    ElementSpan root;
    ElementSpan body;
    QString wordPrefix;                   // the prefix the body is written with
    QHash<QString, QString> namespaces;   // prefix -> URI in scope inside the body
    QHash<QString, QString> rootDeclared; // prefix -> URI declared on the root
    // Every section in order; the last one is the body's.
    QList<Section> sections;
    // Ids of drawing objects (wp:docPr, pic:cNvPr, ...).
    QSet<quint32> drawingIds;
    // The usable placeholders in document order.
    QList<Placeholder> placeholders;
    std::optional<BookmarkPoint> bookmark;
    // Placeholders and bookmarks that cannot be used, and why; each said once.
    Notices notices;
    // The fields, repeated rows and sections of a report template, and the
    // pictures of this program.
    TemplateScan fill;
};

// Reads a main document part.
Result<DocumentScan> scanDocument(const QString& text);

} // namespace docx
