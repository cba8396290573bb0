#include "platform/Random.h"
#include "support/Fakes.h"
#include "trace/Canvas.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "trace/MapFields.h"
#include "trace/SamplingLoop.h"

#include <QElapsedTimer>
#include <QLineF>
#include <QTest>

#include <cmath>
#include <random>
#include <span>
#include <vector>

namespace {

const QRgb kGreen = qRgb(0, 117, 0);
const QRgb kBlue = qRgb(0, 0, 200);
const QRgb kBlack = qRgb(0, 0, 0);
const int kSamples = 6284; // points per sampling loop

QPoint plotPixel(double x, double y) {
    return {int(std::floor((x + 12) * 601 / 124)), int(std::floor((140 - y) * 289 / 200))};
}
const int kAxisRow = plotPixel(0, 0).y();

// Returns the given values in turn, the last one for ever; counts the draws.
class FixedRandom : public Random {
public:
    explicit FixedRandom(QList<float> values) : m_values(std::move(values)) {}
    float nextSingle() override { return m_values.value(draws++, m_values.last()); }
    int draws = 0;

private:
    QList<float> m_values;
};

// A frame and a trace drawn from the fields.
struct Plot {
    explicit Plot(int ratio = 1, Canvas::Record record = Canvas::Record::None)
        : canvas(Canvas::plotCanvas(ratio, record)) {}
    QString draw(Random& random, RippleDrawing drawing = RippleDrawing::Fast) {
        cycs(canvas, fields);
        texts = canvas.printedTexts().size();
        return mainwave(canvas, fields, random, yield, drawing);
    }
    // The trace's own prints: "M1", then the axis caption.
    Canvas::PrintedText traceText(int i) const { return canvas.printedTexts().value(texts + i); }
    // Green pixels off the distance axis (with a flat ripple: the lobe alone).
    QList<QPoint> lobePixels() const {
        QList<QPoint> pixels;
        const QImage image = canvas.Image();
        for (int row = 0; row < image.height(); ++row)
            for (int column = 0; column < image.width(); ++column)
                if (row != kAxisRow && image.pixel(column, row) == kGreen)
                    pixels.append({column, row});
        return pixels;
    }
    MapFields fields = MapFields::defaults();
    Canvas canvas;
    CountingYield yield;
    qsizetype texts = 0;
};

} // namespace

class TestMainWave : public QObject {
    Q_OBJECT
private slots:
    void defaultPlot();
    void lobeHeight_data();
    void lobeHeight();
    void lobePosition_data();
    void lobePosition();
    void lobePilesOnEdge_data();
    void lobePilesOnEdge();
    void bumpCounts_data();
    void bumpCounts();
    void rippleHeight_data();
    void rippleHeight();
    void failuresContinue_data();
    void failuresContinue();
    void vswrEditedDuringYield();
    void randomDrawsChangeRipple_data();
    void randomDrawsChangeRipple();
    void bulkDrawsMatchTheStandardEngine_data();
    void bulkDrawsMatchTheStandardEngine();
    void samplingLoopRisesThenFalls();
    void fastRippleMatchesSamples_data();
    void fastRippleMatchesSamples();
    void ratioKeepsTheGeometry_data();
    void ratioKeepsTheGeometry();
    void manyBumpsYieldOnTime_data();
    void manyBumpsYieldOnTime();
};

