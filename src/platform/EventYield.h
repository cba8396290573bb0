#pragma once

// Lets the window's pending events (repaints, timers, clicks) run, then returns.
class EventYield {
public:
    virtual ~EventYield() = default;
    virtual void yieldEvents() = 0;
    // Whether the events asked the long work that yields to stop (the window
    // closes, the batch stops). Only work that takes long asks.
    virtual bool abandoned() const { return false; }
};

class QtEventYield : public EventYield {
public:
    void yieldEvents() override;
};
