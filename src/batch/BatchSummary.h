#pragma once

#include "batch/BatchRow.h"
#include "batch/PicturePlaces.h"
#include "document/ReportFill.h"

#include <QList>
#include <QString>
#include <QStringList>

// What became of one row that gave no plot of its own values: refused,
// skipped (a run of empty rows), or plotted with values taken from above.
struct RowReport {
    enum class Kind { Refused, Skipped, Carried };
    Kind kind = Kind::Refused;
    int sheetRow = 0;
    // The last row of a run of skipped rows.
    int lastSheetRow = 0;
    QString segment;
    // Refused: the cells that kept the row from a plot, or what failed when
    // it was drawn.
    QList<batchrow::CellFault> faults;
    QString failure;
    // Carried: the values taken from above.
    QList<batchrow::Carried> carried;
};

// What one batch run did, for its completion report.
struct BatchSummary {
    int read = 0;  // rows read from the workbook
    int total = 0; // rows of the import, for "stopped after N of M rows"
    int plotted = 0;
    int skipped = 0;
    int refused = 0;
    int carried = 0; // plotted rows with a value taken from above
    // The run's plots on disk, and those kept to be written later.
    int written = 0;
    int waiting = 0;
    // Plots saved before the run that its writes took along.
    int earlierWritten = 0;
    // The user stopped the run before its last row.
    bool stopped = false;
    // A failure that ended the run early (writing the document cannot go on).
    QString abortCause;
    // Why plots wait.
    QString writeFailure;
    // The workbook could not be read: no row was.
    QString readFailure;
    // Problems that are not a row's: a document made anew, a clipboard that
    // could not take the last plot.
    QStringList problems;
    bool recreated = false;
    QList<RowReport> rows;
    // Where the written pictures went, and what the document's placeholders
    // and bookmark could not do.
    PicturePlaces places;
    QStringList templateNotices;
    // What the run filled of the document's template besides the plots.
    docx::FillCounts filled;
    // A row was drawn: the canvas holds its plot (or as much as was drawn).
    bool drew = false;
    // The plot the canvas holds at the end went to the document.
    bool lastPlotQueued = false;

    // Plots that did not reach the document.
    int unwritten() const { return plotted - written; }
    // Whether every row with values was plotted and every plot written.
    bool complete() const {
        return refused == 0 && unwritten() == 0 && abortCause.isEmpty() && readFailure.isEmpty() &&
               !recreated;
    }
};
