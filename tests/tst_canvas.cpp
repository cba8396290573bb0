#include "trace/Canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(200, 0, 0);

int inkCount(const QImage& image) {
    int count = 0;
    for (int row = 0; row < image.height(); ++row)
        for (int column = 0; column < image.width(); ++column)
            count += image.pixel(column, row) != kWhite;
    return count;
}

// The plot canvas (601 x 289) with x -12..112 left to right, y 140..-60 top to bottom.
Canvas plotFramed(int ratio = 1, Canvas::Record record = Canvas::Record::None) {
    Canvas canvas = Canvas::plotCanvas(ratio, record);
    canvas.Scale(-12, 140, 112, -60);
    return canvas;
}

// Points, lines, spans and texts over one another in every order, in red,
// blue and black; `midway` runs after the first text.
void drawScene(
    Canvas& canvas, const std::function<void()>& midway = [] {}) {
    canvas.Line(0, 50, 100, 50, kRed);
    canvas.setCurrentX(10);
    canvas.setCurrentY(53);
    canvas.Print(QStringLiteral("Over the line"));
    midway();
    // Over the text, then the same colour again where the text lay on it.
    canvas.fillColumnSpan(canvas.pixelColumn(12), 80, 150, qRgb(0, 0, 200));
    canvas.Line(0, 50, 100, 50, kRed);
    canvas.setForeColor(qRgb(0, 0, 200));
    canvas.setFontSize(10);
    canvas.setFontBold(true);
    canvas.setCurrentX(14);
    canvas.setCurrentY(54);
    canvas.Print(QStringLiteral("Second"));
    for (double x = 0; x < 40; x += 0.05)
        canvas.PSet(x, 49 + 3 * std::sin(x), kRed);
    canvas.setForeColor(qRgb(0, 0, 0));
    canvas.setCurrentX(12);
    canvas.Print(QStringLiteral("Third"));
}

Canvas sceneAt(int ratio) {
    Canvas canvas = plotFramed(ratio);
    drawScene(canvas);
    return canvas;
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT
private slots:
    void pointMapping_data();
    void pointMapping();
    void lines_data();
    void lines();
    void columnSpans_data();
    void columnSpans();
    void printMovesDown_data();
    void printMovesDown();
    void printDrawsInForeColour_data();
    void printDrawsInForeColour();
    void clsClearsEverything();
    void copiesKeepTheirPixels();
    void picturesAtEachRatio_data();
    void picturesAtEachRatio();
    void printDrawsAsThePainterDoes_data();
    void printDrawsAsThePainterDoes();
    void textWidthIsWhatPrintCovers_data();
    void textWidthIsWhatPrintCovers();
};

void TestCanvas::pointMapping_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QPoint>("pixel"); // (-1, -1): clipped
    // column = floor((x + 12) * 601 / 124), row = floor((140 - y) * 289 / 200)
    QTest::newRow("top-left corner") << -12.0 << 140.0 << QPoint(0, 0);
    QTest::newRow("plot origin") << 0.0 << 0.0 << QPoint(58, 202);
    QTest::newRow("plot top-right") << 100.0 << 100.0 << QPoint(542, 57);
    QTest::newRow("just inside bottom-right") << 111.9 << -59.9 << QPoint(600, 288);
    QTest::newRow("y grows upward") << 0.0 << 10.0 << QPoint(58, 187);
    QTest::newRow("bottom-right corner") << 112.0 << -60.0 << QPoint(-1, -1);
    QTest::newRow("left of the frame") << -12.1 << 50.0 << QPoint(-1, -1);
    QTest::newRow("above the frame") << 50.0 << 140.5 << QPoint(-1, -1);
    QTest::newRow("far outside") << 1e15 << -1e15 << QPoint(-1, -1);
    QTest::newRow("not a number") << std::nan("") << 0.0 << QPoint(-1, -1);
}

