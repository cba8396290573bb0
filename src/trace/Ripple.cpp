#include "trace/Ripple.h"

#include "platform/EventYield.h"
#include "platform/Random.h"
#include "trace/Canvas.h"
#include "trace/SamplingLoop.h"
#include "trace/VectorState.h"

#include <QElapsedTimer>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>

// A bump is 6284 samples, but on a long feeder thousands of bumps share one
// pixel column. The fast drawing sets the same pixels as the samples would,
// from the same computed values:
// - Within a bump, x is monotonic in the sample index (the clamp keeps it so),
//   and so is the pixel column: the samples in one column are a contiguous
//   range of indices.
// - y = a sin + a is unimodal (highest at sampling::peakIndex() for a >= 0)
//   and moves less than a pixel row from one sample to the next, so the rows
//   that a range of samples touches are one contiguous span between the rows
//   of its lowest and highest sample: the range's ends and the peak.
// - Over bumps side by side, the first and last sample's x are monotonic in
//   the bump index too: the bumps lying wholly in one column (or wholly off
//   the image on one side) are a contiguous run, found by bisection. All
//   their samples have y >= 0 and both ends so close to 0 that they fall on
//   the axis row, so the run paints one span from the axis row up to the row
//   of its highest peak, which comes from its largest amplitude.
// Every other bump is walked one column at a time, whatever its width; a bump
// whose positions overflow, or whose amplitude could move a sample more than
// a row, is drawn sample by sample.

namespace {

using sampling::Sample;

// Sides with up to this many bumps let events run after every bump.
constexpr int kYieldEachBumpUpTo = 300;
// Otherwise events run whenever this much time has passed since they last did.
constexpr qint64 kYieldIntervalMs = 10;
// Amplitudes drawn at once for a run of bumps.
constexpr std::size_t kDrawChunk = 4096;

// Where the samples of bump j fall on the x axis.
struct BumpX {
    double width;
    double start;
    bool left;
    int j;

    // Before the clamp; the same operations in the same order as the sampling loop.
    double raw(double theta) const {
        double x = (theta - sampling::kFirstAngle) * width / sampling::kTurn + j * width;
        if (!left)
            x += start;
        return x;
    }
    double clamp(double x) const {
        if (left)
            return x < 0 ? 0 : x;
        return x > 100 ? 100 : x;
    }
};

double bumpY(float a, double sine) {
    return a * sine + a;
}

float amplitude(float draw) {
    return static_cast<float>(draw * 8);
}

class RippleRun {
public:
    RippleRun(Canvas& canvas, Random& random, EventYield& yield, const RippleSide& side, QRgb color,
              RippleDrawing drawing)
        : m_canvas(canvas), m_random(random), m_yield(yield), m_side(side), m_color(color),
          m_samples(sampling::loop()), m_peak(sampling::peakIndex()),
          m_yieldEachBump(drawing == RippleDrawing::SampleBySample ||
                          side.bumps <= kYieldEachBumpUpTo) {
        if (drawing == RippleDrawing::Fast)
            prepareFastDrawing();
    }

    RippleResult run() {
        m_sinceYield.start();
        int j = 0;
        while (j < m_side.bumps && !m_abandoned) {
            if (m_runs && !m_yieldEachBump) {
                if (const std::optional<int> column = bumpColumn(j)) {
                    const int last = runEnd(j, *column);
                    drawRun(j, last, *column);
                    j = last + 1;
                    continue;
                }
            }
            drawBump(bumpX(j), amplitude(m_random.nextSingle()));
            if (m_yieldEachBump || m_sinceYield.elapsed() >= kYieldIntervalMs)
                yieldEvents();
            ++j;
        }
        if (!m_yieldEachBump && m_side.bumps > 0 && !m_abandoned)
            yieldEvents();
        return {m_overflowed, m_abandoned};
    }

private:
    // The shortcuts hold for any sane frame; the amplitude limits keep every
    // step from one sample to the next below half a pixel row.
    void prepareFastDrawing() {
        const double columnsPerUnit = m_canvas.pixelX(1) - m_canvas.pixelX(0);
        const double rowsPerUnit = std::abs(m_canvas.pixelY(1) - m_canvas.pixelY(0));
        if (!std::isfinite(columnsPerUnit) || columnsPerUnit == 0 || !std::isfinite(rowsPerUnit) ||
            rowsPerUnit == 0)
            return;
        // |sin| changes by at most the angle step, 0.001, between samples.
        m_maxWalkedAmplitude = (0.5 / rowsPerUnit - 1e-9) / 0.0011;
        // For 0 <= a < 8 both end samples' y lie in [0, bound]: their sines
        // are within 2e-8 of -1, and a sin + a >= 0 in floating point too.
        m_axisRow = m_canvas.pixelRow(0);
        const double endSine = std::max(m_samples.front().sine, m_samples.back().sine);
        const double bound = 8 * (1 + endSine) * (1 + 1e-9) + 1e-12;
        m_runs = m_maxWalkedAmplitude >= 8 && endSine <= 0 && m_canvas.pixelRow(bound) == m_axisRow;
    }

