#pragma once

#include "document/DocxNotices.h"
#include "document/ReportFill.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Report templates: the placeholders a user types into a document ("{{驻波图}}",
// "{{VSWR}}", "{{驻波图:T1-B1F}}") and the bookmark "veltrace", and which of
// them each picture of a write goes to.
namespace docx {

struct DocumentScan;
struct Picture;
struct ScannedParagraph;

// The segment a placeholder names: nullopt when the text is not a placeholder,
// an empty string for one that takes the next plot. Blanks around the text,
// the keyword and the name do not matter, nor the case of "VSWR"; the colon
// may be ASCII or full width.
std::optional<QString> placeholderSegment(QStringView text);
// Whether a text holds something that starts like a placeholder.
bool mentionsPlaceholder(QStringView text);
// What segment names are compared by: blanks collapsed, compatibility forms
// (full-width letters and digits) folded, case ignored.
QString segmentKey(QStringView name);

// What a paragraph of the body is to the templates: no placeholder at all
// (no segment, no notice), a usable one (its segment), or one that is left
// as it is (the notice that says why).
struct PlaceholderVerdict {
    std::optional<QString> segment;
    // Why it is left as it is, and the placeholder as the notice shows it.
    std::optional<Notices::Kind> refused;
    QString example;
};
PlaceholderVerdict judgePlaceholder(const ScannedParagraph& paragraph);

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
