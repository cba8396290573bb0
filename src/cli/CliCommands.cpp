#include "cli/CliCommands.h"

#include "batch/BatchReport.h"
#include "batch/BatchRun.h"
#include "batch/ReportSession.h"
#include "cli/CliFields.h"
#include "cli/CliOptions.h"
#include "platform/Clock.h"
#include "platform/EventYield.h"
#include "platform/Random.h"
#include "trace/Canvas.h"
#include "trace/FieldErrors.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "workbook/Workbook.h"

#include <QDateTime>
#include <QSaveFile>

#include <memory>

namespace {

// Nothing waits for events without a window.
class NoYield : public EventYield {
public:
    void yieldEvents() override {}
};

QString oneLine(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

QString currentTime() {
    return fieldformat::time(QTime::currentTime());
}

// The generator and the fields of one run.
struct Run {
    explicit Run(const CliOptions& options)
        : seeded(options.seed ? std::make_unique<MersenneRandom>(*options.seed) : nullptr),
          random(seeded ? *seeded : sharedRandom()), fields(random, options.centred),
          canvas(Canvas::plotCanvas(options.pixelRatio)) {
        fields.write(Field::Date, fieldformat::date(QDate::currentDate()));
        fields.write(Field::Time, currentTime());
    }

    // The given fields in order; an explicit test distance wins over the one
    // derived from the feeder length, so it is written last.
    QString applyFields(const CliOptions& options) {
        for (int pass = 0; pass < 2; ++pass) {
            for (const auto& [index, text] : options.fields) {
                const Field field = fieldAt(index).value_or(Field::Segment);
                if ((field == Field::TestDistance) != (pass == 1))
                    continue;
                const QString refusal = fields.write(field, text);
                if (!refusal.isEmpty())
                    return QStringLiteral("field %1 \"%2\": %3").arg(index).arg(text, refusal);
            }
        }
        return {};
    }

    // Draws the plot; returns what failed, or an empty string.
    QString draw() {
        const QString frameFailure = cycs(canvas, fields);
        if (!frameFailure.isEmpty())
            return frameFailure;
        return mainwave(canvas, fields, random, yield);
    }

    std::unique_ptr<MersenneRandom> seeded;
    Random& random;
    CliFields fields;
    Canvas canvas;
    NoYield yield;
};

int render(const CliOptions& options, CliStreams& io) {
    Run run(options);
    const QString refusal = run.applyFields(options);
    if (!refusal.isEmpty()) {
        io.err << "veltrace-cli: " << refusal << Qt::endl;
        return cli::kUsage;
    }
    const QString failure = run.draw();
    QSaveFile file(options.output);
    if (!file.open(QIODevice::WriteOnly) || !run.canvas.Image().save(&file, "PNG") ||
        !file.commit()) {
        io.err << "veltrace-cli: cannot write " << options.output << ": " << file.errorString()
               << Qt::endl;
        return cli::kUsage;
    }
    if (!failure.isEmpty()) {
        io.err << "veltrace-cli: " << oneLine(failure) << Qt::endl;
        return cli::kRowFailed;
    }
    return cli::kOk;
}

// The batch without a window: the problems of the rows are collected and
// listed on stderr when the run ends.
class CliBatch : public BatchHost {
public:
    CliBatch(Run& run, ReportSession& report, const CliOptions& options, int total, CliStreams& io)
        : m_run(run), m_report(report), m_options(options), m_total(total), m_io(io) {}

    void rowStarted(int sheetRow) override { m_sheetRow = sheetRow; }
    void writeField(Field field, const QString& text) override {
        const QString refusal = m_run.fields.write(field, text);
        if (!refusal.isEmpty())
            problem(fielderrors::notANumber(m_run.fields, field, text) +
                    QStringLiteral("，已清空"));
    }
    bool specifiedTime() const override { return m_options.specifiedTime; }
    bool generate() override {
        // Without the specified time, field 11 follows the clock.
        if (!m_options.specifiedTime)
            m_run.fields.write(Field::Time, currentTime());
        const QString failure = m_run.draw();
        if (!failure.isEmpty())
            problem(failure);
        return true;
    }
    void save() override {
        Outcome outcome = m_report.append(m_run.canvas.Image(), m_run.fields.text(Field::Segment));
        if (outcome.isOk())
            outcome = m_report.flushIfDue();
        if (outcome.isOk()) {
            noted(outcome);
            return;
        }
        m_summary.writeFailure = outcome.message();
        // Another program holding the document may let go of it; anything else
        // will not mend itself, so the run ends.
        if (outcome.kind() == Outcome::Kind::Busy)
            m_summary.problems.add(0, QString(), outcome.message());
        else
            m_summary.abortCause = outcome.message();
    }
    void rowDone(int row) override {
        m_summary.processed = row;
        if (m_io.errIsTerminal) {
            const int width = 30;
            const int filled = m_total > 0 ? std::min(width, width * row / m_total) : width;
            m_io.err << "\r[" << QString(filled, QLatin1Char('#'))
                     << QString(width - filled, QLatin1Char(' ')) << "] " << row << '/' << m_total
                     << Qt::flush;
        } else {
            m_io.err << "row " << row << '/' << m_total << Qt::endl;
        }
    }
    bool stopRequested() const override { return !m_summary.abortCause.isEmpty(); }

    // A document that vanished during the run was made anew: what it held
    // before is gone, which the run's status must not hide.
    void noted(const Outcome& outcome) {
        if (outcome.note() == Outcome::Note::Recreated)
            m_summary.problems.add(0, QString(), m_report.noteText(outcome.note()));
    }

    BatchSummary& summary() { return m_summary; }

private:
    void problem(const QString& description) {
        m_summary.problems.add(m_sheetRow, m_run.fields.text(Field::Segment).left(60),
                               oneLine(description));
    }

    Run& m_run;
    ReportSession& m_report;
    const CliOptions& m_options;
    int m_total;
    CliStreams& m_io;
    int m_sheetRow = 0;
    BatchSummary m_summary;
};

// The end of a batch on stderr: the problems of the rows, what the
// document's placeholders could not do, what was not written and why.
void printBatchEnd(const BatchSummary& summary, const QString& document, CliStreams& io) {
    for (const QString& line : summary.problems.lines())
        io.err << line << Qt::endl;
    for (const QString& notice : summary.templateNotices)
        io.err << "veltrace-cli: note: " << notice << Qt::endl;
    if (!summary.abortCause.isEmpty())
        io.err << "veltrace-cli: stopped after " << summary.processed << " of " << summary.total
               << " rows: " << oneLine(summary.abortCause) << Qt::endl;
    if (summary.unwritten > 0)
        io.err << "veltrace-cli: " << summary.unwritten << " plots were not written to " << document
               << ": " << oneLine(summary.writeFailure) << Qt::endl;
}

// The exit status for an outcome: an input that cannot be used (nothing was
// written) is status 2, a write that failed is status 1.
int exitStatus(const Outcome& outcome) {
    switch (outcome.kind()) {
    case Outcome::Kind::Ok:
        return cli::kOk;
    case Outcome::Kind::Unusable:
        return cli::kUsage;
    case Outcome::Kind::Busy:
    case Outcome::Kind::Lasting:
        break;
    }
    return cli::kRowFailed;
}

// Says how many rows are empty; false when there are more than the user
// allowed for.
bool acceptRows(const Workbook& workbook, const QString& path, const CliOptions& options,
                CliStreams& io) {
    const int rows = workbook.rowCount();
    const int empty = workbook.emptyRowCount();
    if (empty > 0)
        io.err << "veltrace-cli: " << empty << " of the " << rows
               << " data rows are empty; each still gives a plot" << Qt::endl;
    if (static_cast<std::uint32_t>(rows) <= options.maxRows)
        return true;
    io.err << "veltrace-cli: " << path << " has " << rows << " data rows, more than --max-rows "
           << options.maxRows << "; give --max-rows " << rows << " to process them all" << Qt::endl;
    return false;
}

int batch(const CliOptions& options, CliStreams& io) {
    const QString workbookPath = options.positional.first();
    Workbook workbook;
    if (const Outcome opened = workbook.open(workbookPath); !opened.isOk()) {
        io.err << "veltrace-cli: " << oneLine(opened.message()) << Qt::endl;
        return exitStatus(opened);
    }
    if (!acceptRows(workbook, workbookPath, options, io))
        return cli::kUsage;
    Run run(options);
    if (const QString refusal = run.applyFields(options); !refusal.isEmpty()) {
        io.err << "veltrace-cli: " << refusal << Qt::endl;
        return cli::kUsage;
    }
    const SystemClock clock;
    ReportSession report(clock);
    if (const Outcome opened = report.setTarget(options.into);
        !opened.isOk() && opened.kind() != Outcome::Kind::Busy) {
        io.err << "veltrace-cli: " << oneLine(opened.message()) << Qt::endl;
        return cli::kUsage;
    }
    const int total = workbook.rowCount();
    CliBatch host(run, report, options, total, io);
    report.beginRun();
    const BatchResult result = runBatch(workbook, host);
    if (io.errIsTerminal)
        io.err << Qt::endl;
    BatchSummary& summary = host.summary();
    summary.total = total;
    if (const Outcome written = report.flush(); !written.isOk())
        summary.writeFailure = written.message();
    else
        host.noted(written);
    report.endRun();
    summary.places = report.places();
    summary.templateNotices = report.takeNotices();
    summary.unwritten =
        summary.processed - std::clamp(report.writtenPictures(), 0, summary.processed);
    printBatchEnd(summary, options.into, io);
    if (!result.failure.isOk())
        io.err << "veltrace-cli: " << oneLine(result.failure.message()) << Qt::endl;
    io.out << "Appended " << report.writtenPictures() << " plots to " << options.into << " ("
           << summary.places.placeholders << " into placeholders, ";
    if (summary.places.bookmark > 0)
        io.out << summary.places.bookmark << " after the bookmark veltrace, ";
    io.out << summary.places.end << " at the end)" << Qt::endl;
    const bool failed = !summary.problems.isEmpty() || summary.unwritten > 0 ||
                        !summary.abortCause.isEmpty() || !result.failure.isOk();
    return failed ? cli::kRowFailed : cli::kOk;
}

} // namespace

int cli::run(const QStringList& arguments, CliStreams io) {
    QString error;
    const auto options = parse(arguments, &error);
    if (!options) {
        io.err << "veltrace-cli: " << error << Qt::endl;
        return kUsage;
    }
    if (!options->reply.isEmpty()) {
        io.out << options->reply << Qt::flush;
        return kOk;
    }
    return options->command == QLatin1String("render") ? render(*options, io) : batch(*options, io);
}