void TestCanvas::pointMapping() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QPoint, pixel);
    const bool inside = pixel != QPoint(-1, -1);
    // At every ratio the point is the block of the same logical pixel.
    for (int ratio = 1; ratio <= Canvas::kMaxPixelRatio; ++ratio) {
        Canvas canvas = plotFramed(ratio);
        canvas.PSet(x, y, kRed);
        QCOMPARE(canvas.pointCount(), 1);
        const QImage image = canvas.Image();
        QCOMPARE(inkCount(image), inside ? ratio * ratio : 0);
        if (inside) {
            QCOMPARE(image.pixel(pixel * ratio), kRed);
            QCOMPARE(image.pixel(pixel * ratio + QPoint(ratio - 1, ratio - 1)), kRed);
        }
        QCOMPARE(canvas.CurrentY(), y);
    }
}

void TestCanvas::lines_data() {
    QTest::addColumn<QList<double>>("ends"); // x1, y1, x2, y2
    QTest::addColumn<int>("pixels");
    QTest::newRow("wholly left") << QList<double>{-100, 0, -13, 50} << 0;
    QTest::newRow("wholly above") << QList<double>{0, 141, 100, 300} << 0;
    QTest::newRow("far below") << QList<double>{-1e12, -1e9, 1e12, -1e9} << 0;
    QTest::newRow("horizontal far beyond") << QList<double>{-1e12, 0, 1e12, 0} << 601;
    QTest::newRow("vertical far beyond") << QList<double>{50, 1e12, 50, -1e12} << 289;
    QTest::newRow("steep far beyond") << QList<double>{0, -1e10, 1, 1e10} << 289;
    // Columns 58..542 on row 202, and rows 57..206: both end pixels drawn.
    QTest::newRow("bottom edge") << QList<double>{0, 0, 100, 0} << 485;
    QTest::newRow("distance line") << QList<double>{50, -3, 50, 100} << 150;
    QTest::newRow("one point") << QList<double>{50, 50, 50, 50} << 1;
    // One pixel per column (or row) along the longer side.
    QTest::newRow("diagonal") << QList<double>{0, 0, 100, 100} << 485;
    QTest::newRow("steep") << QList<double>{-1, 14, 0, 20} << 10;
    QTest::newRow("crossing the top") << QList<double>{0, 100, 20, 200} << 58;
}

void TestCanvas::lines() {
    QFETCH(QList<double>, ends);
    QFETCH(int, pixels);
    Canvas forward = plotFramed();
    forward.setForeColor(kRed);
    forward.Line(ends[0], ends[1], ends[2], ends[3]);
    QCOMPARE(inkCount(forward.Image()), pixels);
    QCOMPARE(forward.CurrentX(), ends[2]);
    QCOMPARE(forward.CurrentY(), ends[3]);
    const QPoint end = forward.toPixel(ends[2], ends[3]);
    if (forward.Image().rect().contains(end))
        QCOMPARE(forward.Image().pixel(end), kRed);
    // The same pixels in the other direction, and with an explicit colour.
    Canvas backward = plotFramed();
    backward.Line(ends[2], ends[3], ends[0], ends[1], kRed);
    QCOMPARE(backward.Image(), forward.Image());
}

void TestCanvas::columnSpans_data() {
    QTest::addColumn<QList<int>>("span"); // column, row1, row2
    QTest::newRow("inside") << QList<int>{300, 10, 20};
    QTest::newRow("rows given bottom first") << QList<int>{300, 20, 10};
    QTest::newRow("one pixel at the corner") << QList<int>{600, 288, 288};
    QTest::newRow("clipped at the top") << QList<int>{0, -5, 3};
    QTest::newRow("clipped at the bottom") << QList<int>{17, 280, 400};
    QTest::newRow("left of the image") << QList<int>{-1, 0, 10};
    QTest::newRow("right of the image") << QList<int>{601, 0, 10};
}

