#include "cli/CliCommands.h"

#include "cli/CliFields.h"
#include "cli/CliOptions.h"
#include "platform/EventYield.h"
#include "platform/Random.h"
#include "report/BatchRun.h"
#include "report/ReportSession.h"
#include "report/Workbook.h"
#include "trace/Canvas.h"
#include "trace/FieldRules.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"

#include <QDateTime>
#include <QSaveFile>

#include <memory>

namespace {

constexpr int kDate = 8;

// Nothing waits for events without a window.
class NoYield : public EventYield {
public:
    void yieldEvents() override {}
};

QString oneLine(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

QString currentTime() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

// The generator and the fields of one run.
struct Run {
    explicit Run(const CliOptions& options)
        : seeded(options.seed ? std::make_unique<MersenneRandom>(*options.seed) : nullptr),
          random(seeded ? *seeded : sharedRandom()), fields(random, options.centred) {
        fields.write(kDate, QDate::currentDate().toString(QStringLiteral("M/d/yyyy")));
        fields.write(fieldrules::kTime, currentTime());
    }

    // The given fields in order; an explicit test distance wins over the one
    // derived from the feeder length, so it is written last.
    QString applyFields(const CliOptions& options) {
        for (int pass = 0; pass < 2; ++pass) {
            for (const auto& [index, text] : options.fields) {
                if ((index == fieldrules::kTestDistance) != (pass == 1))
                    continue;
                const QString refusal = fields.write(index, text);
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
    Canvas canvas = Canvas::plotCanvas();
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

// The batch without a window: messages become lines on stderr.
class CliBatch : public BatchHost {
public:
    CliBatch(Run& run, ReportSession& report, const CliOptions& options, int total, CliStreams& io)
        : m_run(run), m_report(report), m_options(options), m_total(total), m_io(io) {}

    void writeField(int index, const QString& text) override {
        const QString refusal = m_run.fields.write(index, text);
        if (!refusal.isEmpty())
            report(refusal);
    }
    bool specifiedTime() const override { return m_options.specifiedTime; }
    void generate() override {
        // Without the specified time, field 11 follows the clock.
        if (!m_options.specifiedTime)
            m_run.fields.write(fieldrules::kTime, currentTime());
        const QString failure = m_run.draw();
        if (!failure.isEmpty())
            report(failure);
    }
    void save() override {
        QString failure = m_report.append(m_run.canvas.Image(), m_run.fields.text(0));
        if (failure.isEmpty())
            failure = m_report.flushIfDue();
        if (!failure.isEmpty())
            report(failure);
    }
    void rowDone(int row) override {
        m_row = row + 1;
        if (m_io.errIsTerminal) {
            const int width = 30;
            const int filled = m_total > 0 ? width * row / m_total : width;
            m_io.err << "\r[" << QString(filled, QLatin1Char('#'))
                     << QString(width - filled, QLatin1Char(' ')) << "] " << row << '/' << m_total
                     << Qt::flush;
        } else {
            m_io.err << "row " << row << '/' << m_total << Qt::endl;
        }
    }

    bool failed() const { return m_failed; }

private:
    void report(const QString& message) {
        m_failed = true;
        if (m_io.errIsTerminal)
            m_io.err << '\n';
        m_io.err << "row " << m_row << ": " << oneLine(message) << Qt::endl;
    }

    Run& m_run;
    ReportSession& m_report;
    const CliOptions& m_options;
    int m_total;
    CliStreams& m_io;
    int m_row = 1;
    bool m_failed = false;
};

int batch(const CliOptions& options, CliStreams& io) {
    const QString workbookPath = options.positional.first();
    Workbook workbook;
    if (const QString failure = workbook.open(workbookPath); !failure.isEmpty()) {
        io.err << "veltrace-cli: " << oneLine(failure) << Qt::endl;
        return cli::kUsage;
    }
    Run run(options);
    if (const QString refusal = run.applyFields(options); !refusal.isEmpty()) {
        io.err << "veltrace-cli: " << refusal << Qt::endl;
        return cli::kUsage;
    }
    ReportSession report;
    if (const QString failure = report.setTarget(options.into); !failure.isEmpty()) {
        io.err << "veltrace-cli: " << oneLine(failure) << Qt::endl;
        return cli::kUsage;
    }
    CliBatch host(run, report, options, workbook.rowCount(), io);
    const BatchResult result = runBatch(workbookPath, host);
    if (io.errIsTerminal)
        io.err << Qt::endl;
    bool failed = host.failed();
    if (const QString failure = report.flush(); !failure.isEmpty()) {
        io.err << "veltrace-cli: " << oneLine(failure) << Qt::endl;
        failed = true;
    }
    if (!result.failure.isEmpty()) {
        io.err << "veltrace-cli: " << oneLine(result.failure) << Qt::endl;
        failed = true;
    }
    const int written = result.processed - report.pendingPictures();
    io.out << "Appended " << written << " plots to " << options.into << Qt::endl;
    return failed ? cli::kRowFailed : cli::kOk;
}

} // namespace

int cli::run(const QStringList& arguments, CliStreams io) {
    QString error;
    const auto options = parse(arguments, &error);
    if (!options) {
        io.err << "veltrace-cli: " << error << "\n\n" << usage() << Qt::flush;
        return kUsage;
    }
    if (options->command == QLatin1String("help")) {
        io.out << usage() << Qt::flush;
        return kOk;
    }
    if (options->command == QLatin1String("version")) {
        io.out << "veltrace-cli 2.0" << Qt::endl;
        return kOk;
    }
    return options->command == QLatin1String("render") ? render(*options, io) : batch(*options, io);
}
