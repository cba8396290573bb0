// Time to draw one plot with the window's default fields: the frame routine
// and the trace routine together, and the trace routine alone.

#include "platform/Random.h"
#include "support/Fakes.h"
#include "trace/Canvas.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "trace/MapFields.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_Generate(benchmark::State& state) {
    Canvas canvas = Canvas::plotCanvas();
    const MapFields fields = MapFields::defaults();
    MersenneRandom random(2024u);
    CountingYield yield;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cycs(canvas, fields));
        benchmark::DoNotOptimize(mainwave(canvas, fields, random, yield));
    }
    state.counters["points"] = static_cast<double>(canvas.pointCount());
}

void BM_MainWave(benchmark::State& state) {
    Canvas canvas = Canvas::plotCanvas();
    const MapFields fields = MapFields::defaults();
    MersenneRandom random(2024u);
    CountingYield yield;
    cycs(canvas, fields);
    for (auto _ : state)
        benchmark::DoNotOptimize(mainwave(canvas, fields, random, yield));
}

} // namespace

BENCHMARK(BM_Generate)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_MainWave)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    // Text needs the font database of a GUI application, but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