void TestCanvas::columnSpans() {
    QFETCH(QList<int>, span);
    Canvas spanned = plotFramed();
    spanned.fillColumnSpan(span[0], span[1], span[2], kRed);
    // The same pixels as a point set on the middle of each pixel of the span.
    Canvas pointwise = plotFramed();
    for (int row = std::min(span[1], span[2]); row <= std::max(span[1], span[2]); ++row)
        pointwise.PSet(-12 + (span[0] + 0.5) * 124 / 601, 140 - (row + 0.5) * 200 / 289, kRed);
    QCOMPARE(spanned.Image(), pointwise.Image());
    QCOMPARE(spanned.pointCount(), 0);
    spanned.notePointsSet(5, 1.5, 2.5);
    QCOMPARE(spanned.pointCount(), 5);
    QCOMPARE(spanned.CurrentX(), 1.5);
    QCOMPARE(spanned.CurrentY(), 2.5);
}

void TestCanvas::printMovesDown_data() {
    QTest::addColumn<QList<double>>("frame"); // x1, y1, x2, y2
    QTest::addColumn<int>("ratio");
    QTest::newRow("plot frame, y upward") << QList<double>{-12, 140, 112, -60} << 1;
    QTest::newRow("pixel frame, y downward") << QList<double>{0, 0, 601, 289} << 1;
    QTest::newRow("twips frame") << QList<double>{0, 0, 9015, 4335} << 1;
    // Lines of the logical size: the layout does not change with the ratio.
    QTest::newRow("plot frame at ratio 3") << QList<double>{-12, 140, 112, -60} << 3;
}

void TestCanvas::printMovesDown() {
    QFETCH(QList<double>, frame);
    QFETCH(int, ratio);
    Canvas canvas = Canvas::plotCanvas(ratio);
    canvas.Scale(frame[0], frame[1], frame[2], frame[3]);
    const double startY = frame[1] + (frame[3] - frame[1]) / 4;
    canvas.setCurrentY(startY);
    canvas.Print(QStringLiteral("V"));
    canvas.Print(QStringLiteral("S"));

    // One line of Arial 8.25 pt at 96 dpi, in the frame's units.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    const QImage image = Canvas::plotCanvas().Image();
    const double linePixels = QFontMetricsF(font, &image).height();
    QVERIFY(linePixels > 9 && linePixels < 16);
    const double lineUnits = linePixels * (frame[3] - frame[1]) / 289;
    const auto& texts = canvas.printedTexts();
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts[0].y, startY);
    QVERIFY(qFuzzyCompare(texts[1].y, startY + lineUnits));
    QVERIFY(qFuzzyCompare(canvas.CurrentY(), startY + 2 * lineUnits));
    QVERIFY(texts[1].pixel.y() > texts[0].pixel.y());
}

void TestCanvas::printDrawsInForeColour_data() {
    QTest::addColumn<int>("ratio");
    QTest::newRow("ratio 1") << 1;
    QTest::newRow("ratio 2") << 2;
    QTest::newRow("ratio 3") << 3;
}

void TestCanvas::printDrawsInForeColour() {
    QFETCH(int, ratio);
    Canvas canvas = plotFramed(ratio);
    canvas.setForeColor(qRgb(0, 0, 200));
    canvas.setFontSize(10);
    canvas.setFontBold(true);
    canvas.setCurrentX(40);
    canvas.setCurrentY(50);
    canvas.Print(QStringLiteral("Title"));
    const Canvas::PrintedText text = canvas.printedTexts().value(0);
    QCOMPARE(text.pixel, QPoint(252, 130));
    QCOMPARE(text.fontSize, 10.0);
    QVERIFY(text.bold);
    QCOMPARE(text.color, qRgb(0, 0, 200));

    // Glyphs lie right of and below the top-left corner, partly in the fore
    // colour; at a finer ratio rasterised at it, not as blocks of pixels.
    bool foreColourSeen = false;
    bool finerThanBlocks = false;
    const QImage image = canvas.Image();
    for (int row = 0; row < image.height(); ++row)
        for (int column = 0; column < image.width(); ++column) {
            if (image.pixel(column, row) == kWhite)
                continue;
            QVERIFY(column >= 252 * ratio && column < (252 + 80) * ratio && row >= 130 * ratio &&
                    row < (130 + 20) * ratio);
            foreColourSeen = foreColourSeen || image.pixel(column, row) == qRgb(0, 0, 200);
            const QPoint blockCorner(column - column % ratio, row - row % ratio);
            finerThanBlocks =
                finerThanBlocks || image.pixel(column, row) != image.pixel(blockCorner);
        }
    QVERIFY(foreColourSeen);
    QCOMPARE(finerThanBlocks, ratio > 1);
}

