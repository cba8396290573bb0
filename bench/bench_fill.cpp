// A report template filled by a batch of many rows: a results table row, a
// section with a heading and a plot, and the summary, written in saves of a
// hundred rows as a batch's flushes fall, the last one taking the template
// away. Time per fill and peak resident memory; beside it the same rows into
// a document without a template, as plots were placed before.
#include "BenchMemory.h"
#include "document/ReportDocument.h"
#include "support/DocxBuild.h"

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace docxbuild;

QString cell(const QString& text) {
    return QStringLiteral("<w:tc><w:p><w:r><w:t>%1</w:t></w:r></w:p></w:tc>").arg(text);
}

QString paragraph(const QString& text) {
    return QStringLiteral("<w:p><w:r><w:t>%1</w:t></w:r></w:p>").arg(text);
}

QByteArray templatePart() {
    const QString row = QStringLiteral("<w:tr>") + cell(QStringLiteral("{{序号}}")) +
                        cell(QStringLiteral("{{测试段}}")) + cell(QStringLiteral("{{驻波比}}")) +
                        cell(QStringLiteral("{{馈线长}}")) + cell(QStringLiteral("{{结论}}")) +
                        QStringLiteral("</w:tr>");
    return wordDocument(
        paragraph(QStringLiteral("共{{段数}}段，不合格{{不合格数}}段，最大{{最大驻波比}}")) +
        QStringLiteral("<w:tbl><w:tblPr/><w:tblGrid><w:gridCol w:w=\"1800\"/></w:tblGrid>") + row +
        QStringLiteral("</w:tbl>") + paragraph(QStringLiteral("{{#每段}}")) +
        paragraph(QStringLiteral("{{序号}}. {{测试段}}：{{结论}}")) +
        paragraph(QStringLiteral("{{驻波图}}")) + paragraph(QStringLiteral("{{/每段}}")) +
        kSection);
}

void BM_TemplateFill(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const bool filled = state.range(1) != 0;
    // A small plot: the fill is measured, not the PNG encoder.
    QImage picture(60, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const Entries package = minimalPackage(
        filled ? templatePart() : wordDocument(paragraph(QStringLiteral("报告")) + kSection));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.docx"));
        writeZip(path, package);
        state.ResumeTiming();
        ReportDocument report(path);
        report.beginRun();
        for (int i = 0; i < rows; ++i) {
            docx::RowValues row;
            row.number = i + 1;
            row.segment = QStringLiteral("S%1").arg(i + 1);
            row.vswr = QString::number(1.1 + (i % 7) * 0.1, 'f', 2);
            row.vswrValue = row.vswr.toDouble();
            row.length = QStringLiteral("25.4");
            report.paste(picture, row);
            report.typeParagraphBreak();
            if ((i + 1) % 100 == 0 && !report.flush().isOk())
                state.SkipWithError("a save failed");
        }
        report.finishRun(QStringLiteral("2026-12-08"));
        if (!report.flush().isOk() || report.placement().fill.sections != (filled ? rows : 0))
            state.SkipWithError("the template was not filled");
    }
    state.counters["peak_rss_MB"] = benchmemory::peakResidentMegabytes();
}
BENCHMARK(BM_TemplateFill)
    ->ArgNames({"rows", "template"})
    ->Args({1000, 1})
    ->Args({1000, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
