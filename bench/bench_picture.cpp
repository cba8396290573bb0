// Time and size of a plot's picture file in a document: the palette PNG the
// documents hold, the palette mapping alone, and for comparison the RGB PNG
// written before (compression 20, zlib level 1). The argument picks the fields:
// 0 the window's defaults with date and time empty, 1 with both filled in as a
// generated plot has them.

#include "picture/PalettePng.h"
#include "platform/Random.h"
#include "support/Fakes.h"
#include "trace/Canvas.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "trace/MapFields.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>

#include <benchmark/benchmark.h>

namespace {

QImage plot(bool dated) {
    Canvas canvas = Canvas::plotCanvas();
    MapFields fields = MapFields::defaults();
    if (dated) {
        fields.texts[Field::Date] = QStringLiteral("3/7/2026");
        fields.texts[Field::Time] = QStringLiteral("14:05:09");
    }
    MersenneRandom random(2024u);
    CountingYield yield;
    cycs(canvas, fields);
    mainwave(canvas, fields, random, yield);
    QImage picture = canvas.Image();
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    return picture;
}

QByteArray rgbPng(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(20);
    writer.write(picture);
    return bytes;
}

void BM_RgbPng(benchmark::State& state) {
    const QImage picture = plot(state.range(0) != 0);
    QByteArray bytes;
    for (auto _ : state)
        bytes = rgbPng(picture);
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_PalettePng(benchmark::State& state) {
    const QImage picture = plot(state.range(0) != 0);
    QByteArray bytes;
    for (auto _ : state)
        bytes = palettepng::encode(picture);
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_PaletteMapping(benchmark::State& state) {
    const QImage picture = plot(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(palettepng::indexed(picture));
}

} // namespace

BENCHMARK(BM_RgbPng)
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PalettePng)
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PaletteMapping)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
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
