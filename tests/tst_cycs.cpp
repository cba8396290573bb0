#include "trace/Canvas.h"
#include "trace/Frame.h"
#include "trace/MapFields.h"

#include <QFontMetricsF>
#include <QTest>

#include <cmath>

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

// Where the plot frame (-12..112 across 601 pixels, 140..-60 down 289) puts a point.
QPoint plotPixel(double x, double y) {
    return {int(std::floor((x + 12) * 601 / 124)), int(std::floor((140 - y) * 289 / 200))};
}

// The segment name's right end stays this many pixels inside the picture.
constexpr int kRightMargin = 2;

// Logical pixels the text takes across in Arial at the size, at 96 dpi.
double arialWidth(const QString& text, double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    const QImage at96Dpi = Canvas::plotCanvas().Image();
    return QFontMetricsF(font, &at96Dpi).horizontalAdvance(text);
}

struct Row {
    QString text;
    double x;
    double y;
};

} // namespace

class TestCycs : public QObject {
    Q_OBJECT
private slots:
    void grid_data();
    void grid();
    void defaultTexts_data();
    void defaultTexts();
    void distanceLabels_data();
    void distanceLabels();
    void fieldTextsVerbatim_data();
    void fieldTextsVerbatim();
    void fontAroundTitle_data();
    void fontAroundTitle();
    void runningAgainLeavesOneFrame();
    void badDistanceStopsAtLabels_data();
    void badDistanceStopsAtLabels();
    void segmentEndsInThePicture_data();
    void segmentEndsInThePicture();
    void hugeFieldTextsDraw_data();
    void hugeFieldTextsDraw();
};

void TestCycs::grid_data() {
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("black");
    const auto add = [](const QString& name, double x, double y, bool black, QPoint shift = {}) {
        QTest::newRow(qPrintable(name)) << plotPixel(x, y) + shift << black;
    };
    for (int k = 0; k <= 5; ++k) {
        add(QStringLiteral("VSWR line %1 tick").arg(k), -1, 20 * k, true);
        add(QStringLiteral("VSWR line %1 left of tick").arg(k), -1, 20 * k, false, {-1, 0});
        add(QStringLiteral("VSWR line %1 middle").arg(k), 56.25, 20 * k, true);
        add(QStringLiteral("VSWR line %1 one thin").arg(k), 56.25, 20 * k, false, {0, -1});
    }
    for (int k = 0; k <= 8; ++k) {
        add(QStringLiteral("distance line %1 tick").arg(k), 12.5 * k, -2.9, true);
        add(QStringLiteral("distance line %1 below tick").arg(k), 12.5 * k, -3.5, false);
        add(QStringLiteral("distance line %1 middle").arg(k), 12.5 * k, 50, true);
        add(QStringLiteral("distance line %1 above").arg(k), 12.5 * k, 100, false, {0, -1});
        add(QStringLiteral("distance line %1 one thin").arg(k), 12.5 * k, 50, false, {1, 0});
    }
    for (int k = 1; k <= 25; ++k) {
        add(QStringLiteral("VSWR tick %1").arg(k), 1.2, 4 * k, true);
        add(QStringLiteral("VSWR tick %1 end").arg(k), 1.2, 4 * k, k % 5 == 0, {1, 0});
    }
    for (int k = 1; k <= 40; ++k) {
        add(QStringLiteral("distance tick %1").arg(k), 2.5 * k, 4.5, true);
        add(QStringLiteral("distance tick %1 end").arg(k), 2.5 * k, 4.5, k % 5 == 0, {0, -1});
    }
    add(QStringLiteral("lower rule"), 8, 111, true);
    add(QStringLiteral("upper rule"), 20, 112, true);
    add(QStringLiteral("rule starts at 8"), 8, 112, false, {-1, 0});
    add(QStringLiteral("rule ends at 20"), 20, 112, false, {1, 0});
}

void TestCycs::grid() {
    QFETCH(QPoint, pixel);
    QFETCH(bool, black);
    Canvas canvas = Canvas::plotCanvas();
    QVERIFY(cycs(canvas, MapFields::defaults()).isEmpty());
    QCOMPARE(canvas.Image().pixel(pixel), black ? kBlack : kWhite);
}