void TestMainWave::defaultPlot() {
    Plot plot;
    MersenneRandom random(12345u);
    QVERIFY(plot.draw(random).isEmpty());
    QCOMPARE(plot.yield.count, 12 + 5);
    QCOMPARE(plot.canvas.pointCount(), 18 * kSamples);

    const Canvas::PrintedText m1 = plot.traceText(0);
    QCOMPARE(m1.text, QStringLiteral("M1"));
    QCOMPARE(m1.x, 66.5);
    QCOMPARE(m1.y, -0.1);
    QCOMPARE(m1.fontSize, 7.0);
    QCOMPARE(m1.color, kBlue);
    double y = 36.9;
    for (int i = 0; i < 4; ++i) {
        const Canvas::PrintedText letter = plot.traceText(1 + i);
        QCOMPARE(letter.text, QString(QLatin1Char("VSWR"[i])));
        QCOMPARE(letter.x, -7.5);
        QVERIFY(i == 0 ? qFuzzyCompare(letter.y, y) : letter.y < y);
        QCOMPARE(letter.fontSize, 8.0);
        QCOMPARE(letter.color, kBlack);
        y = letter.y;
    }
    QCOMPARE(plot.canvas.FontSize(), 8.0);
    QCOMPARE(plot.canvas.ForeColor(), kBlack);

    // The marker line from y = 0 to 100 at x = 67.5, drawn over the lobe's peak.
    const QImage image = plot.canvas.Image();
    const int column = plotPixel(67.5, 0).x();
    for (int row = plotPixel(0, 100).y(); row <= kAxisRow; ++row)
        QCOMPARE(image.pixel(column, row), kBlue);
    QVERIFY(image.pixel(column, plotPixel(0, 100).y() - 1) != kBlue);
    QCOMPARE(image.pixel(plotPixel(67.4, 36).x() - 1, plotPixel(0, 36).y()), kGreen);
}

void TestMainWave::lobeHeight_data() {
    QTest::addColumn<QString>("vswr");
    QTest::addColumn<double>("peak"); // y of the lobe's extreme
    QTest::addColumn<int>("minTop");  // pixels on the extreme row
    QTest::addColumn<int>("maxTop");
    QTest::newRow("default 1.18") << "1.18" << 36.0 << 1 << 6;
    QTest::newRow("1.5 touches the top") << "1.5" << 100.0 << 1 << 6;
    QTest::newRow("2 is flat-topped") << "2" << 100.0 << 20 << 30;
    QTest::newRow("1 lies flat") << "1" << 0.0 << 0 << 0;
    QTest::newRow("0.9 dips below the axis") << "0.9" << -20.0 << 1 << 8;
}

void TestMainWave::lobeHeight() {
    QFETCH(QString, vswr);
    QFETCH(double, peak);
    QFETCH(int, minTop);
    QFETCH(int, maxTop);
    Plot plot;
    plot.fields.texts[Field::Vswr] = vswr;
    FixedRandom flat({0});
    QVERIFY(plot.draw(flat).isEmpty());
    QCOMPARE(plot.traceText(1).y, (vswr.toDouble() - 1) * 205);

    const QList<QPoint> lobe = plot.lobePixels();
    const int peakRow = plotPixel(0, peak).y();
    int extremeRow = kAxisRow, onPeakRow = 0;
    for (const QPoint& p : lobe) {
        if (std::abs(p.y() - kAxisRow) > std::abs(extremeRow - kAxisRow))
            extremeRow = p.y();
        onPeakRow += p.y() == peakRow;
        // Between the feet at 62.788 and 72.212.
        QVERIFY(p.x() >= plotPixel(62.788, 0).x() && p.x() <= plotPixel(72.212, 0).x());
    }
    QCOMPARE(extremeRow, peakRow);
    QVERIFY(onPeakRow >= minTop && onPeakRow <= maxTop);
}

void TestMainWave::lobePosition_data() {
    QTest::addColumn<double>("feeder");
    QTest::addColumn<double>("distance");
    QTest::addColumn<double>("position");
    QTest::newRow("default") << 13.5 << 20.0 << 67.5;
    QTest::newRow("centred") << 10.0 << 20.0 << 50.0;
    QTest::newRow("long axis") << 5.0 << 40.0 << 12.5;
    QTest::newRow("13.5 on 27 m") << 13.5 << 27.0 << 50.0;
}

void TestMainWave::lobePosition() {
    QFETCH(double, feeder);
    QFETCH(double, distance);
    QFETCH(double, position);
    Plot plot;
    plot.fields.texts[Field::FeederLength] = QString::number(feeder);
    plot.fields.texts[Field::TestDistance] = QString::number(distance);
    FixedRandom flat({0});
    QVERIFY(plot.draw(flat).isEmpty());
    const int column = plotPixel(position, 0).x();
    QCOMPARE(plot.canvas.Image().pixel(column, plotPixel(0, 50).y()), kBlue);
    QCOMPARE(plot.traceText(0).x, position - 1);
    // Always 0.6 pi metres wide, so 60 pi / D units either side of the middle.
    const double half = 60 * 3.14159265 / distance / 2;
    for (const QPoint& p : plot.lobePixels()) {
        QVERIFY(p.x() >= plotPixel(position - half, 0).x());
        QVERIFY(p.x() <= plotPixel(position + half, 0).x());
        if (p.y() == plotPixel(0, 36).y())
            QVERIFY(std::abs(p.x() - column) <= 2);
    }
}

