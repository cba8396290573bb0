#include "trace/Frame.h"

#include "trace/Canvas.h"
#include "trace/FieldErrors.h"
#include "trace/FieldReader.h"
#include "trace/Numbers.h"
#include "trace/PlotStyle.h"

#include <cmath>

#include <QCoreApplication>

namespace {

struct HeaderEntry {
    Field field;
    double x;
    double y;
};

// Three columns at x = -8, 40 and 80, three rows at y = -25, -35 and -45,
// filled column by column.
constexpr HeaderEntry kHeader[] = {
    {Field::Resolution, -8, -25},
    {Field::Date, -8, -35},
    {Field::Model, -8, -45},
    {Field::Calibration, 40, -25},
    {Field::Time, 40, -35},
    {Field::SerialNumber, 40, -45},
    {Field::Cw, 80, -25},
    {Field::InsertionLoss, 80, -35},
    {Field::PropagationVelocity, 80, -45},
};

// More UTF-16 units than the picture's 601 pixels can show of one text at
// the smallest size the frame prints: a longer field text is cut down before
// it is measured or drawn, so that its length costs nothing.
constexpr qsizetype kMostShown = 1024;

// The segment name: 8 pt where it fits, stepped down to 6 pt if need be, and
// at 6 pt elided in the middle; its right end stays this far inside the picture.
constexpr int kRightMargin = 2;

// The first `count` units of the text, one fewer where the last would be the
// first half of a surrogate pair.
QString headOf(const QString& text, qsizetype count) {
    if (text.size() <= count)
        return text;
    return text.left(text.at(count - 1).isHighSurrogate() ? count - 1 : count);
}

// The last `count` units of the text, one fewer where the first would be the
// second half of a surrogate pair.
QString tailOf(const QString& text, qsizetype count) {
    if (text.size() <= count)
        return text;
    const qsizetype start = text.size() - count;
    return text.mid(text.at(start).isLowSurrogate() ? start + 1 : start);
}

// A field text as printed on its own line: whole unless it is too long to show.
QString shown(const QString& text) {
    return headOf(text, kMostShown);
}

// A field text as printed whole or elided in the middle: its start and its end
// around an ellipsis where it is too long to show.
QString shownEnds(const QString& text) {
    if (text.size() <= kMostShown)
        return text;
    return headOf(text, kMostShown / 2) + QChar(0x2026) + tailOf(text, kMostShown / 2);
}

void printAt(Canvas& canvas, double x, double y, const QString& text) {
    canvas.setCurrentX(x);
    canvas.setCurrentY(y);
    canvas.Print(text);
}

// Major VSWR lines, overhanging the left edge by one unit as the tick, each
// labelled a little above where it ends: 1.0 at y = 0 up to 1.5 at y = 100.
void drawVswrLines(Canvas& canvas) {
    for (int k = 0; k <= 5; ++k) {
        canvas.Line(-1, 20 * k, 100, 20 * k, plotstyle::kGrid);
        canvas.setCurrentX(-5);
        canvas.setCurrentY(canvas.CurrentY() + 4);
        canvas.Print(QStringLiteral("1.") + QString::number(k));
    }
}

// Major distance lines, overhanging the bottom edge by three units.
void drawDistanceLines(Canvas& canvas) {
    for (int k = 0; k <= 8; ++k) {
        const double x = 100.0 * k / 8;
        canvas.Line(x, -3, x, 100, plotstyle::kGrid);
    }
}

// Minor ticks: every 0.02 VSWR inside the left edge, every D/40 metres
// inside the bottom edge.
void drawMinorTicks(Canvas& canvas) {
    for (int k = 1; k <= 25; ++k)
        canvas.Line(0, 4 * k, 1.2, 4 * k, plotstyle::kGrid);
    for (int k = 1; k <= 40; ++k) {
        const double x = 2.5 * k;
        canvas.Line(x, 0, x, 4.5, plotstyle::kGrid);
    }
}

// Instrument header: each label's caption runs straight into its value.
void printHeader(Canvas& canvas, const FieldReader& fields) {
    for (const HeaderEntry& entry : kHeader)
        printAt(canvas, entry.x, entry.y,
                shown(fields.caption(entry.field)) + shown(fields.text(entry.field)));
}

// The distance axis: its title, then its labels. The labels hold the only
// number this routine converts: a text that is not a number ends the frame
// here, before the first label, and the failure is returned.
QString labelDistanceAxis(Canvas& canvas, const FieldReader& fields) {
    const QString distanceText = fields.text(Field::TestDistance);
    printAt(canvas, 36, -15,
            QStringLiteral("Distance(0.00-") + shown(distanceText) + QStringLiteral(".00Meter)"));

    const std::optional<double> distance = numbers::parse(distanceText);
    if (!distance)
        return fielderrors::notANumber(fields, Field::TestDistance, distanceText);
    for (int k = 0; k <= 8; ++k) {
        const double value = *distance * k / 8;
        if (!std::isfinite(value))
            return QCoreApplication::translate("trace", "溢出：%1“%2”太大，无法标注刻度")
                .arg(fielderrors::fieldName(fields, Field::TestDistance),
                     fielderrors::quoted(distanceText));
        printAt(canvas, 12.5 * k - 2, -6, numbers::format(value, 2));
    }
    return QString();
}

// The marker read-out above the plot, under a double rule one unit apart
// whose lower line is on the read-out's top edge.
void drawReadout(Canvas& canvas, const FieldReader& fields) {
    printAt(canvas, 4, 111,
            QStringLiteral("M1:") + shown(fields.text(Field::Vswr)) + QStringLiteral(" @ ") +
                shown(fields.text(Field::FeederLength)) + QStringLiteral("Meter"));
    canvas.Line(8, 111, 20, 111, plotstyle::kGrid);
    canvas.Line(8, 112, 20, 112, plotstyle::kGrid);
}

// The segment name at (x, y), ending within the picture: the canvas font
// steps down until it fits, and the name is elided at the smallest size if it
// still does not. The font is left at the segment size.
void printSegment(Canvas& canvas, double x, double y, const QString& name) {
    const double room = canvas.imageWidth() - kRightMargin - canvas.pixelColumn(x);
    bool fits = canvas.textWidth(name) <= room;
    for (double size = plotstyle::kTextSize; !fits && size > plotstyle::kSmallestSegmentSize;) {
        size -= plotstyle::kSegmentSizeStep;
        canvas.setFontSize(size);
        fits = canvas.textWidth(name) <= room;
    }
    printAt(canvas, x, y, fits ? name : canvas.elidedText(name, room));
    if (canvas.FontSize() != plotstyle::kTextSize)
        canvas.setFontSize(plotstyle::kTextSize);
}

// The site as the title, in bold, and the segment name under it.
void printTitles(Canvas& canvas, const FieldReader& fields) {
    canvas.setCurrentX(40);
    canvas.setCurrentY(130);
    canvas.setFontSize(plotstyle::kTitleSize);
    canvas.setFontBold(true);
    canvas.Print(shown(fields.text(Field::Site)));
    canvas.setFontBold(false);
    canvas.setFontSize(plotstyle::kTextSize);

    printSegment(canvas, 42, 120, shownEnds(fields.text(Field::Segment)));
}

} // namespace

QString cycs(Canvas& canvas, const FieldReader& fields) {
    canvas.Cls();
    // x from -12 (left) to 112 (right), y from 140 (top) down to -60 (bottom):
    // the plot area is the square 0..100 in both directions.
    canvas.Scale(-12, 140, 112, -60);
    drawVswrLines(canvas);
    drawDistanceLines(canvas);
    drawMinorTicks(canvas);
    printHeader(canvas, fields);
    if (const QString failure = labelDistanceAxis(canvas, fields); !failure.isEmpty())
        return failure;
    drawReadout(canvas, fields);
    printTitles(canvas, fields);
    return QString();
}
