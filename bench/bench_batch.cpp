// The whole batch through the main window, shown as a user sees it (or hidden),
// with fake dialogs and clipboard: rows per second, peak resident memory and
// the longest stretch without event processing. Under a display (DISPLAY set)
// the window is drawn by the window system; otherwise by Qt's offscreen
// platform, which still paints every shown widget.
#include "BenchMemory.h"
#include "mainwindow/Form1.h"
#include "platform/MemoryReuse.h"
#include "platform/Platform.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

QString workbookOf(int rows) {
    const QString path = QStringLiteral("/tmp/veltrace-bench-%1.xlsx").arg(rows);
    if (!QFile::exists(path))
        QProcess::execute(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(VELTRACE_BENCH_DIR "/make_workbook.py"), QString::number(rows), path});
    return path;
}

void BM_Batch(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const bool shown = state.range(1) != 0;
    const QString workbook = workbookOf(rows);
    double longestGapMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        FakePlatform fakes;
        // The window's own event yield, as a user's window has it.
        Platform platform = fakes.platform();
        platform.yield = nullptr;
        Form1 form(platform);
        if (shown) {
            form.show();
            if (!QTest::qWaitForWindowExposed(&form))
                state.SkipWithError("the window did not show");
        }
        fakes.dialogs.fileAnswers = {dir.filePath(QStringLiteral("batch.docx")), workbook};
        form.generate();
        form.save();
        form.importData();
        // A timer due at once runs whenever events are processed: the
        // longest time between two of its runs is the longest stretch
        // without event processing.
        QElapsedTimer sinceEvents;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longestGapMs = std::max(longestGapMs, sinceEvents.nsecsElapsed() / 1e6);
            sinceEvents.restart();
        });
        state.ResumeTiming();
        sinceEvents.start();
        probe.start(0);
        form.runBatch();
        probe.stop();
        state.PauseTiming();
        if (!fakes.dialogs.criticalTexts().isEmpty())
            state.SkipWithError(qPrintable(fakes.dialogs.criticalTexts().first()));
        state.ResumeTiming();
    }
    state.counters["rows_per_s"] = benchmark::Counter(
        static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_MB"] = benchmemory::peakResidentMegabytes();
    state.counters["longest_gap_ms"] = longestGapMs;
}
BENCHMARK(BM_Batch)
    ->ArgNames({"rows", "shown"})
    ->ArgsProduct({{100, 500, 1000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    memoryreuse::keepFreedBlocks();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