void TestMainWave::lobePilesOnEdge_data() {
    QTest::addColumn<QString>("feeder");
    QTest::addColumn<double>("edge");
    QTest::newRow("beyond the test distance") << "25" << 100.0;
    QTest::newRow("right foot beyond") << "19.5" << 100.0;
    QTest::newRow("shorter than 0.3 pi") << "0.5" << 0.0;
}

void TestMainWave::lobePilesOnEdge() {
    QFETCH(QString, feeder);
    QFETCH(double, edge);
    Plot plot;
    plot.fields.texts[Field::FeederLength] = feeder;
    FixedRandom flat({0});
    QVERIFY(plot.draw(flat).isEmpty());
    // Nothing crosses the edges; what would has piled up into a vertical stroke.
    int onEdge = 0;
    for (const QPoint& p : plot.lobePixels()) {
        QVERIFY(p.x() >= plotPixel(0, 0).x() && p.x() <= plotPixel(100, 0).x());
        onEdge += p.x() == plotPixel(edge, 0).x();
    }
    QVERIFY(onEdge > 20);
}

void TestMainWave::bumpCounts_data() {
    QTest::addColumn<QString>("feeder"); // test distance 20
    QTest::addColumn<int>("bumps");
    QTest::newRow("default: 1255.75 rounds up; 556") << "13.5" << 12 + 5;
    QTest::newRow("1299.75 rounds up to 13") << "13.94" << 13 + 5;
    QTest::newRow("centred") << "10" << 9 + 9;
    QTest::newRow("F > D: no right bump") << "25" << 24 + 0;
    QTest::newRow("F < 0.3 pi: one collapsed left bump") << "0.5" << 1 + 18;
    QTest::newRow("F about 1.5: one left bump") << "1.5" << 1 + 17;
    QTest::newRow("F just below D: one collapsed right bump") << "19.5" << 18 + 1;
    QTest::newRow("F beyond D by 0.5: no right bump") << "20.5" << 19 + 0;
}

void TestMainWave::bumpCounts() {
    QFETCH(QString, feeder);
    QFETCH(int, bumps);
    Plot plot;
    plot.fields.texts[Field::FeederLength] = feeder;
    FixedRandom random({0.5f});
    // Each bump draws its amplitude before its points, then yields.
    plot.yield.onYield = [&](int count) {
        QCOMPARE(random.draws, count);
        QCOMPARE(plot.canvas.pointCount(), (1 + count) * kSamples);
    };
    QVERIFY(plot.draw(random).isEmpty());
    QCOMPARE(plot.yield.count, bumps);
    QCOMPARE(plot.canvas.pointCount(), (1 + bumps) * kSamples);
}

void TestMainWave::rippleHeight_data() {
    QTest::addColumn<float>("draw");
    QTest::newRow("zero") << 0.0f;
    QTest::newRow("half") << 0.5f;
    QTest::newRow("three quarters") << 0.75f;
    QTest::newRow("largest") << 0.99999994f;
}

void TestMainWave::rippleHeight() {
    QFETCH(float, draw);
    Plot plot;
    FixedRandom random({draw, 0});
    plot.draw(random);
    // The first left bump (x 0 to 5.23) peaks at 2a = 16 * draw, the next lies flat.
    const QImage image = plot.canvas.Image();
    const auto top = [&](double from, double to) {
        int row = image.height();
        for (int column = plotPixel(from, 0).x(); column < plotPixel(to, 0).x(); ++column)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(column, y) == kGreen)
                    row = std::min(row, y);
        return row;
    };
    QCOMPARE(top(0, 5.2), plotPixel(0, 16.0 * draw).y());
    QCOMPARE(top(5.3, 10.4), kAxisRow);
}