void TestCycs::defaultTexts_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QList<Row> rows;
    for (int k = 0; k <= 5; ++k)
        rows.append({QStringLiteral("1.%1").arg(k), -5, 20.0 * k + 4});
    rows << Row{"Resolution:517", -8, -25} << Row{"Date:", -8, -35} << Row{"Model:T520K", -8, -45}
         << Row{"CAL:ON(COAX)", 40, -25} << Row{"Time:", 40, -35}
         << Row{"Serial#:00401017", 40, -45} << Row{"CW:ON", 80, -25}
         << Row{"Ins.Loss:0.040dB/m", 80, -35} << Row{"Prop.Vel:0.880", 80, -45}
         << Row{"Distance(0.00-20.00Meter)", 36, -15};
    const QStringList labels{"0.00",  "2.50",  "5.00",  "7.50", "10.00",
                             "12.50", "15.00", "17.50", "20.00"};
    for (int k = 0; k <= 8; ++k)
        rows.append({labels[k], 12.5 * k - 2, -6});
    rows << Row{"M1:1.18 @ 13.5Meter", 4, 111} << Row{"Distance-to-fault", 40, 130}
         << Row{"T1-B1F--T2-B1F", 42, 120};
    for (int i = 0; i < rows.size(); ++i)
        QTest::newRow(qPrintable(rows[i].text)) << i << rows[i].text << rows[i].x << rows[i].y;
}

void TestCycs::defaultTexts() {
    QFETCH(int, order);
    QFETCH(QString, text);
    QFETCH(double, x);
    QFETCH(double, y);
    Canvas canvas = Canvas::plotCanvas();
    cycs(canvas, MapFields::defaults());
    QCOMPARE(canvas.printedTexts().size(), 28);
    const Canvas::PrintedText printed = canvas.printedTexts()[order];
    QCOMPARE(printed.text, text);
    QCOMPARE(printed.x, x);
    QCOMPARE(printed.y, y);
    QCOMPARE(printed.pixel, plotPixel(x, y));
    QCOMPARE(printed.color, kBlack);
}

void TestCycs::distanceLabels_data() {
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("legend");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("20") << "20"
                        << "Distance(0.00-20.00Meter)"
                        << QStringList{"0.00",  "2.50",  "5.00",  "7.50", "10.00",
                                       "12.50", "15.00", "17.50", "20.00"};
    QTest::newRow("13, halves away from zero")
        << "13"
        << "Distance(0.00-13.00Meter)"
        << QStringList{"0.00", "1.63", "3.25", "4.88", "6.50", "8.13", "9.75", "11.38", "13.00"};
    QTest::newRow("7.5, legend verbatim")
        << "7.5"
        << "Distance(0.00-7.5.00Meter)"
        << QStringList{"0.00", "0.94", "1.88", "2.81", "3.75", "4.69", "5.63", "6.56", "7.50"};
}

void TestCycs::distanceLabels() {
    QFETCH(QString, distance);
    QFETCH(QString, legend);
    QFETCH(QStringList, labels);
    MapFields fields = MapFields::defaults();
    fields.texts[Field::TestDistance] = distance;
    Canvas canvas = Canvas::plotCanvas();
    QVERIFY(cycs(canvas, fields).isEmpty());
    const auto& texts = canvas.printedTexts();
    QCOMPARE(texts[15].text, legend);
    for (int k = 0; k <= 8; ++k) {
        QCOMPARE(texts[16 + k].text, labels[k]);
        QCOMPARE(texts[16 + k].x, 12.5 * k - 2);
        QCOMPARE(texts[16 + k].y, -6.0);
    }
}

void TestCycs::fieldTextsVerbatim_data() {
    QTest::addColumn<bool>("caption"); // edit the caption instead of the text
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("printed");
    QTest::newRow("VSWR as typed") << false << 2 << "1.180" << 25 << "M1:1.180 @ 13.5Meter";
    QTest::newRow("VSWR not numeric") << false << 2 << "abc" << 25 << "M1:abc @ 13.5Meter";
    QTest::newRow("feeder with blanks") << false << 1 << " 13.50" << 25 << "M1:1.18 @  13.50Meter";
    QTest::newRow("empty header value") << false << 12 << "" << 11 << "Serial#:";
    QTest::newRow("time") << false << 11 << "14:05:09" << 10 << "Time:14:05:09";
    QTest::newRow("segment") << false << 0 << "A  B" << 27 << "A  B";
    QTest::newRow("caption read at run time") << true << 7 << "Res " << 6 << "Res 517";
    QTest::newRow("empty caption") << true << 5 << "" << 13 << "0.040dB/m";
    const QString wideTitle(300, u'W');
    QTest::newRow("title past the edge") << false << 4 << wideTitle << 26 << wideTitle;
}

void TestCycs::fieldTextsVerbatim() {
    QFETCH(bool, caption);
    QFETCH(int, index);
    QFETCH(QString, value);
    QFETCH(int, order);
    QFETCH(QString, printed);
    MapFields fields = MapFields::defaults();
    (caption ? fields.captions : fields.texts)[*fieldAt(index)] = value;
    Canvas canvas = Canvas::plotCanvas();
    QVERIFY(cycs(canvas, fields).isEmpty());
    QCOMPARE(canvas.printedTexts()[order].text, printed);
}

