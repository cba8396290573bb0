#include "platform/EventYield.h"

#include <QCoreApplication>

namespace {

// A frame of a 60 Hz screen.
constexpr qint64 kFrameMs = 16;

} // namespace

void EventYield::waitUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventYield::yieldEvents() {
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kFrameMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}
