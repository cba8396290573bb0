// Time and bytes written of one save into a large report: a python-docx document
// of about 90 MB of photos (make_photo_report.py, made once into the temporary
// folder), to which each flush appends one plot. Every flush reads the document and
// writes it anew beside it; the counter MB_written is what the process wrote per
// flush (the kernel's count of this process's written bytes, /proc/self/io).

#include "document/ReportDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kReportMegabytes = 90;

QString photoReport() {
    const QString path = QDir::temp().filePath(
        QStringLiteral("veltrace-bench-photos-%1.docx").arg(kReportMegabytes));
    if (!QFileInfo::exists(path))
        QProcess::execute(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral(VELTRACE_BENCH_DIR "/make_photo_report.py"),
                           QString::number(kReportMegabytes), path});
    return path;
}

// What this process has written so far, in bytes; -1 where the system does not tell.
qint64 bytesWritten() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

QImage plotPicture() {
    QImage picture(1000, 600, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 0; x < picture.width(); ++x)
        picture.setPixel(x, 300 + int(200 * std::sin(x / 40.0)), qRgb(0, 0, 200));
    return picture;
}

void BM_AppendToLargeReport(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    if (!QFile::copy(photoReport(), path)) {
        state.SkipWithError("the photo report could not be made (python3-docx?)");
        return;
    }
    ReportDocument report(path);
    if (!report.open().isOk()) {
        state.SkipWithError("the photo report was refused");
        return;
    }
    const QImage picture = plotPicture();
    qint64 written = 0;
    for (auto _ : state) {
        report.paste(picture, QStringLiteral("T1-B1F"));
        report.typeParagraphBreak();
        const qint64 before = bytesWritten();
        const Outcome outcome = report.flush();
        written += bytesWritten() - before;
        if (!outcome.isOk()) {
            state.SkipWithError(qPrintable(outcome.message()));
            return;
        }
    }
    state.counters["report_MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["MB_written"] = double(written) / 1e6 / double(state.iterations());
}

} // namespace

BENCHMARK(BM_AppendToLargeReport)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