void TestCycs::fontAroundTitle_data() {
    QTest::addColumn<double>("startSize");
    QTest::addColumn<QString>("title");
    QTest::newRow("design font") << 8.25 << "Distance-to-fault";
    QTest::newRow("left at 8 by the trace") << 8.0 << "Distance-to-fault";
    QTest::newRow("empty title") << 8.25 << "";
    QTest::newRow("large start font") << 12.0 << "Site";
}

void TestCycs::fontAroundTitle() {
    QFETCH(double, startSize);
    QFETCH(QString, title);
    MapFields fields = MapFields::defaults();
    fields.texts[Field::Site] = title;
    Canvas canvas = Canvas::plotCanvas();
    canvas.setFontSize(startSize);
    cycs(canvas, fields);
    const auto& texts = canvas.printedTexts();
    for (int i = 0; i < 26; ++i) {
        QCOMPARE(texts[i].fontSize, startSize);
        QVERIFY(!texts[i].bold);
    }
    QCOMPARE(texts[26].text, title);
    QCOMPARE(texts[26].fontSize, 10.0);
    QVERIFY(texts[26].bold);
    QCOMPARE(texts[27].fontSize, 8.0);
    QVERIFY(!texts[27].bold);
    QCOMPARE(canvas.FontSize(), 8.0);
    QVERIFY(!canvas.FontBold());

    // Nothing but the title is drawn in the band between the title and segment lines.
    const QImage image = canvas.Image();
    const QPoint corner = plotPixel(40, 130);
    int ink = 0;
    for (int row = corner.y(); row < plotPixel(0, 121).y(); ++row)
        for (int column = corner.x(); column < 601; ++column)
            ink += image.pixel(column, row) != kWhite;
    QCOMPARE(ink > 0, !title.isEmpty());
}

void TestCycs::runningAgainLeavesOneFrame() {
    const MapFields fields = MapFields::defaults();
    Canvas reference = Canvas::plotCanvas();
    cycs(reference, fields);
    cycs(reference, fields);

    Canvas canvas = Canvas::plotCanvas();
    cycs(canvas, fields);
    canvas.Line(-12, 140, 112, -60, qRgb(0, 117, 0));
    canvas.setCurrentY(50);
    canvas.Print(QStringLiteral("left over"));
    canvas.setFontSize(8);
    cycs(canvas, fields);
    QCOMPARE(canvas.Image(), reference.Image());
    QCOMPARE(canvas.printedTexts().size(), 28);
}

void TestCycs::badDistanceStopsAtLabels_data() {
    QTest::addColumn<QString>("distance");
    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "  ";
    QTest::newRow("letters") << "abc";
    QTest::newRow("unit") << "20m";
}

void TestCycs::badDistanceStopsAtLabels() {
    QFETCH(QString, distance);
    MapFields fields = MapFields::defaults();
    fields.texts[Field::TestDistance] = distance;
    Canvas canvas = Canvas::plotCanvas();
    const QString failure = cycs(canvas, fields);
    QVERIFY(failure.contains(QStringLiteral("测试距离")));
    QVERIFY(failure.contains(QStringLiteral("“%1”").arg(distance)));

    // Grid, VSWR labels, header and legend; no distance label, read-out, title, segment.
    const auto& texts = canvas.printedTexts();
    QCOMPARE(texts.size(), 16);
    QCOMPARE(texts.last().text, QStringLiteral("Distance(0.00-%1.00Meter)").arg(distance));
    QCOMPARE(canvas.Image().pixel(plotPixel(50, 50)), kBlack);
    QCOMPARE(canvas.Image().pixel(plotPixel(8, 111)), kWhite);
    QCOMPARE(canvas.Image().pixel(plotPixel(20, 112)), kWhite);
}

