#include "batch/BatchController.h"

#include "batch/ReportSession.h"
#include "platform/Clipboard.h"
#include "platform/EventYield.h"
#include "trace/Canvas.h"
#include "trace/FieldSet.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "trace/Numbers.h"
#include "workbook/Workbook.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <future>

namespace {

// A drawing that does not yield: the command line's.
class NoYield : public EventYield {
public:
    void yieldEvents() override {}
};

// Remembers whether the drawing was told to stop.
class WatchedYield : public EventYield {
public:
    explicit WatchedYield(EventYield& inner) : m_inner(inner) {}
    void yieldEvents() override { m_inner.yieldEvents(); }
    bool abandoned() const override {
        m_told = m_told || m_inner.abandoned();
        return m_told;
    }
    bool told() const { return m_told; }

private:
    EventYield& m_inner;
    mutable bool m_told = false;
};

// Empty rows cost nothing to skip; in a long sheet their progress is shown
// now and then.
constexpr int kSkippedProgressEvery = 1024;

} // namespace

BatchController::BatchController(FieldSet& fields, Canvas& canvas, Random& random,
                                 ReportSession& report, BatchFrontEnd& frontEnd)
    : m_fields(fields), m_canvas(canvas), m_random(random), m_report(report), m_frontEnd(frontEnd) {
}

BatchSummary BatchController::run(const QString& workbookPath, int total,
                                  const batchrow::Options& options) {
    // Read on a worker thread; its end is posted to this thread, which wakes
    // the wait while events run.
    Workbook workbook;
    std::atomic<bool> read = false;
    std::future<Outcome> opened = std::async(std::launch::async, [&] {
        Outcome outcome = workbook.open(workbookPath);
        read = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
        return outcome;
    });
    m_frontEnd.events().waitUntil([&] { return read.load(); });
    const Outcome outcome = opened.get();
    if (outcome.isOk())
        return run(workbook, total, options);
    BatchSummary summary;
    summary.total = total;
    summary.readFailure = outcome.message();
    return summary;
}

BatchSummary BatchController::run(Workbook& workbook, int total, const batchrow::Options& options) {
    m_summary = BatchSummary();
    m_summary.total = total;
    m_segmentAbove.clear();
    m_lastPlot = QImage();
    m_appended = 0;
    m_delaysTold.clear();
    m_writtenBefore = m_report.writtenPictures();
    m_pendingBefore = m_report.pendingPictures();
    m_placesBefore = m_report.places();
    m_filledBefore = m_report.filled();
    m_report.beginRun();
    for (; !workbook.atEnd() && !m_frontEnd.stopRequested() && m_summary.abortCause.isEmpty();
         workbook.moveNext()) {
        // Data rows start under the heading, in the sheet's second row.
        m_sheetRow = m_summary.read + 2;
        const int skippedBefore = m_summary.skipped;
        runRow(workbook, options);
        if (m_summary.stopped)
            break;
        ++m_summary.read;
        const bool skipped = m_summary.skipped > skippedBefore;
        if (!skipped || m_summary.read % kSkippedProgressEvery == 0 ||
            total <= kSkippedProgressEvery)
            m_frontEnd.progress(m_summary.read, total);
    }
    m_summary.stopped = m_summary.stopped || (m_frontEnd.stopRequested() && !workbook.atEnd());
    workbook.close();
    finish();
    return m_summary;
}

void BatchController::runRow(Workbook& workbook, const batchrow::Options& options) {
    const batchrow::Row row = batchrow::currentRow(workbook);
    const batchrow::Plan plan = batchrow::plan(row, m_fields, m_segmentAbove, options);
    if (!row[batchrow::kSegment].isEmpty())
        m_segmentAbove = row[batchrow::kSegment].toText();
    switch (plan.fate) {
    case batchrow::Plan::Fate::Skip:
        return skip(m_sheetRow);
    case batchrow::Plan::Fate::Refuse:
        return refuse(
            {RowReport::Kind::Refused, m_sheetRow, m_sheetRow, plan.segment, plan.faults, {}, {}});
    case batchrow::Plan::Fate::Plot:
        break;
    }
    m_frontEnd.rowStarting(m_sheetRow);
    for (const FieldWrite& write : plan.writes)
        m_fields.write(write.field, write.text);
    switch (draw()) {
    case Drawn::Abandoned:
        m_summary.stopped = true;
        return;
    case Drawn::Failed:
        return;
    case Drawn::Yes:
        break;
    }
    ++m_summary.plotted;
    if (!plan.carried.isEmpty()) {
        ++m_summary.carried;
        m_summary.rows.append(
            {RowReport::Kind::Carried, m_sheetRow, m_sheetRow, plan.segment, {}, {}, plan.carried});
    }
    append();
}

