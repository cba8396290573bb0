#include "trace/MainWave.h"

#include "trace/Canvas.h"
#include "trace/FieldErrors.h"
#include "trace/FieldReader.h"
#include "trace/Numbers.h"
#include "trace/PlotStyle.h"
#include "trace/SamplingLoop.h"
#include "trace/VectorState.h"

#include <cmath>
#include <optional>

#include <QCoreApplication>

namespace {

using sampling::kPi;

// One call of the trace routine. Every step runs under its own guard: a step
// that fails records why and leaves the values it would have set unchanged,
// and the next step runs. Inside a loop, a failing sample fails alone.
class TraceRun {
public:
    TraceRun(Canvas& canvas, const FieldReader& fields, Random& random, EventYield& yield,
             RippleDrawing drawing)
        : m_canvas(canvas), m_fields(fields), m_random(random), m_yield(yield), m_drawing(drawing) {
    }

    QString run() {
        lobePosition();
        mainLobe();
        // The marker line through the lobe's peak, not clamped to the plot area.
        m_canvas.Line(m_p, 0, m_p, 100, plotstyle::kMarker);
        markerLabel();
        lobeFeet();
        // A drawing of very many bumps that the events abandon ends where it
        // stands: the plot is not going to be used.
        if (ripple(Side::Left) && ripple(Side::Right))
            axisCaption();
        return m_lastFailure;
    }

private:
    // The field converted to a number, or empty after recording a type mismatch.
    std::optional<double> number(Field field) {
        const QString text = m_fields.text(field);
        const std::optional<double> value = numbers::parse(text);
        if (!value)
            m_lastFailure = QCoreApplication::translate("trace", "类型不匹配：") +
                            fielderrors::notANumber(m_fields, field, text);
        return value;
    }

    // The test distance as a divisor: a number, and not zero.
    std::optional<double> divisorDistance() {
        const std::optional<double> distance = number(Field::TestDistance);
        if (distance && *distance == 0) {
            m_lastFailure = QCoreApplication::translate("trace", "除数为零：%1为 0")
                                .arg(fielderrors::fieldName(m_fields, Field::TestDistance));
            return std::nullopt;
        }
        return distance;
    }

    // The value if it is finite; otherwise records an overflow of `what`.
    std::optional<double> finite(double value, const char* what) {
        if (std::isfinite(value))
            return value;
        overflow(what);
        return std::nullopt;
    }

    void overflow(const char* what) {
        m_lastFailure = QCoreApplication::translate("trace", "溢出：") +
                        QCoreApplication::translate("trace", what) +
                        QCoreApplication::translate("trace", "超出数值范围");
    }

    // P = F * 100 / D: where the lobe stands on the distance axis.
    void lobePosition() {
        const std::optional<double> feeder = number(Field::FeederLength);
        if (!feeder)
            return;
        const std::optional<double> distance = divisorDistance();
        if (!distance)
            return;
        if (const auto p =
                finite(*feeder * 100 / *distance, QT_TRANSLATE_NOOP("trace", "主瓣位置")))
            m_p = *p;
    }

    // A raised cosine 60 pi / D wide centred on P, peaking at y = 200 (V - 1);
    // points beyond the plot area pile up on the edge they crossed, and the
    // top is cut flat at the frame top. A sample whose position or height
    // fails keeps the value of the sample before (0 before the first) and is
    // still set: a failing D piles the lobe up on x = 0, a failing V lays it
    // flat on the distance axis.
    void mainLobe() {
        // The loop does not yield, so the fields cannot change while it runs:
        // each is read once, and a failing one fails every sample alike.
        const std::optional<double> distance = divisorDistance();
        const QString distanceFailure = distance ? QString() : m_lastFailure;
        const std::optional<double> vswr = number(Field::Vswr);
        const QString vswrFailure = vswr ? QString() : m_lastFailure;
        double x0 = 0;
        double y = 0;
        // Painting can leave the vector state dirty, which slows every sample
        // below severalfold.
        vectorstate::clearUpper();
        for (const sampling::Sample& sample : sampling::loop()) {
            if (!distance)
                m_lastFailure = distanceFailure;
            else if (const double value =
                         m_p + (sample.theta - sampling::kCentreAngle) * 30 / *distance;
                     std::isfinite(value))
                x0 = value;
            else
                overflow(QT_TRANSLATE_NOOP("trace", "主瓣"));
            if (!vswr)
                m_lastFailure = vswrFailure;
            else if (const double value = (*vswr - 1) * 100 * (sample.sine + 1);
                     std::isfinite(value))
                y = value;
            else
                overflow(QT_TRANSLATE_NOOP("trace", "主瓣"));
            if (y > 100)
                y = 100;
            const double x = x0 < 0 ? 0 : (x0 > 100 ? 100 : x0);
            m_canvas.PSet(x, y, plotstyle::kTrace);
        }
    }