void TestMainWave::failuresContinue_data() {
    QTest::addColumn<QStringList>("texts"); // fields 1, 2, 3
    QTest::addColumn<QStringList>("named"); // in the returned description
    QTest::addColumn<int>("bumps");
    QTest::addColumn<int>("lobes");
    // A horizontal or vertical stretch (plot units) that the lobe paints green
    // without a gap (blue where the marker and "M1", drawn later, cover it); a
    // null line checks nothing.
    QTest::addColumn<QLineF>("lobe");
    const QLineF onAxis(62.9, 0, 72.1, 0);    // between the feet, on the distance axis
    const QLineF belowOrigin(0, -12, 0, -59); // below "M1"
    QTest::newRow("D = 0: lobe on x = 0")
        << QStringList{"13.5", "1.18", "0"} << QStringList{"除数为零", "测试距离"} << 2 << 1
        << QLineF();
    QTest::newRow("D = 0, VSWR below 1: lobe on x = 0 below the axis")
        << QStringList{"13.5", "0.5", "0"} << QStringList{"除数为零", "测试距离"} << 2 << 1
        << belowOrigin;
    QTest::newRow("D not a number")
        << QStringList{"13.5", "1.18", "abc"} << QStringList{"类型不匹配", "测试距离", "“abc”"} << 2
        << 1 << QLineF();
    QTest::newRow("D empty, VSWR below 1: lobe on x = 0 below the axis")
        << QStringList{"13.5", "0.5", ""} << QStringList{"类型不匹配", "测试距离", "“”"} << 2 << 1
        << belowOrigin;
    QTest::newRow("VSWR empty: flat lobe")
        << QStringList{"13.5", "", "20"} << QStringList{"类型不匹配", "驻波比", "“”"} << 17 << 1
        << onAxis;
    QTest::newRow("VSWR text: flat lobe")
        << QStringList{"13.5", "abc", "20"} << QStringList{"类型不匹配", "驻波比", "“abc”"} << 17
        << 1 << onAxis;
    QTest::newRow("VSWR overflows: flat lobe")
        << QStringList{"13.5", "1e307", "20"} << QStringList{"溢出"} << 17 << 1 << onAxis;
    QTest::newRow("feeder empty: lobe at 0")
        << QStringList{"", "1.18", "20"} << QStringList{"馈线长"} << 1 + 19 << 1 << QLineF();
    QTest::newRow("last failure wins")
        << QStringList{"13.5", "x", "0"} << QStringList{"驻波比", "“x”"} << 2 << 1 << QLineF();
    QTest::newRow("bump count overflows")
        << QStringList{"3e7", "1.18", "6e7"} << QStringList{"溢出"} << 2 << 1 << QLineF();
    QTest::newRow("lobe position overflows")
        << QStringList{"1e306", "1.18", "1e-10"} << QStringList{"溢出"} << 2 << 1 << QLineF();
}

void TestMainWave::failuresContinue() {
    QFETCH(QStringList, texts);
    QFETCH(QStringList, named);
    QFETCH(int, bumps);
    QFETCH(int, lobes);
    QFETCH(QLineF, lobe);
    Plot plot;
    for (int i = 0; i < 3; ++i)
        plot.fields.texts[*fieldAt(1 + i)] = texts[i];
    MersenneRandom random(7u);
    const QString failure = plot.draw(random);
    for (const QString& part : named)
        QVERIFY2(failure.contains(part), qPrintable(failure));
    QCOMPARE(plot.yield.count, bumps);
    QCOMPARE(plot.canvas.pointCount(), (lobes + bumps) * kSamples);
    // The routine still ends with its caption.
    QCOMPARE(plot.traceText(4).text, QStringLiteral("R"));
    QCOMPARE(plot.traceText(4).x, -7.5);

    if (lobe.isNull())
        return;
    const QImage image = plot.canvas.Image();
    const QPoint from = plotPixel(lobe.x1(), lobe.y1());
    const QPoint to = plotPixel(lobe.x2(), lobe.y2());
    for (int column = from.x(); column <= to.x(); ++column)
        for (int row = from.y(); row <= to.y(); ++row)
            QVERIFY2(image.pixel(column, row) == kGreen || image.pixel(column, row) == kBlue,
                     qPrintable(QStringLiteral("%1, %2").arg(column).arg(row)));
}