void TestCycs::segmentEndsInThePicture_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ratio");
    QTest::addColumn<QString>("shown"); // "at 8 pt", "smaller" (and whole) or "elided"
    const QString wide =
        QStringLiteral("Main feeder T1-B1F--T2-B1F, north mast, sector 3, antenna 2, RRU jumper");
    const QString longName = QStringLiteral("START ") + wide.repeated(3) + QStringLiteral(" END");
    for (const int ratio : {1, 2}) {
        const QByteArray at = " at " + QByteArray::number(ratio);
        QTest::newRow("fits" + at) << QStringLiteral("T1-B1F--T2-B1F") << ratio << "at 8 pt";
        QTest::newRow("too wide" + at) << wide << ratio << "smaller";
        QTest::newRow("too long" + at) << longName << ratio << "elided";
    }
    const QString chinese =
        QStringLiteral("起点主馈线-1F--天线-2F，北塔第三扇区射频拉远单元跳线，共四十米终点");
    QTest::newRow("chinese too wide") << chinese << 1 << "smaller";
    QTest::newRow("chinese too long") << chinese + chinese << 1 << "elided";
    QTest::newRow("4 million characters")
        << QStringLiteral("Head") + QString(4'000'000, u'W') + QStringLiteral("Tail") << 1
        << "elided";
    // Cut anywhere, a pair would be split at one of its ends.
    QTest::newRow("surrogate pairs")
        << QStringLiteral("Head") + QStringLiteral("\U0001F4E1").repeated(2'000'001) +
               QStringLiteral("Tail")
        << 1 << "elided";
}

void TestCycs::segmentEndsInThePicture() {
    QFETCH(QString, name);
    QFETCH(int, ratio);
    QFETCH(QString, shown);
    MapFields fields = MapFields::defaults();
    fields.texts[Field::Segment] = name;
    Canvas canvas = Canvas::plotCanvas(ratio);
    QVERIFY(cycs(canvas, fields).isEmpty());
    QCOMPARE(canvas.printedTexts().size(), 28);
    const Canvas::PrintedText printed = canvas.printedTexts()[27];
    QCOMPARE(printed.pixel, plotPixel(42, 120));
    QVERIFY(!printed.bold);
    QVERIFY(canvas.FontSize() == 8 && !canvas.FontBold());

    const double size = printed.fontSize;
    QCOMPARE(size == 8, shown == "at 8 pt");
    QCOMPARE(printed.text == name, shown != "elided");
    QVERIFY(size >= 6);
    if (shown == "smaller") // the largest half-point size that fits
        QVERIFY(printed.pixel.x() + arialWidth(name, size + 0.5) > 601 - kRightMargin);
    if (shown == "elided") {
        QCOMPARE(size, 6.0);
        QVERIFY(printed.text.startsWith(name.left(4)) && printed.text.endsWith(name.right(4)));
        QVERIFY(printed.text.contains(QChar(0x2026)) && printed.text.isValidUtf16());
    }
    QVERIFY(printed.pixel.x() + arialWidth(printed.text, size) <= 601 - kRightMargin);

    // Exactly the recorded text is drawn, and no ink reaches the margin.
    MapFields unnamed = MapFields::defaults();
    unnamed.texts[Field::Segment].clear();
    Canvas expected = Canvas::plotCanvas(ratio);
    cycs(expected, unnamed);
    expected.setFontSize(size);
    expected.setCurrentX(42);
    expected.setCurrentY(120);
    expected.Print(printed.text);
    QCOMPARE(canvas.drawing(), expected.drawing());
    const QImage image = canvas.Image();
    for (int row = printed.pixel.y() * ratio; row < plotPixel(0, 111).y() * ratio; ++row)
        for (int column = (601 - kRightMargin) * ratio; column < 601 * ratio; ++column)
            QCOMPARE(image.pixel(column, row), kWhite);
}

void TestCycs::hugeFieldTextsDraw_data() {
    QTest::addColumn<bool>("caption"); // make the caption huge instead of the text
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("before"); // what the printed text shows before it
    QTest::newRow("title") << false << 4 << 26 << "";
    QTest::newRow("header value") << false << 7 << 6 << "Resolution:";
    QTest::newRow("header caption") << true << 13 << 12 << "";
    QTest::newRow("read-out VSWR") << false << 2 << 25 << "M1:";
    QTest::newRow("read-out feeder") << false << 1 << 25 << "M1:1.18 @ ";
    QTest::newRow("distance legend") << false << 3 << 15 << "Distance(0.00-";
}

// Millions of characters in a field draw no slower than a few: only what can
// show is printed, and no surrogate pair is split where the text is cut.
void TestCycs::hugeFieldTextsDraw() {
    QFETCH(bool, caption);
    QFETCH(int, index);
    QFETCH(int, order);
    QFETCH(QString, before);
    const QString huge = QStringLiteral("x") + QStringLiteral("\U0001F4E1").repeated(2'000'000);
    MapFields fields = MapFields::defaults();
    (caption ? fields.captions : fields.texts)[*fieldAt(index)] = huge;
    Canvas canvas = Canvas::plotCanvas();
    cycs(canvas, fields);
    const QString printed = canvas.printedTexts().value(order).text;
    QVERIFY(printed.startsWith(before + huge.left(21)));
    QVERIFY(printed.isValidUtf16());
}

QTEST_MAIN(TestCycs)
#include "tst_cycs.moc"