    BumpX bumpX(int j) const { return {m_side.width, m_side.start, m_side.left, j}; }

    // The pixel column, with every column left of the image as -1 and every
    // one right of it as the image width.
    int columnOf(double x) const {
        return std::clamp(m_canvas.pixelColumn(x), -1, m_canvas.imageWidth());
    }
    int columnAt(const BumpX& bump, int k) const {
        return columnOf(bump.clamp(bump.raw(m_samples[k].theta)));
    }
    bool onImage(int column) const { return column >= 0 && column < m_canvas.imageWidth(); }

    // The column of all of bump j's samples, if they share one and are finite.
    std::optional<int> bumpColumn(int j) const {
        const BumpX bump = bumpX(j);
        const double first = bump.raw(m_samples.front().theta);
        const double last = bump.raw(m_samples.back().theta);
        if (!std::isfinite(first) || !std::isfinite(last))
            return std::nullopt;
        const int column = columnOf(bump.clamp(first));
        if (columnOf(bump.clamp(last)) != column)
            return std::nullopt;
        return column;
    }

    // The last of the bumps from `first` on that lie wholly in `column`.
    int runEnd(int first, int column) const {
        int inside = first;
        int outside = m_side.bumps;
        while (outside - inside > 1) {
            const int middle = inside + (outside - inside) / 2;
            if (bumpColumn(middle) == column)
                inside = middle;
            else
                outside = middle;
        }
        return inside;
    }

    // Bumps first to last, all in `column`: one span from the axis row up to
    // the highest peak. The amplitudes are drawn in chunks, in order; a chunk
    // with an amplitude outside [0, 8) (a generator out of its contract)
    // draws its bumps one by one.
    void drawRun(int first, int last, int column) {
        std::array<float, kDrawChunk> chunk;
        std::optional<float> highest;
        for (int j = first; j <= last;) {
            const int count = std::min(static_cast<int>(kDrawChunk), last - j + 1);
            const std::span<float> draws(chunk.data(), static_cast<std::size_t>(count));
            m_random.nextSingles(draws);
            // Draws in [+0, 1) are exactly those whose bit patterns lie below
            // that of 1, and among them the patterns order as the values do:
            // one integer maximum tells whether every amplitude is ordinary
            // (in [0, 8)) and which is the largest.
            std::uint32_t highestBits = 0;
            for (const float draw : draws)
                highestBits = std::max(highestBits, std::bit_cast<std::uint32_t>(draw));
            if (highestBits < std::bit_cast<std::uint32_t>(1.0f)) {
                highest =
                    std::max(highest.value_or(0), amplitude(std::bit_cast<float>(highestBits)));
                const BumpX bump = bumpX(j + count - 1);
                const Sample& end = m_samples.back();
                m_canvas.notePointsSet(qint64(count) * qint64(m_samples.size()),
                                       bump.clamp(bump.raw(end.theta)),
                                       bumpY(amplitude(draws.back()), end.sine));
            } else {
                for (int i = 0; i < count; ++i)
                    drawBump(bumpX(j + i), amplitude(draws[static_cast<std::size_t>(i)]));
            }
            // Up to last + 1, which fits: last < the bump count.
            j += count;
            if (m_sinceYield.elapsed() >= kYieldIntervalMs) {
                fillRun(column, highest);
                yieldEvents();
                if (m_abandoned)
                    return;
            }
        }
        fillRun(column, highest);
    }