void TestMainWave::vswrEditedDuringYield() {
    Plot plot;
    plot.yield.onYield = [&](int) { plot.fields.texts[Field::Vswr] = QStringLiteral("1.4"); };
    FixedRandom flat({0});
    QVERIFY(plot.draw(flat).isEmpty());
    QVERIFY(qFuzzyCompare(plot.traceText(1).y, 0.4 * 205));
    int top = kAxisRow;
    for (const QPoint& p : plot.lobePixels())
        top = std::min(top, p.y());
    QCOMPARE(top, plotPixel(0, 36).y());
}

void TestMainWave::randomDrawsChangeRipple_data() {
    QTest::addColumn<uint>("first");
    QTest::addColumn<uint>("second");
    QTest::newRow("same seed") << 1u << 1u;
    QTest::newRow("different seeds") << 1u << 2u;
}

void TestMainWave::randomDrawsChangeRipple() {
    QFETCH(uint, first);
    QFETCH(uint, second);
    Plot a, b;
    MersenneRandom randomA(first), randomB(second);
    a.draw(randomA);
    b.draw(randomB);
    QCOMPARE(a.canvas.Image() == b.canvas.Image(), first == second);
}

void TestMainWave::bulkDrawsMatchTheStandardEngine_data() {
    QTest::addColumn<uint>("seed");
    QTest::addColumn<int>("single"); // drawn one at a time first
    QTest::addColumn<int>("bulk");   // then at once
    QTest::newRow("one") << 1u << 0 << 1;
    QTest::newRow("across refills of the state") << 2024u << 3 << 5000;
    QTest::newRow("largest seed") << 4294967295u << 700 << 1300;
}

void TestMainWave::bulkDrawsMatchTheStandardEngine() {
    QFETCH(uint, seed);
    QFETCH(int, single);
    QFETCH(int, bulk);
    std::mt19937 reference(seed);
    const auto expected = [&] { return float(reference() >> 8) / 16777216.0f; };
    MersenneRandom random(seed);
    for (int i = 0; i < single; ++i)
        QCOMPARE(random.nextSingle(), expected());
    std::vector<float> draws(std::size_t(bulk), -1.0f);
    random.nextSingles(draws);
    for (const float draw : draws)
        QCOMPARE(draw, expected());
    QCOMPARE(random.nextSingle(), expected());
}

void TestMainWave::samplingLoopRisesThenFalls() {
    // The fast ripple relies on it: a bump's height is unimodal in the sample.
    const std::span<const sampling::Sample> loop = sampling::loop();
    QCOMPARE(loop.size(), std::size_t(kSamples));
    const std::size_t peak = std::size_t(sampling::peakIndex());
    for (std::size_t k = 1; k < loop.size(); ++k)
        QVERIFY(k <= peak ? loop[k - 1].sine < loop[k].sine : loop[k - 1].sine > loop[k].sine);
}

void TestMainWave::fastRippleMatchesSamples_data() {
    QTest::addColumn<QStringList>("texts"); // fields 1, 2, 3
    QTest::addColumn<uint>("seed");
    QTest::addColumn<QList<float>>("draws"); // instead of the seeded generator
    QTest::addColumn<int>("ratio");
    // One metre of feeder is 484.7 / D pixel columns.
    const auto row = [](const char* name, QStringList texts, uint seed, QList<float> draws = {},
                        int ratio = 1) { QTest::newRow(name) << texts << seed << draws << ratio; };
    row("default", {"13.5", "1.18", "20"}, 1);
    row("bumps of two columns", {"100", "1.18", "250"}, 2);
    row("bumps of one column", {"200", "1.3", "485"}, 3);
    row("bumps of one column, another seed", {"200", "1.3", "485"}, 4);
    row("bumps of half a column", {"400", "1.18", "1000"}, 5);
    row("narrow bumps, one side ordinary", {"250", "1.18", "1000"}, 6);
    row("bumps of a sixth of a column", {"1500", "1.2", "3000"}, 7);
    row("2,000 m feeder", {"2000", "1.4", "3000"}, 8);
    row("2,000 m feeder, another seed", {"2000", "1.4", "3000"}, 9);
    row("VSWR empty: caption from the last sample", {"2000", "", "3000"}, 10);
    row("feeder below 0.3 pi", {"0.5", "1.18", "20"}, 11);
    row("feeder just below D", {"19.5", "1.18", "20"}, 12);
    row("feeder beyond D", {"25", "2", "20"}, 13);
    row("negative D: bumps collapsed on 0", {"13.5", "1.18", "-20"}, 14);
    row("negative feeder: bumps from left of the image", {"-5", "1.18", "20"}, 15);
    row("wide bumps mostly beyond the image", {"5000", "1.18", "20"}, 16);
    row("narrow bumps mostly beyond the image", {"3000", "1.18", "400"}, 17);
    row("right side of many bumps", {"13.5", "1.18", "3000"}, 18);
    row("positions overflow", {"-1.7", "1.18", "1e-306"}, 19);
    row("amplitudes outside [0, 8)", {"1500", "1.2", "3000"}, 0, {0.5f, 1.5f, -0.25f, 100, 0.25f});
    // Every set point a block of the logical pixel, whichever way it is set.
    row("bumps of half a column at ratio 2", {"400", "1.18", "1000"}, 5, {}, 2);
    row("2,000 m feeder at ratio 3", {"2000", "1.4", "3000"}, 8, {}, 3);
    row("amplitudes outside [0, 8) at ratio 2", {"1500", "1.2", "3000"}, 0,
        {0.5f, 1.5f, -0.25f, 100, 0.25f}, 2);
}

