// Time to draw one plot with the window's default fields: the frame routine
// and the trace routine together (at each pixel ratio), and the trace
// routine alone; the frame routine for segment names of any length; then the
// trace routine for long feeders, whose ripple has about one bump per metre.

#include "platform/Random.h"
#include "support/Fakes.h"
#include "trace/Canvas.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "trace/MapFields.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// The argument is the pixel ratio, negative for a canvas that keeps a record
// of its drawing, as the window's does.
void BM_Generate(benchmark::State& state) {
    const int ratio = static_cast<int>(std::abs(state.range(0)));
    Canvas canvas =
        Canvas::plotCanvas(ratio, state.range(0) < 0 ? Canvas::Record::Keep : Canvas::Record::None);
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

// The frame alone, the segment name as many characters as the argument: a
// name that fits, one elided at the smallest size, and one of a huge cell.
void BM_FrameSegment(benchmark::State& state) {
    Canvas canvas = Canvas::plotCanvas();
    MapFields fields = MapFields::defaults();
    fields.texts[Field::Segment] = QString(static_cast<qsizetype>(state.range(0)), u'W');
    for (auto _ : state)
        benchmark::DoNotOptimize(cycs(canvas, fields));
}

// The feeder length in metres is the argument; the test distance is 1.5 times
// it (within the range the derived distance takes), so the lobe is in view.
void BM_MainWaveFeeder(benchmark::State& state) {
    Canvas canvas = Canvas::plotCanvas();
    MapFields fields = MapFields::defaults();
    const double feeder = static_cast<double>(state.range(0));
    fields.texts[Field::FeederLength] = QString::number(feeder, 'f', 0);
    fields.texts[Field::TestDistance] = QString::number(feeder * 1.5, 'f', 0);
    MersenneRandom random(2024u);
    CountingYield yield;
    cycs(canvas, fields);
    for (auto _ : state)
        benchmark::DoNotOptimize(mainwave(canvas, fields, random, yield));
    state.counters["yields"] = benchmark::Counter(yield.count, benchmark::Counter::kAvgIterations);
}

// The most bumps the ripple can have: each side's count is a 32-bit integer
// divided by 100, about 21.5 million, so 43 million amplitudes are drawn.
void BM_MainWaveMostBumps(benchmark::State& state) {
    Canvas canvas = Canvas::plotCanvas();
    MapFields fields = MapFields::defaults();
    fields.texts[Field::FeederLength] = QStringLiteral("21474836");
    fields.texts[Field::TestDistance] = QStringLiteral("42949672");
    MersenneRandom random(2024u);
    CountingYield yield;
    cycs(canvas, fields);
    for (auto _ : state)
        benchmark::DoNotOptimize(mainwave(canvas, fields, random, yield));
    state.counters["yields"] = benchmark::Counter(yield.count, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_Generate)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(-1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FrameSegment)
    ->Arg(14)
    ->Arg(200)
    ->Arg(4000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_MainWave)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_MainWaveFeeder)
    ->Arg(20000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_MainWaveMostBumps)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

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
