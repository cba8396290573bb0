#pragma once

#include "batch/BatchSummary.h"
#include "batch/PicturePlaces.h"

#include <QString>
#include <QStringList>

// The words of a batch's report: the rows that gave no plot of their own
// values, the counts, the report label and the completion message.
namespace batchreport {

// A workbook column as a message names it: "B列（驻波比）".
QString columnName(int column);

// One line for a row: "第5行（3扇区）：B列（驻波比）为空，该行未生成驻波图",
// "第4行：空行，已跳过", "第5行 驻波比为空，沿用上一行的 1.25".
QString line(const RowReport& report);
QStringList lines(const BatchSummary& summary);

// The message shown when a row is refused while the batch runs.
QString refusalMessage(const RowReport& report);

// The counts: rows read, plotted, skipped, refused, carried; plots written
// and not written.
QString countsLine(const BatchSummary& summary);

// The report label: what happened, how many plots, the time and, when some
// rows gave no plot or some plots were not written, how many.
QString label(const BatchSummary& summary, const QString& now);

// The completion message: the document, how many plots went to its
// placeholders, its bookmark and its end. pendingHint says what becomes of
// the pictures that wait (the window writes them later; a command line
// cannot).
QString message(const BatchSummary& summary, const QString& target, const QString& now,
                const QString& pendingHint);

// Where the written plots went, in words ("其中3张放入占位符，2张追加到文末").
QString placesLine(const PicturePlaces& places);
// What the run filled of the document's template, in words; empty when
// nothing ("按模板填写了表格12行、每段内容12节、汇总值6个").
QString filledLine(const docx::FillCounts& filled);

// Whether the message is a warning rather than a confirmation.
bool isWarning(const BatchSummary& summary);

} // namespace batchreport
