#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class Canvas;
class QMenu;
class QSettings;

// Shows a canvas's persistent image; holds no drawing of its own, so the plot
// stays whole when the window is covered or repainted. The canvas draws at the
// screen's pixel ratio, so the plot is sharp on a high-density screen. A focus
// frame marks it while it has the keyboard focus.
//
// Its context menu chooses the pixel ratio of the picture that copy and save
// hand out (one, two or three device pixels to a pixel: the same size on the
// page, finer texts); the choice is kept in the settings between runs.
class PlotView : public QWidget {
    Q_OBJECT
public:
    PlotView(Canvas& canvas, QSettings& settings, QWidget* parent);

    // Shows the canvas as drawn so far, at most once a frame: a drawing that
    // changes the canvas hundreds of times a second (a batch) repaints no
    // more often than the screen can show, and its last state is shown
    // within a frame.
    void showDrawing();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* buildMenu();
    void choosePictureRatio(int ratio);

    Canvas& m_canvas;
    QSettings& m_settings;
    QMenu* m_menu;
    QElapsedTimer m_sinceFrame;
    QTimer m_nextFrame;
};