// The plotted row as the fields hold it once drawn, numbered among the
// run's plotted rows.
docx::RowValues BatchController::rowValues() const {
    docx::RowValues row;
    row.number = m_summary.plotted;
    row.segment = m_fields.text(Field::Segment);
    row.vswr = m_fields.text(Field::Vswr);
    row.vswrValue = numbers::parse(row.vswr).value_or(0);
    row.length = m_fields.text(Field::FeederLength);
    row.loss = m_fields.text(Field::InsertionLoss);
    row.distance = m_fields.text(Field::TestDistance);
    row.time = m_fields.text(Field::Time);
    return row;
}

void BatchController::refuse(RowReport report) {
    ++m_summary.refused;
    m_summary.rows.append(report);
    m_frontEnd.rowRefused(report);
}

// A run of empty rows is one entry.
void BatchController::skip(int sheetRow) {
    ++m_summary.skipped;
    if (!m_summary.rows.isEmpty()) {
        RowReport& last = m_summary.rows.last();
        if (last.kind == RowReport::Kind::Skipped && last.lastSheetRow == sheetRow - 1) {
            last.lastSheetRow = sheetRow;
            return;
        }
    }
    m_summary.rows.append({RowReport::Kind::Skipped, sheetRow, sheetRow, {}, {}, {}, {}});
}

// The frame, then the trace. A row whose plot cannot be drawn whole gives
// none; a long drawing abandoned for a stop leaves the row out.
BatchController::Drawn BatchController::draw() {
    m_summary.lastPlotQueued = false;
    m_summary.drew = true;
    const QString segment = m_fields.text(Field::Segment);
    QString failure;
    if (const auto bound = m_fields.checkBounds())
        failure = bound->message();
    else
        failure = cycs(m_canvas, m_fields);
    if (failure.isEmpty()) {
        NoYield noYield;
        WatchedYield yield(m_drawYield ? *m_drawYield : noYield);
        failure = mainwave(m_canvas, m_fields, m_random, yield);
        if (yield.told())
            return Drawn::Abandoned;
    }
    if (failure.isEmpty())
        return Drawn::Yes;
    RowReport report{RowReport::Kind::Refused, m_sheetRow, m_sheetRow, segment, {}, failure, {}};
    refuse(report);
    return Drawn::Failed;
}

void BatchController::append() {
    m_lastPlot = m_canvas.Image();
    // A slow write holds the batch back rather than stop it.
    Outcome outcome = m_report.waitForRoom(m_frontEnd.events());
    if (outcome.isOk())
        outcome = m_report.append(m_lastPlot, rowValues());
    m_summary.lastPlotQueued = outcome.isOk();
    if (outcome.isOk()) {
        ++m_appended;
        outcome = m_report.flushIfDue();
    }
    takeWriteOutcome(outcome);
}

// Another program holding the document may let go of it: said once, and
// the plots wait. Anything else will not mend itself, so the run ends.
void BatchController::takeWriteOutcome(const Outcome& outcome) {
    if (outcome.isOk()) {
        if (outcome.note() == Outcome::Note::Recreated && !m_summary.recreated) {
            m_summary.recreated = true;
            m_summary.problems.append(m_report.noteText(outcome.note()));
        }
        return;
    }
    m_summary.writeFailure = outcome.message();
    if (outcome.kind() != Outcome::Kind::Busy) {
        m_summary.abortCause = outcome.message();
        return;
    }
    if (!m_delaysTold.contains(outcome.message())) {
        m_delaysTold.append(outcome.message());
        m_frontEnd.writeDelayed(outcome.message());
    }
}

void BatchController::finish() {
    // Whatever the last rows appended is written before the report, and the
    // template's summary with it.
    if (m_summary.plotted > 0)
        m_report.finishRun(m_reportDate);
    const Outcome written = m_report.flushYielding(m_frontEnd.events());
    m_report.endRun();
    if (written.isOk()) {
        m_summary.writeFailure.clear();
        takeWriteOutcome(written);
    } else {
        m_summary.writeFailure = written.message();
    }

    // What the document holds of the run: after it vanished and was made
    // anew, only what was written since, the latest plots.
    const int since = m_summary.recreated ? m_report.writtenPictures()
                                          : m_report.writtenPictures() - m_writtenBefore;
    // The first written are the plots that waited before the run.
    m_summary.earlierWritten = m_summary.recreated ? std::max(0, since - m_appended)
                                                   : std::clamp(since, 0, m_pendingBefore);
    m_summary.written = std::clamp(since - m_summary.earlierWritten, 0, m_appended);
    m_summary.waiting = m_appended - m_summary.written;
    m_summary.places = m_report.places() - m_placesBefore;
    m_summary.filled = m_report.filled() - m_filledBefore;
    m_summary.templateNotices = m_report.takeNotices();

    // The clipboard holds the last plot, as after a save by hand.
    if (m_clipboard && !m_lastPlot.isNull()) {
        m_clipboard->clear();
        if (!m_clipboard->setImage(m_lastPlot))
            m_summary.problems.append(QCoreApplication::translate(
                "batch", "无法将最后一张驻波图放到剪贴板：剪贴板不可用或被其他程序占用"));
    }
}
