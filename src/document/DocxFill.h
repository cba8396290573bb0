#pragma once

#include "document/DocxBody.h"
#include "document/DocxFields.h"
#include "document/ReportFill.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>

// Filling a report template in one write: table rows and sections holding
// row fields are copied once per plotted row, the copies put before their
// template in workbook order (a section's plot into its copy's plot
// placeholder), and the write that ends a batch takes the templates and the
// section markers away and fills the summary fields. A plot of a segment
// that already has a plot of this program may instead replace that picture.
namespace docx {

// What one write has to fill with.
struct FillInput {
    QList<RowValues> rows;   // the rows of this write, in workbook order
    QList<int> rowParagraph; // per row: the typed paragraph of its plot, -1 none
    double userLimit = kDefaultLimit;
    bool replaceExisting = false;
    // The batch's last write: the summary of every row of the batch.
    bool finishing = false;
    QString date;
    QList<RowValues> runRows;
};

// A part of the template copied per row: the text [from, to) is copied, and
// [removeFrom, removeTo) goes at the batch's end (a section's markers too).
struct Repeat {
    bool section = false;
    qsizetype from = 0;
    qsizetype to = 0;
    qsizetype removeFrom = 0;
    qsizetype removeTo = 0;
};

// A picture of this program that a plot replaces.
struct Replacement {
    int drawing = 0;  // index into TemplateScan::ownDrawings
    QString part;     // its media part, when the new PNG overwrites it
    QString relation; // the relationship it comes through
};

struct FillPlan {
    QList<Repeat> repeats; // in document order, none inside another
    QSet<int> placeholdersInRepeats;
    int plotPlaceholder = -1; // the placeholder a repeat's copies take the plot at
    int plotRepeat = -1;
    QHash<int, int> repeatPlots;       // typed paragraph -> row index
    QHash<int, Replacement> replacing; // typed paragraph -> picture replaced
    QSet<int> taken;                   // typed paragraphs not placed otherwise
    double limit = kDefaultLimit;
    QString limitText;
};

// Decides what the template's repeats are and which plots go to them or
// replace earlier ones; the limit the verdicts use. Notices: markers that
// cannot be paired, a document's limit that differs from the user's.
FillPlan planFill(const DocumentScan& scan, const FillInput& input, const QString& mainPart,
                  const RelationshipsScan& rels, const QSet<QString>& takenNames, Notices* notices);

// What the body needs to fill the template.
struct FillWriter {
    // The runs of a typed paragraph's pictures.
    std::function<QString(int paragraph)> runs;
    // The edits that let a placeholder's paragraph show a picture whole.
    std::function<QList<Edit>(int placeholder)> formatEdits;
    // A drawing id no drawing of the document uses, for the drawings a
    // copy repeats.
    std::function<quint32()> nextId;
};

// The edits of the main part; counts what they fill.
QList<Edit> fillEdits(const FillPlan& plan, const DocumentScan& scan, const QString& text,
                      const FillInput& input, const FillWriter& writer, FillCounts* counts);

// The edit that points a replaced picture at its new relationship.
Edit repointEdit(const QString& text, const ElementSpan& blip, const QString& oldId,
                 const QString& newId);

} // namespace docx
