#include "mainwindow/RepaintingYield.h"

#include "mainwindow/PlotView.h"

void RepaintingYield::yieldEvents() {
    m_view->showDrawing();
    m_inner.yieldEvents();
}