void TestCanvas::clsClearsEverything() {
    Canvas canvas = plotFramed();
    canvas.PSet(50, 50, kRed);
    canvas.Line(0, 0, 100, 100, kRed);
    canvas.setCurrentY(20);
    canvas.Print(QStringLiteral("text"));
    canvas.Cls();
    QCOMPARE(inkCount(canvas.Image()), 0);
    QVERIFY(canvas.printedTexts().isEmpty());
    QCOMPARE(canvas.pointCount(), 0);
    QCOMPARE(canvas.CurrentX(), 0.0);
    QCOMPARE(canvas.CurrentY(), 0.0);
    canvas.PSet(0, 0, kRed); // the frame survives
    QCOMPARE(canvas.Image().pixel(58, 202), kRed);
}

void TestCanvas::copiesKeepTheirPixels() {
    Canvas canvas = plotFramed();
    canvas.PSet(0, 0, kRed);
    const QImage taken = canvas.Image();
    canvas.PSet(100, 100, kRed);
    QCOMPARE(inkCount(taken), 1);

    Canvas copied = canvas;
    copied.Line(0, 50, 100, 50, kRed);
    canvas.PSet(50, 20, kRed);
    QCOMPARE(inkCount(canvas.Image()), 3);
    QCOMPARE(inkCount(copied.Image()), 2 + 485);
    canvas.Cls();
    QCOMPARE(inkCount(taken), 1);
    QCOMPARE(inkCount(copied.Image()), 2 + 485);
}

void TestCanvas::picturesAtEachRatio_data() {
    QTest::addColumn<int>("drawn");   // the ratio asked for at first
    QTest::addColumn<int>("moved");   // asked for midway (0: none), as on another screen
    QTest::addColumn<int>("picture"); // the picture ratio asked for
    QTest::addColumn<bool>("record");
    QTest::addColumn<int>("expected"); // the picture ratio handed out
    QTest::newRow("drawn at 1, picture at 3") << 1 << 0 << 3 << true << 3;
    QTest::newRow("drawn at 2, picture at 1") << 2 << 0 << 1 << true << 1;
    QTest::newRow("moved to 2, picture at 1") << 1 << 2 << 1 << true << 1;
    QTest::newRow("moved to 1, picture at 2") << 3 << 1 << 2 << true << 2;
    QTest::newRow("picture at 4 refused") << 1 << 0 << 4 << true << 1;
    QTest::newRow("asked for 0: drawn at 1") << 0 << 0 << 1 << false << 1;
    QTest::newRow("asked for 4: drawn at 3") << 4 << 0 << 3 << false << 3;
    QTest::newRow("no record: drawn ratio only") << 2 << 1 << 1 << false << 2;
}

