#include "mainwindow/PlotView.h"

#include "trace/Canvas.h"

#include <QPainter>

namespace {

constexpr int kFocusFrameWidth = 2;

} // namespace

PlotView::PlotView(const Canvas& canvas, QWidget* parent) : QWidget(parent), m_canvas(canvas) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas.Image());
    // The view is the first stop of the window's tab order: with the focus it
    // shows a frame in the highlight colour, drawn over the view only, never
    // into the plot that is copied or saved.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), kFocusFrameWidth, Qt::SolidLine,
                            Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        // The pen's middle runs half its width inside the edge.
        const double inset = kFocusFrameWidth / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}
