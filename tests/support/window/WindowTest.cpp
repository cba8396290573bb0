#include "support/window/WindowTest.h"

void WindowTest::setUp() {
    m_fakes = new FakePlatform;
    m_form = new Form1(m_fakes->platform());
}

void WindowTest::tearDown() {
    delete m_form;
    delete m_fakes;
}

bool WindowTest::printed(const Canvas& canvas, const QString& text) {
    for (const auto& t : canvas.printedTexts())
        if (t.text == text)
            return true;
    return false;
}
