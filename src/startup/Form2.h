#pragma once

#include "trace/Canvas.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// The start-up window: a borderless picture of a sine wave on axes, the title
// block and a status line that steps through the loading texts, then the
// enter and exit buttons. Closing it deletes it, so it must be created with new.
class Form2 : public QWidget {
    Q_OBJECT
public:
    // Creates the main window when the user enters; the window is shown and
    // owns itself from then on.
    using MainWindowFactory = std::function<QWidget*()>;

    explicit Form2(MainWindowFactory mainWindowFactory, QWidget* parent = nullptr);

    // The picture drawn while loading, as the window shows it.
    const Canvas& canvas() const { return m_canvas; }
    int stepCounter() const { return m_step; }

    // Where the window opens on a screen with the given available area: the
    // design's place if the whole window fits there, otherwise centred.
    static QPoint openingPosition(const QRect& availableScreen);

public slots:
    // One step of the status line; Timer1 calls it every 600 ms.
    void tick();

private slots:
    void enter();
    void exit();

private:
    void arrange();
    // Lays the labels and buttons out for the labels' font; false when they
    // do not all fit in the window.
    bool arrangeFor(const QFont& font);

    MainWindowFactory m_mainWindowFactory;
    Canvas m_canvas;
    qint16 m_step = 1;
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_enter = nullptr;
    QPushButton* m_exit = nullptr;
    QTimer* m_timer = nullptr;
};
