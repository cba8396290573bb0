#pragma once

#include "batch/PicturePlaces.h"

#include <QList>
#include <QString>
#include <QStringList>

// What went wrong in the rows of one batch run, one entry per affected row in
// the order the rows were processed; problems of the document itself (a write
// that failed) have row 0.
class BatchProblems {
public:
    struct Entry {
        int sheetRow;
        QString segment;
        QStringList descriptions;
    };

    // Adds a problem; one already noted for the same row is not repeated.
    void add(int sheetRow, const QString& segment, const QString& description);
    bool isEmpty() const { return m_entries.isEmpty(); }
    // Rows with a problem (the document's own problems not counted).
    int rowCount() const;
    const QList<Entry>& entries() const { return m_entries; }
    // One line per entry: "第5行（1扇区）：驻波比“abc”不是数字，已清空".
    QStringList lines() const;

private:
    QList<Entry> m_entries;
};

// What one batch run did, for its completion report.
struct BatchSummary {
    int processed = 0;
    int total = 0; // rows of the import, for "stopped after N of M rows"
    // The user stopped the run before its last row.
    bool stopped = false;
    // A failure that ended the run early (writing the document cannot go on).
    QString abortCause;
    // Rows whose picture is not in the document, and why.
    int unwritten = 0;
    QString writeFailure;
    BatchProblems problems;
    // Where the written pictures went, and what the document's placeholders
    // and bookmark could not do.
    PicturePlaces places;
    QStringList templateNotices;
};

namespace batchreport {

// The report label: what happened, how many plots, the time and, when some
// rows had problems, how many.
QString label(const BatchSummary& summary, const QString& now);

// The completion message: the document, how many plots went to its
// placeholders, its bookmark and its end. pendingHint says what becomes of
// the pictures that wait (the window writes them later; a command line
// cannot).
QString message(const BatchSummary& summary, const QString& target, const QString& now,
                const QString& pendingHint);

// Where the written plots went, in words ("其中3张放入占位符，2张追加到文末").
QString placesLine(const PicturePlaces& places);

// Whether the message is a warning rather than a confirmation.
bool isWarning(const BatchSummary& summary);

} // namespace batchreport