void TestCanvas::picturesAtEachRatio() {
    QFETCH(int, drawn);
    QFETCH(int, moved);
    QFETCH(int, picture);
    QFETCH(bool, record);
    QFETCH(int, expected);
    Canvas canvas = plotFramed(drawn, record ? Canvas::Record::Keep : Canvas::Record::None);
    const int drawnAt = std::clamp(drawn, 1, Canvas::kMaxPixelRatio);
    QCOMPARE(canvas.pixelRatio(), drawnAt);
    QCOMPARE(canvas.pictureRatio(), drawnAt);
    drawScene(canvas, [&] {
        if (moved != 0)
            QCOMPARE(canvas.setPixelRatio(moved), record);
    });
    const int nowAt = record && moved != 0 ? moved : drawnAt;
    QCOMPARE(canvas.pixelRatio(), nowAt);
    QCOMPARE(canvas.setPictureRatio(picture), picture == expected);
    QCOMPARE(canvas.pictureRatio(), expected);

    // Exactly the pixels of the scene drawn at that ratio from the start, of
    // the same logical size.
    const QImage image = canvas.Image();
    QCOMPARE(image, sceneAt(expected).Image());
    QCOMPARE(image.size(), QSize(601, 289) * expected);
    QCOMPARE(image.deviceIndependentSize(), QSizeF(601, 289));
    QCOMPARE(image.dotsPerMeterX(), 3780 * expected);
    QCOMPARE(canvas.drawing(), sceneAt(nowAt).drawing());
}

void TestCanvas::printDrawsAsThePainterDoes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ratio");
    for (const int ratio : {1, 3}) {
        const QByteArray at = " at " + QByteArray::number(ratio);
        QTest::newRow("latin" + at) << QStringLiteral("Distance(0.00-20.00Meter)") << ratio;
        QTest::newRow("chinese" + at) << QStringLiteral("主馈线-1F--天线") << ratio;
        QTest::newRow("arabic and latin" + at) << QStringLiteral("مرحبا T1-B1F") << ratio;
        QTest::newRow("line separator" + at) << QStringLiteral("T1\u2028B1F") << ratio;
        QTest::newRow("tab and newline" + at) << QStringLiteral("T1\tB1\nF") << ratio;
    }
}

// Texts are shaped once and drawn again from that: the first drawing and the
// next, in another size, are exactly what the painter draws at the baseline.
void TestCanvas::printDrawsAsThePainterDoes() {
    QFETCH(QString, text);
    QFETCH(int, ratio);
    Canvas canvas = plotFramed(ratio);
    for (const double size : {8.25, 8.25, 10.0}) {
        canvas.Cls();
        canvas.setFontSize(size);
        canvas.setCurrentX(10.3);
        canvas.setCurrentY(53.1);
        canvas.Print(text);
        QImage expected = plotFramed(ratio).drawing();
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(size);
        const QPoint topLeft = canvas.printedTexts().constFirst().pixel;
        QPainter painter(&expected);
        painter.setFont(font);
        painter.drawText(
            QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(font, &expected).ascent()), text);
        painter.end();
        QCOMPARE(canvas.drawing(), expected);
    }
}

void TestCanvas::textWidthIsWhatPrintCovers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ratio");
    for (const int ratio : {1, 3}) {
        const QByteArray at = " at " + QByteArray::number(ratio);
        QTest::newRow("latin" + at) << QStringLiteral("T1-B1F--T2-B1F North") << ratio;
        QTest::newRow("chinese" + at) << QStringLiteral("主馈线-1F--天线") << ratio;
    }
}

// At every ratio the ink of a printed text ends where its width says.
void TestCanvas::textWidthIsWhatPrintCovers() {
    QFETCH(QString, text);
    QFETCH(int, ratio);
    Canvas canvas = plotFramed(ratio);
    canvas.setFontSize(6.5);
    canvas.Print(text);
    const double right = canvas.printedTexts().constFirst().pixel.x() + canvas.textWidth(text);
    const QImage image = canvas.Image();
    int lastInk = -1;
    for (int column = 0; column < image.width(); ++column)
        for (int row = 0; row < image.height(); ++row)
            lastInk = image.pixel(column, row) != kWhite ? column : lastInk;
    QVERIFY(lastInk / double(ratio) < right + 1 && lastInk / double(ratio) > right - 2);
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
