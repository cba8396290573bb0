#pragma once

#include "batch/BatchRow.h"
#include "batch/BatchSummary.h"

#include <QImage>
#include <QString>

class Canvas;
class Clipboard;
class EventYield;
class FieldSet;
class Random;
class ReportSession;
class Workbook;

// What shows a batch to the user: the window or the command line. It
// presents; the controller decides.
class BatchFrontEnd {
public:
    virtual ~BatchFrontEnd() = default;
    // Before a row's fields are written, with its number in the sheet.
    virtual void rowStarting(int sheetRow) { (void)sheetRow; }
    // After a row: how many of the total were read. Events may run here.
    virtual void progress(int read, int total) = 0;
    // A row refused as it happens.
    virtual void rowRefused(const RowReport& report) { (void)report; }
    // A write of the document that failed for now (another program holds
    // it); each description once.
    virtual void writeDelayed(const QString& description) { (void)description; }
    // Checked before each row; true ends the batch there.
    virtual bool stopRequested() const { return false; }
    // What lets events run while the workbook is read or the document
    // written.
    virtual EventYield& events() = 0;
};

// A row's whole road, for every row of a workbook: cells to field writes,
// the plot, the picture appended to the report, the writes on the interval
// and at the end, and what each failure means. Both front ends run their
// batches through it.
class BatchController {
public:
    BatchController(FieldSet& fields, Canvas& canvas, Random& random, ReportSession& report,
                    BatchFrontEnd& frontEnd);

    // The clipboard gets the last plot when the run ends.
    void setClipboard(Clipboard* clipboard) { m_clipboard = clipboard; }
    // Drawing yields through this (the window shows the plot as it grows and
    // may abandon a long one); without it, drawing does not yield.
    void setDrawYield(EventYield* yield) { m_drawYield = yield; }
    // The date a filled template's summary gives the report (yyyy-MM-dd).
    void setReportDate(const QString& date) { m_reportDate = date; }

    // Reads the workbook (letting events run meanwhile) and runs every row.
    // total: the rows the user was shown, for the progress.
    BatchSummary run(const QString& workbookPath, int total, const batchrow::Options& options);
    // The same for a workbook already read; it is closed at the end.
    BatchSummary run(Workbook& workbook, int total, const batchrow::Options& options);

private:
    enum class Drawn { Yes, Failed, Abandoned };
    void runRow(Workbook& workbook, const batchrow::Options& options);
    void refuse(RowReport report);
    void skip(int sheetRow);
    Drawn draw();
    void append();
    docx::RowValues rowValues() const;
    void takeWriteOutcome(const class Outcome& outcome);
    void finish();

    FieldSet& m_fields;
    Canvas& m_canvas;
    Random& m_random;
    ReportSession& m_report;
    BatchFrontEnd& m_frontEnd;
    Clipboard* m_clipboard = nullptr;
    EventYield* m_drawYield = nullptr;
    QString m_reportDate;

    // The run under way.
    BatchSummary m_summary;
    int m_sheetRow = 0;
    QString m_segmentAbove;
    QImage m_lastPlot;
    int m_appended = 0;
    int m_writtenBefore = 0;
    int m_pendingBefore = 0;
    PicturePlaces m_placesBefore;
    docx::FillCounts m_filledBefore;
    QStringList m_delaysTold;
};
