#include "cli/CliCommands.h"

#include "batch/BatchController.h"
#include "batch/BatchReport.h"
#include "batch/ReportSession.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/CliText.h"
#include "platform/Clock.h"
#include "platform/EventYield.h"
#include "platform/Random.h"
#include "trace/Canvas.h"
#include "trace/FieldSet.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "workbook/Workbook.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
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
          random(seeded ? *seeded : sharedRandom()), fields(random),
          canvas(Canvas::plotCanvas(options.pixelRatio)) {
        fields.setCentred(options.centred);
        fields.write(Field::Date, fieldformat::date(QDate::currentDate()));
        fields.write(Field::Time, currentTime());
    }

    // The given fields in order; an explicit test distance wins over the one
    // derived from the feeder length, so it is written last. Then the bounds
    // of a plot.
    QString applyFields(const CliOptions& options) {
        for (int pass = 0; pass < 2; ++pass) {
            for (const auto& [index, text] : options.fields) {
                const Field field = fieldAt(index).value_or(Field::Segment);
                if ((field == Field::TestDistance) != (pass == 1))
                    continue;
                if (const auto refusal = fields.write(field, text))
                    return CliText::tr("field %1 \"%2\": %3")
                        .arg(index)
                        .arg(text, refusal->message());
            }
        }
        if (const auto refusal = fields.checkBounds())
            return CliText::tr("field %1 \"%2\": %3")
                .arg(indexOf(refusal->field))
                .arg(refusal->text, refusal->message());
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
    FieldSet fields;
    Canvas canvas;
    NoYield yield;
};

// Writes the picture as a PNG where -o says: "-" is standard output; a
// device or a FIFO (what is no regular file, no folder) is written into as
// it is; a regular file, new or not, is replaced whole once the PNG is
// complete. Returns the cause of a failure, or an empty string.
QString writePicture(const QImage& picture, const QString& output, CliStreams& io) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return CliText::tr("the picture cannot be encoded as PNG");
    if (output == u"-") {
        if (!io.data || io.data->write(png) != png.size())
            return io.data ? io.data->errorString() : CliText::tr("no standard output");
        return {};
    }
    const QFileInfo existing(output);
    if (existing.exists() && !existing.isFile() && !existing.isDir()) {
        QFile device(output);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            device.write(png) != png.size())
            return device.errorString();
        return {};
    }
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return file.errorString();
    return {};
}

int render(const CliOptions& options, CliStreams& io) {
    Run run(options);
    const QString refusal = run.applyFields(options);
    if (!refusal.isEmpty()) {
        io.err << "veltrace-cli: " << refusal << Qt::endl;
        return cli::kUsage;
    }
    const QString failure = run.draw();
    if (const QString cause = writePicture(run.canvas.Image(), options.output, io);
        !cause.isEmpty()) {
        const QString line = options.output == u"-"
                                 ? CliText::tr("cannot write to standard output: %1").arg(cause)
                                 : CliText::tr("cannot write %1: %2").arg(options.output, cause);
        io.err << "veltrace-cli: " << line << Qt::endl;
        return cli::kUsage;
    }
    if (!failure.isEmpty()) {
        io.err << "veltrace-cli: " << oneLine(failure) << Qt::endl;
        return cli::kRowFailed;
    }
    return cli::kOk;
}

// The batch on a terminal: progress as it goes, what became of the rows at
// the end.
class CliFrontEnd : public BatchFrontEnd {
public:
    CliFrontEnd(Run& run, const CliOptions& options, CliStreams& io)
        : m_run(run), m_options(options), m_io(io) {}

    // Without the specified time, field 11 follows the clock.
    void rowStarting(int) override {
        if (!m_options.specifiedTime)
            m_run.fields.write(Field::Time, currentTime());
    }
    void progress(int read, int total) override {
        if (!m_io.errIsTerminal) {
            m_io.err << CliText::tr("row %1/%2").arg(read).arg(total) << Qt::endl;
            return;
        }
        const int width = 30;
        const int filled = total > 0 ? std::min(width, width * read / total) : width;
        m_io.err << "\r[" << QString(filled, QLatin1Char('#'))
                 << QString(width - filled, QLatin1Char(' ')) << "] " << read << '/' << total
                 << Qt::flush;
    }

    EventYield& events() override { return m_run.yield; }

private:
    Run& m_run;
    const CliOptions& m_options;
    CliStreams& m_io;
};