void TestMainWave::fastRippleMatchesSamples() {
    QFETCH(QStringList, texts);
    QFETCH(uint, seed);
    QFETCH(QList<float>, draws);
    QFETCH(int, ratio);
    Plot fast(ratio), samples(ratio);
    for (Plot* plot : {&fast, &samples})
        for (int i = 0; i < 3; ++i)
            plot->fields.texts[*fieldAt(1 + i)] = texts[i];
    MersenneRandom fastSeeded(seed), samplesSeeded(seed);
    FixedRandom fastFixed(draws), samplesFixed(draws);
    Random& fastRandom = draws.isEmpty() ? static_cast<Random&>(fastSeeded) : fastFixed;
    Random& samplesRandom = draws.isEmpty() ? static_cast<Random&>(samplesSeeded) : samplesFixed;

    QCOMPARE(fast.draw(fastRandom), samples.draw(samplesRandom, RippleDrawing::SampleBySample));
    const QImage fastImage = fast.canvas.Image();
    const QImage samplesImage = samples.canvas.Image();
    if (fastImage != samplesImage)
        for (int row = 0; row < fastImage.height(); ++row)
            for (int column = 0; column < fastImage.width(); ++column)
                QVERIFY2(fastImage.pixel(column, row) == samplesImage.pixel(column, row),
                         qPrintable(QStringLiteral("pixel %1, %2").arg(column).arg(row)));
    QCOMPARE(fast.canvas.pointCount(), samples.canvas.pointCount());
    // The points leave the print position where the caption starts when V fails.
    QCOMPARE(fast.canvas.CurrentX(), samples.canvas.CurrentX());
    QCOMPARE(fast.canvas.CurrentY(), samples.canvas.CurrentY());
    QCOMPARE(fast.traceText(1).y, samples.traceText(1).y);
    // Both drew the same number of amplitudes: the generators are in step.
    if (draws.isEmpty())
        QCOMPARE(fastSeeded.nextSingle(), samplesSeeded.nextSingle());
    else
        QCOMPARE(fastFixed.draws, samplesFixed.draws);
}

void TestMainWave::ratioKeepsTheGeometry_data() {
    QTest::addColumn<QStringList>("texts"); // fields 1, 2, 3
    QTest::addColumn<int>("ratio");
    QTest::newRow("default at ratio 2") << QStringList{"13.5", "1.18", "20"} << 2;
    QTest::newRow("default at ratio 3") << QStringList{"13.5", "1.18", "20"} << 3;
    QTest::newRow("2,000 m feeder at ratio 2") << QStringList{"2000", "1.4", "3000"} << 2;
}

