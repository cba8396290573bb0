#pragma once

#include <QElapsedTimer>

#include <functional>

// Lets the window's pending events (repaints, timers, clicks) run, then returns.
class EventYield {
public:
    virtual ~EventYield() = default;
    virtual void yieldEvents() = 0;
    // Whether the events asked the long work that yields to stop (the window
    // closes, the batch stops). Only work that takes long asks.
    virtual bool abandoned() const { return false; }
    // Lets events run, sleeping while there are none, until `done` holds.
    // Whatever makes it hold (work ending on another thread) must post an
    // event to this thread, which wakes the wait.
    virtual void waitUntil(const std::function<bool()>& done);
};

// Runs the pending events at most once a frame: work that yields thousands of
// times a second (a batch) still answers every click within a frame, but the
// window is repainted and shown no more often than a screen can show it.
class QtEventYield : public EventYield {
public:
    void yieldEvents() override;

private:
    QElapsedTimer m_sinceEvents;
};
