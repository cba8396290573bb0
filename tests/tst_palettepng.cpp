#include "picture/PalettePng.h"
#include "platform/Random.h"
#include "support/Fakes.h"
#include "trace/Canvas.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "trace/MapFields.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

using Texts = QMap<Field, QString>;

// The shades a palette may lack are the antialiased fringe of the blue "M1"
// marker; when greys of text fill the palette they become greys, up to 92
// away in blue with the long texts below.
const int kMaxChannelDifference = 96;

int squaredDistance(QRgb a, QRgb b) {
    const int red = qRed(a) - qRed(b);
    const int green = qGreen(a) - qGreen(b);
    const int blue = qBlue(a) - qBlue(b);
    return red * red + green * green + blue * blue;
}

int channelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

qsizetype colourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int row = 0; row < image.height(); ++row)
        for (int column = 0; column < image.width(); ++column)
            colours.insert(image.pixel(column, row));
    return colours.size();
}

} // namespace

class TestPalettePng : public QObject {
    Q_OBJECT
private slots:
    void decodesToTheDrawnPlot_data();
    void decodesToTheDrawnPlot();
    void keepsEveryRun_data();
    void keepsEveryRun();
};

void TestPalettePng::decodesToTheDrawnPlot_data() {
    QTest::addColumn<Texts>("texts"); // over the defaults
    QTest::addColumn<bool>("trace");
    QTest::addColumn<bool>("exact");        // at most 256 colours
    QTest::addColumn<qsizetype>("maxSize"); // bytes, 0 when not limited

    const Texts longTexts{
        {Field::Segment, QStringLiteral("很长的测试段名称 T1-B1F--T2-B1F ").repeated(4)},
        {Field::Site, QStringLiteral("Distance-to-fault of a long feeder ").repeated(3)},
        {Field::Model, QStringLiteral("T520K with a long model name")}};
    QTest::newRow("default fields") << Texts() << true << false << qsizetype(10 * 1024);
    QTest::newRow("huge VSWR") << Texts{{Field::Vswr, QStringLiteral("1000000")}} << true << false
                               << qsizetype(0);
    QTest::newRow("long texts") << longTexts << true << false << qsizetype(0);
    QTest::newRow("frame alone") << Texts() << false << true << qsizetype(0);
}

void TestPalettePng::decodesToTheDrawnPlot() {
    QFETCH(Texts, texts);
    QFETCH(bool, trace);
    QFETCH(bool, exact);
    QFETCH(qsizetype, maxSize);
    MapFields fields = MapFields::defaults();
    fields.texts.insert(texts);
    Canvas canvas = Canvas::plotCanvas();
    QCOMPARE(cycs(canvas, fields), QString());
    if (trace) {
        MersenneRandom random(2024u);
        CountingYield yield;
        QCOMPARE(mainwave(canvas, fields, random, yield), QString());
    }
    QImage drawn = canvas.Image();
    drawn.setDotsPerMeterX(3780);
    drawn.setDotsPerMeterY(3780);

    const QByteArray png = palettepng::encode(drawn);
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(int(png.at(24)), 8); // bits per index
    QCOMPARE(int(png.at(25)), 3); // colour type: palette
    if (maxSize > 0)
        QVERIFY2(png.size() <= maxSize, qPrintable(QString::number(png.size())));

    const QImage decoded = QImage::fromData(png, "PNG");
    QCOMPARE(decoded.format(), QImage::Format_Indexed8);
    QCOMPARE(decoded.dotsPerMeterX(), 3780);
    QCOMPARE(decoded.dotsPerMeterY(), 3780);
    QCOMPARE(colourCount(drawn) <= 256, exact);
    if (exact) {
        QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), drawn);
        return;
    }
    // Otherwise a few pixels take the palette colour nearest to theirs.
    const QList<QRgb> palette = decoded.colorTable();
    qsizetype differing = 0;
    int largest = 0;
    for (int row = 0; row < drawn.height(); ++row) {
        for (int column = 0; column < drawn.width(); ++column) {
            const QRgb want = drawn.pixel(column, row);
            const QRgb got = decoded.pixel(column, row);
            if (got == want)
                continue;
            ++differing;
            largest = std::max(largest, channelDifference(want, got));
            for (QRgb other : palette)
                QVERIFY(squaredDistance(want, other) >= squaredDistance(want, got));
        }
    }
    QVERIFY2(differing <= drawn.width() * drawn.height() / 1000,
             qPrintable(QString::number(differing)));
    QVERIFY2(largest <= kMaxChannelDifference, qPrintable(QString::number(largest)));
}

void TestPalettePng::keepsEveryRun_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("run"); // pixels of one colour side by side
    QTest::addColumn<bool>("alpha");
    QTest::newRow("one pixel wide") << 1 << 1 << false;
    QTest::newRow("runs of 1") << 19 << 1 << false;
    QTest::newRow("runs of 7") << 17 << 7 << false;
    QTest::newRow("runs of 8") << 24 << 8 << false;
    QTest::newRow("runs of 9") << 601 << 9 << false;
    QTest::newRow("one run a row") << 601 << 601 << false;
    QTest::newRow("translucent runs of 3") << 20 << 3 << true;
}

// Runs of each length, ending anywhere in a row, with a lone pixel of another
// colour moving along the rows: at most 256 colours, so every pixel is kept.
void TestPalettePng::keepsEveryRun() {
    QFETCH(int, width);
    QFETCH(int, run);
    QFETCH(bool, alpha);
    QImage picture(width, 12, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int row = 0; row < picture.height(); ++row)
        for (int column = 0; column < width; ++column) {
            const int shade = (column / run + row) % 5 * 60;
            picture.setPixel(column, row,
                             column == row * 3 % width
                                 ? qRgb(0, 0, 255)
                                 : qRgba(shade, 255 - shade, 0, alpha ? 40 + shade : 255));
        }
    const QImage decoded = QImage::fromData(palettepng::encode(picture), "PNG");
    QCOMPARE(decoded.format(), QImage::Format_Indexed8);
    QCOMPARE(decoded.convertToFormat(picture.format()), picture);
}

QTEST_MAIN(TestPalettePng)
#include "tst_palettepng.moc"
