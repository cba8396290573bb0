#pragma once

#include "document/DocxNotices.h"
#include "document/DocxPlaceholders.h"
#include "document/ReportFill.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Report templates: the placeholders a user types into a document ("{{驻波图}}",
// "{{VSWR}}", "{{驻波图:T1-B1F}}") and the bookmark "veltrace", and which of
// them each picture of a write goes to.
namespace docx {

struct DocumentScan;
struct Picture;

// Where the pictures of one or more writes went.
struct Placement {
    int placeholders = 0;
    int bookmark = 0;
    int end = 0;
    // What the document's placeholders and bookmark could not do, each once.
    Notices notices;
    // The placeholders left after the last write: the segments of the named
    // ones as written, and how many take any plot.
    QStringList unusedSegments;
    int unusedPlain = 0;
    // What the writes filled of a report template besides the plots.
    FillCounts fill;

    // Adds a later write's placement.
    void add(const Placement& later);
};

// Which anchor each paragraph of a write goes to. A paragraph that a break
// has ended and that holds a picture is a plot: the first placeholder named
// after its first picture's segment takes it, else the first placeholder
// that takes any plot, else the bookmark, else the end of the body. The rest
// (an unfinished last paragraph, empty ones) goes to the end. Placeholders
// are taken in document order, so one write of many plots gives the same
// document as one write per plot.
struct Assignment {
    QList<int> placeholderParagraph; // per placeholder: the paragraph it takes, or -1
    QList<int> bookmarkParagraphs;   // in order
    QList<int> endParagraphs;        // in order; the last one is the unfinished one
    Placement placement;
};

// Paragraphs in taken and placeholders in skipped are left to the template's
// repeats.
Assignment assign(const DocumentScan& scan, const QList<Picture>& pictures,
                  const QList<QList<int>>& paragraphs, const QSet<int>& taken = {},
                  const QSet<int>& skipped = {});

} // namespace docx