// The end of a batch on stderr: what became of the rows, what the
// document's placeholders could not do, what was not written and why.
void printBatchEnd(const BatchSummary& summary, const QString& document, CliStreams& io) {
    for (const QString& line : batchreport::lines(summary))
        io.err << oneLine(line) << Qt::endl;
    for (const QString& notice : summary.templateNotices)
        io.err << "veltrace-cli: " << CliText::tr("note: %1").arg(oneLine(notice)) << Qt::endl;
    if (!summary.abortCause.isEmpty())
        io.err << "veltrace-cli: "
               << CliText::tr("stopped after %1 of %2 rows: %3")
                      .arg(QString::number(summary.read), QString::number(summary.total),
                           oneLine(summary.abortCause))
               << Qt::endl;
    if (!summary.rows.isEmpty() || !summary.complete())
        io.err << "veltrace-cli: "
               << CliText::tr("read %1 rows: %2 plotted, %3 refused, %4 empty and skipped, %5 with "
                              "values from the row above; %6 written, %7 not written")
                      .arg(summary.read)
                      .arg(summary.plotted)
                      .arg(summary.refused)
                      .arg(summary.skipped)
                      .arg(summary.carried)
                      .arg(summary.written)
                      .arg(summary.unwritten())
               << Qt::endl;
    // Without a cause, they went into a document that vanished (said above).
    if (summary.unwritten() > 0)
        io.err << "veltrace-cli: "
               << (summary.writeFailure.isEmpty()
                       ? CliText::tr("%1 plots were not written to %2")
                             .arg(QString::number(summary.unwritten()), document)
                       : CliText::tr("%1 plots were not written to %2: %3")
                             .arg(QString::number(summary.unwritten()), document,
                                  oneLine(summary.writeFailure)))
               << Qt::endl;
}

// What the run filled of the document's template, when it filled anything.
void printFilled(const docx::FillCounts& filled, CliStreams& io) {
    if (filled.tableRows + filled.sections + filled.summaryValues + filled.replaced == 0)
        return;
    QString line = CliText::tr("Filled %1 table rows, %2 sections, %3 summary values")
                       .arg(filled.tableRows)
                       .arg(filled.sections)
                       .arg(filled.summaryValues);
    if (filled.replaced > 0)
        line += CliText::tr("; replaced %1 earlier plots").arg(filled.replaced);
    io.out << line << Qt::endl;
}

// Where the plots of a batch went, in a line.
QString appended(int written, const QString& document, const PicturePlaces& places) {
    if (places.bookmark == 0)
        return CliText::tr("Appended %1 plots to %2 (%3 into placeholders, %4 at the end)")
            .arg(QString::number(written), document, QString::number(places.placeholders),
                 QString::number(places.end));
    return CliText::tr("Appended %1 plots to %2 (%3 into placeholders, %4 after the bookmark "
                       "veltrace, %5 at the end)")
        .arg(QString::number(written), document, QString::number(places.placeholders),
             QString::number(places.bookmark), QString::number(places.end));
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

// False when there are more rows with values than the user allowed for.
bool acceptRows(const Workbook& workbook, const QString& path, const CliOptions& options,
                CliStreams& io) {
    const int rows = workbook.rowCount() - workbook.emptyRowCount();
    if (static_cast<std::uint32_t>(rows) <= options.maxRows)
        return true;
    io.err << "veltrace-cli: "
           << CliText::tr("%1 has %2 rows with values, more than --max-rows %3; give --max-rows "
                          "%2 to process them all")
                  .arg(path, QString::number(rows), QString::number(options.maxRows))
           << Qt::endl;
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
    report.setLimit(options.limit);
    report.setReplaceExisting(options.replace);
    if (const Outcome opened = report.setTarget(options.into);
        !opened.isOk() && opened.kind() != Outcome::Kind::Busy) {
        io.err << "veltrace-cli: " << oneLine(opened.message()) << Qt::endl;
        return cli::kUsage;
    }
    CliFrontEnd frontEnd(run, options, io);
    BatchController controller(run.fields, run.canvas, run.random, report, frontEnd);
    controller.setReportDate(clock.now().date().toString(Qt::ISODate));
    const BatchSummary summary =
        controller.run(workbook, workbook.rowCount(), {options.specifiedTime, options.carryEmpty});
    if (io.errIsTerminal)
        io.err << Qt::endl;
    printBatchEnd(summary, options.into, io);
    io.out << appended(report.writtenPictures(), options.into, summary.places) << Qt::endl;
    printFilled(summary.filled, io);
    return summary.complete() ? cli::kOk : cli::kRowFailed;
}

} // namespace

int cli::run(const QStringList& arguments, CliStreams io) {
    const LanguageScope language(languageFromEnvironment());
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
