#pragma once

#include <QWidget>

class Canvas;

// Shows a canvas's persistent image; holds no drawing of its own, so the plot
// stays whole when the window is covered or repainted. A focus frame marks it
// while it has the keyboard focus.
class PlotView : public QWidget {
    Q_OBJECT
public:
    PlotView(const Canvas& canvas, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Canvas& m_canvas;
};