    void fillRun(int column, std::optional<float> highest) {
        if (highest && onImage(column))
            m_canvas.fillColumnSpan(column, m_axisRow,
                                    m_canvas.pixelRow(bumpY(*highest, m_samples[m_peak].sine)),
                                    m_color);
    }

    void drawBump(const BumpX& bump, float a) {
        if (walkable(bump, a))
            walkBump(bump, a);
        else
            sampleBump(bump, a);
    }

    bool walkable(const BumpX& bump, float a) const {
        if (!(std::abs(a) <= m_maxWalkedAmplitude))
            return false;
        return std::isfinite(bump.raw(m_samples.front().theta)) &&
               std::isfinite(bump.raw(m_samples.back().theta));
    }

    // One column at a time: the samples in a column are a contiguous range,
    // found by bisection, and paint one span of rows.
    void walkBump(const BumpX& bump, float a) {
        const int count = static_cast<int>(m_samples.size());
        for (int first = 0; first < count;) {
            const int column = columnAt(bump, first);
            int last = count - 1;
            if (columnAt(bump, last) != column) {
                int outside = last;
                last = first;
                while (outside - last > 1) {
                    const int middle = last + (outside - last) / 2;
                    if (columnAt(bump, middle) == column)
                        last = middle;
                    else
                        outside = middle;
                }
            }
            if (onImage(column))
                fillSamples(column, first, last, a);
            first = last + 1;
        }
        const Sample& end = m_samples.back();
        m_canvas.notePointsSet(count, bump.clamp(bump.raw(end.theta)), bumpY(a, end.sine));
    }

    // The rows of samples first to last, all in `column`: between the lowest
    // and highest of them, which are among the range's ends and the peak.
    void fillSamples(int column, int first, int last, float a) {
        const double atFirst = bumpY(a, m_samples[first].sine);
        const double atLast = bumpY(a, m_samples[last].sine);
        double low = std::min(atFirst, atLast);
        double high = std::max(atFirst, atLast);
        if (first <= m_peak && m_peak <= last) {
            const double atPeak = bumpY(a, m_samples[m_peak].sine);
            low = std::min(low, atPeak);
            high = std::max(high, atPeak);
        }
        m_canvas.fillColumnSpan(column, m_canvas.pixelRow(high), m_canvas.pixelRow(low), m_color);
    }

    // Every sample its own point; a sample whose position overflows is skipped.
    void sampleBump(const BumpX& bump, float a) {
        // The events of the last yield may have painted; painting can leave
        // the vector state dirty, which slows every sample below severalfold.
        vectorstate::clearUpper();
        const BumpX local = bump;
        const QRgb color = m_color;
        bool overflowed = false;
        for (const Sample& sample : m_samples) {
            const double x = local.raw(sample.theta);
            const double y = bumpY(a, sample.sine);
            if (!std::isfinite(x) || !std::isfinite(y)) {
                overflowed = true;
                continue;
            }
            m_canvas.PSet(local.clamp(x), y, color);
        }
        m_overflowed = m_overflowed || overflowed;
    }

    // A side of very many bumps (yielding on time) stops when the events
    // abandon it; an ordinary one is always drawn whole.
    void yieldEvents() {
        m_yield.yieldEvents();
        vectorstate::clearUpper();
        m_sinceYield.restart();
        m_abandoned = !m_yieldEachBump && m_yield.abandoned();
    }

    Canvas& m_canvas;
    Random& m_random;
    EventYield& m_yield;
    const RippleSide m_side;
    const QRgb m_color;
    const std::span<const Sample> m_samples;
    const int m_peak;
    const bool m_yieldEachBump;
    // Set by prepareFastDrawing(); none of the shortcuts without it.
    double m_maxWalkedAmplitude = -1;
    bool m_runs = false;
    int m_axisRow = 0;
    QElapsedTimer m_sinceYield;
    bool m_overflowed = false;
    bool m_abandoned = false;
};

} // namespace

RippleResult drawRipple(Canvas& canvas, Random& random, EventYield& yield, const RippleSide& side,
                        QRgb color, RippleDrawing drawing) {
    return RippleRun(canvas, random, yield, side, color, drawing).run();
}
