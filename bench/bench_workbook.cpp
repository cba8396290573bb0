// Time and peak resident memory to open a workbook, for a large sound sheet and for
// small files built to cost a reader far more than their size, and how fast sheet XML
// is read. Peak memory belongs to one workbook only when the benchmark runs alone:
//
//   bench_workbook --benchmark_filter='BM_Open/large'
#include "BenchMemory.h"
#include "workbook/Workbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <ctime>
#include <functional>

namespace {

const QString kHostile = QStringLiteral(VELTRACE_BENCH_DIR "/../tests/data/workbooks/hostile/");

// 250,000 rows of five columns: a sheet part of 58 MB, close to the 64 MiB limit.
QString largeWorkbook() {
    const QString path = QStringLiteral("/tmp/veltrace-bench-250000.xlsx");
    if (!QFile::exists(path))
        QProcess::execute(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral(VELTRACE_BENCH_DIR "/make_workbook.py"),
                           QStringLiteral("250000"), path});
    return path;
}

// A small workbook whose workbook part names its shared strings and styles `repeats`
// times each (see make_repeated_parts.py).
QString repeatedParts(int repeats) {
    const QString path = QStringLiteral("/tmp/veltrace-bench-repeated-%1.xlsx").arg(repeats);
    if (!QFile::exists(path))
        QProcess::execute(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral(VELTRACE_BENCH_DIR "/make_repeated_parts.py"),
                           QString::number(repeats), path});
    return path;
}

// Rows of all 16,384 columns given from XFD down to A (see make_descending_columns.py).
QString descendingColumns(int rows) {
    const QString path = QStringLiteral("/tmp/veltrace-bench-descending-%1.xlsx").arg(rows);
    if (!QFile::exists(path))
        QProcess::execute(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral(VELTRACE_BENCH_DIR "/make_descending_columns.py"),
                           QString::number(rows), path});
    return path;
}

// The unpacked size of the workbook's sheet part, in bytes.
double sheetXmlBytes(const QString& path) {
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    zip_stat_t stat;
    zip_stat_init(&stat);
    const bool found = archive && zip_stat(archive, "xl/worksheets/sheet1.xml", 0, &stat) == 0;
    if (archive)
        zip_discard(archive);
    return found ? double(stat.size) : 0;
}

// `path` gives the workbook, making it first where needed (outside the timing).
void BM_Open(benchmark::State& state, const std::function<QString()>& path, bool refused) {
    const QString file = path();
    for (auto _ : state) {
        Workbook workbook;
        const QString error = workbook.open(file).message();
        if (error.isEmpty() == refused)
            state.SkipWithError(qPrintable(error.isEmpty() ? QStringLiteral("read") : error));
        benchmark::DoNotOptimize(workbook.rowCount());
    }
    state.counters["peak_rss_MB"] = benchmemory::peakResidentMegabytes();
}

// Sheet XML read per second: the unpacked size of the sheet part over the time
// Workbook::open takes, by the clock and by the processor time it used (which a
// machine busy with other work leaves the same).
void BM_SheetXml(benchmark::State& state, const std::function<QString()>& path) {
    const QString file = path();
    const double megabytes = sheetXmlBytes(file) / 1e6;
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        const std::clock_t cpu = std::clock();
        Workbook workbook;
        const QString error = workbook.open(file).message();
        const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
        if (!error.isEmpty() || megabytes == 0)
            state.SkipWithError(qPrintable(error.isEmpty() ? QStringLiteral("no sheet") : error));
        state.counters["sheet_MB"] = megabytes;
        state.counters["MB_per_s"] = megabytes / wallSeconds;
        state.counters["MB_per_cpu_s"] = megabytes / cpuSeconds;
    }
}

void registerAll() {
    const auto add = [](const char* name, std::function<QString()> path, bool refused) {
        benchmark::RegisterBenchmark(
            name, [=](benchmark::State& state) { BM_Open(state, path, refused); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->UseRealTime();
    };
    const auto hostile = [](const char* name) {
        return [=] { return kHostile + QLatin1String(name); };
    };
    add("BM_Open/large", largeWorkbook, false);
    add("BM_Open/descending-columns", hostile("descending-columns.xlsx"), false);
    add("BM_Open/long-format-many-styles", hostile("long-format-many-styles.xlsx"), false);
    add(
        "BM_Open/repeated-parts-100", [] { return repeatedParts(100); }, false);
    add(
        "BM_Open/repeated-parts-1000", [] { return repeatedParts(1000); }, false);
    const auto throughput = [](const char* name, std::function<QString()> path) {
        benchmark::RegisterBenchmark(name,
                                     [=](benchmark::State& state) { BM_SheetXml(state, path); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->UseRealTime();
    };
    throughput("BM_SheetXml/large", largeWorkbook);
    throughput("BM_SheetXml/descending-columns", hostile("descending-columns.xlsx"));
    throughput("BM_SheetXml/descending-columns-15-rows", [] { return descendingColumns(15); });
    add("BM_Open/large-doctype", hostile("large-doctype.xlsx"), true);
    add("BM_Open/ebcdic-doctype", hostile("ebcdic-doctype.xlsx"), true);
    add("BM_Open/mini-stream-loop", hostile("mini-stream-loop.xls"), true);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