    // "M1" hangs just below the distance axis under the marker line, in the
    // marker's colour and a smaller size; afterwards the canvas is back to
    // black at 8 points, which the next frame's grid relies on.
    void markerLabel() {
        m_canvas.setCurrentX(m_p - 1);
        m_canvas.setCurrentY(-0.1);
        m_canvas.setForeColor(plotstyle::kMarker);
        m_canvas.setFontSize(plotstyle::kMarkerLabelSize);
        m_canvas.Print(QStringLiteral("M1"));
        m_canvas.setFontSize(plotstyle::kTextSize);
        m_canvas.setForeColor(plotstyle::kCaption);
    }

    void lobeFeet() {
        if (const auto distance = divisorDistance())
            if (const auto left = finite(m_p + (-30 * kPi) / *distance,
                                         QT_TRANSLATE_NOOP("trace", "主瓣左脚位置")))
                m_l = *left;
        if (const auto distance = divisorDistance())
            if (const auto right =
                    finite(m_p + 30 * kPi / *distance, QT_TRANSLATE_NOOP("trace", "主瓣右脚位置")))
                m_r = *right;
    }

    enum class Side { Left, Right };

    // Bumps tiling x from 0 to the lobe's left foot, or from its right foot to
    // 100, about one per metre. Each bump is a raised cosine of a random height
    // below 16; only the outer edge of the side is clamped. False when the
    // events abandoned the drawing.
    bool ripple(Side side) {
        const bool left = side == Side::Left;
        if (const auto distance = number(Field::TestDistance))
            bumpCount((left ? m_l : 100 - m_r) * *distance,
                      left ? QT_TRANSLATE_NOOP("trace", "左侧波纹段数")
                           : QT_TRANSLATE_NOOP("trace", "右侧波纹段数"));
        if (m_n == 0)
            m_n = 1;
        bumpWidth(left ? m_l : 100 - m_r, left ? QT_TRANSLATE_NOOP("trace", "左侧波纹宽度")
                                               : QT_TRANSLATE_NOOP("trace", "右侧波纹宽度"));
        const RippleResult drawn = drawRipple(m_canvas, m_random, m_yield, {left, m_n, m_s, m_r},
                                              plotstyle::kTrace, m_drawing);
        if (drawn.overflowed)
            overflow(left ? QT_TRANSLATE_NOOP("trace", "左侧波纹")
                          : QT_TRANSLATE_NOOP("trace", "右侧波纹"));
        return !drawn.abandoned;
    }

    // n = span * D \ 100: rounded to an integer (a half to even), then
    // divided with the quotient truncated toward zero.
    void bumpCount(double product, const char* what) {
        if (const auto count = numbers::integerDivide(product, 100))
            m_n = *count;
        else
            overflow(what);
    }

    void bumpWidth(double span, const char* what) {
        if (m_n == 0) {
            m_lastFailure = QCoreApplication::translate("trace", "除数为零：波纹段数为 0");
            return;
        }
        if (const auto width = finite(span / m_n, what))
            m_s = *width;
    }

    // "V", "S", "W", "R" one beneath another in the left margin, starting a
    // little above the lobe's peak. V is read again here: it may have been
    // edited while the ripple let events run.
    void axisCaption() {
        m_canvas.setCurrentX(-7.5);
        if (const auto vswr = number(Field::Vswr))
            if (const auto y = finite((*vswr - 1) * 205, QT_TRANSLATE_NOOP("trace", "轴标题位置")))
                m_canvas.setCurrentY(*y);
        for (const QString& letter :
             {QStringLiteral("V"), QStringLiteral("S"), QStringLiteral("W"), QStringLiteral("R")}) {
            m_canvas.setCurrentX(-7.5);
            m_canvas.Print(letter);
        }
    }

    Canvas& m_canvas;
    const FieldReader& m_fields;
    Random& m_random;
    EventYield& m_yield;
    const RippleDrawing m_drawing;
    QString m_lastFailure;

    // Working values; one that was never assigned counts as 0.
    double m_p = 0; // lobe position
    double m_l = 0; // left foot
    double m_r = 0; // right foot
    int m_n = 0;    // bumps; a right-side count that fails keeps the left one
    double m_s = 0; // width of one bump
};

} // namespace

QString mainwave(Canvas& canvas, const FieldReader& fields, Random& random, EventYield& yield,
                 RippleDrawing drawing) {
    return TraceRun(canvas, fields, random, yield, drawing).run();
}