void TestMainWave::ratioKeepsTheGeometry() {
    QFETCH(QStringList, texts);
    QFETCH(int, ratio);
    Plot logical, finer(ratio), window(ratio, Canvas::Record::Keep);
    for (Plot* plot : {&logical, &finer, &window})
        for (int i = 0; i < 3; ++i)
            plot->fields.texts[*fieldAt(1 + i)] = texts[i];
    MersenneRandom logicalRandom(7u), finerRandom(7u), windowRandom(7u);
    const QString failure = logical.draw(logicalRandom);
    QCOMPARE(finer.draw(finerRandom), failure);
    QCOMPARE(window.draw(windowRandom), failure);
    const QImage one = logical.canvas.Image();
    const QImage many = finer.canvas.Image();
    QCOMPARE(many.size(), one.size() * ratio);

    // The plot area holds the grid, the ticks, the trace with the lobe's peak
    // and the marker, and no text: each of its pixels is a block of the same
    // colour, at the ratio times its place.
    const QRect area(plotPixel(0, 100), plotPixel(100, 0));
    for (int row = area.top(); row <= area.bottom(); ++row)
        for (int column = area.left(); column <= area.right(); ++column)
            for (int dy = 0; dy < ratio; ++dy)
                for (int dx = 0; dx < ratio; ++dx)
                    if (many.pixel(column * ratio + dx, row * ratio + dy) != one.pixel(column, row))
                        QFAIL(qPrintable(
                            QStringLiteral("logical pixel %1, %2").arg(column).arg(row)));
    // The marker's column, for one.
    const int marker = plotPixel(texts[0].toDouble() * 100 / texts[2].toDouble(), 0).x();
    QCOMPARE(many.pixel(marker * ratio, area.center().y() * ratio), kBlue);
    QVERIFY(many.pixel(marker * ratio - 1, area.center().y() * ratio) != kBlue);

    // The window's canvas draws at the screen's ratio and hands out the
    // ratio-1 picture pixel for pixel as the plain canvas draws it.
    QCOMPARE(window.canvas.drawing(), finer.canvas.drawing());
    QVERIFY(window.canvas.setPictureRatio(1));
    QCOMPARE(window.canvas.Image(), one);
}

void TestMainWave::manyBumpsYieldOnTime_data() {
    QTest::addColumn<QStringList>("texts"); // fields 1, 2, 3
    QTest::addColumn<int>("bumps");
    QTest::addColumn<int>("eachBump");  // bumps of a side that yields after each
    QTest::addColumn<int>("manySides"); // sides that yield on time, and at their end
    // 100 F - 30 pi = 1999905.75 rounds to 1999906; 100 (D - F) - 30 pi likewise.
    QTest::newRow("20,000 m") << QStringList{"20000", "1.18", "30000"} << 19999 + 9999 << 0 << 2;
    QTest::newRow("1,000,000 m") << QStringList{"1000000", "1.3", "1500000"} << 999999 + 499999 << 0
                                 << 2;
    QTest::newRow("one side ordinary")
        << QStringList{"250", "1.18", "100000"} << 249 + 99749 << 249 << 1;
}

void TestMainWave::manyBumpsYieldOnTime() {
    QFETCH(QStringList, texts);
    QFETCH(int, bumps);
    QFETCH(int, eachBump);
    QFETCH(int, manySides);
    Plot plot;
    for (int i = 0; i < 3; ++i)
        plot.fields.texts[*fieldAt(1 + i)] = texts[i];
    FixedRandom random({0.25f, 0.5f, 0.75f});
    // Whatever has been drawn when events run is accounted for.
    plot.yield.onYield = [&](int) {
        QCOMPARE(plot.canvas.pointCount(), (1 + qint64(random.draws)) * kSamples);
    };
    QElapsedTimer timer;
    timer.start();
    QVERIFY(plot.draw(random).isEmpty());
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(random.draws, bumps);
    QCOMPARE(plot.canvas.pointCount(), (1 + qint64(bumps)) * kSamples);
    // At most one yield per 10 ms beyond those after each ordinary bump and
    // at the end of each side of many.
    QVERIFY(plot.yield.count >= eachBump + manySides);
    QVERIFY2(plot.yield.count <= eachBump + manySides + elapsed / 10,
             qPrintable(QStringLiteral("%1 yields in %2 ms").arg(plot.yield.count).arg(elapsed)));
}

QTEST_MAIN(TestMainWave)
#include "tst_mainwave.moc"
