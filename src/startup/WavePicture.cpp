#include "startup/WavePicture.h"

#include <QFont>

#include <cmath>

namespace wavepicture {

Canvas makeCanvas() {
    return Canvas(461, 353, Qt::black, Qt::white, QFont());
}

int draw(Canvas& canvas) {
    canvas.Scale(-20, 50, 100, -100);

    const QRgb white = canvas.ForeColor();
    int points = 0;
    for (double a = kFirstAngle; a <= kLastAngle; a += kAngleStep) {
        const float x = static_cast<float>((a - kFirstAngle) * 2);
        const float y = static_cast<float>(10 * std::sin(a));
        canvas.PSet(x, y, white);
        ++points;
    }

    canvas.Line(-2, -10, kArrowTipX, -10);
    canvas.Line(78, -8, kArrowTipX, -10);
    canvas.Line(78, -12, kArrowTipX, -10);
    canvas.Line(0, -14, 0, 20);
    canvas.Line(-1, 14, 0, 20);
    canvas.Line(1, 14, 0, 20);
    return points;
}

} // namespace wavepicture
