#pragma once

#include "mainwindow/Form1.h"
#include "support/Fakes.h"
#include "trace/Canvas.h"

#include <QObject>
#include <QString>

// The main window with fake services, made afresh for each test function. A
// test class derives from it and calls setUp() from init() and tearDown()
// from cleanup().
class WindowTest : public QObject {
    Q_OBJECT
protected:
    void setUp();
    void tearDown();

    // Whether the plot printed `text` as one of its labels.
    static bool printed(const Canvas& canvas, const QString& text);

    FakePlatform* m_fakes = nullptr;
    Form1* m_form = nullptr;
};
