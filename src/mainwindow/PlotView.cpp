#include "mainwindow/PlotView.h"

#include "trace/Canvas.h"

#include <QPainter>

PlotView::PlotView(const Canvas& canvas, QWidget* parent) : QWidget(parent), m_canvas(canvas) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas.Image());
}
