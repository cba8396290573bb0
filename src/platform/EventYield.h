#pragma once

// Lets the window's pending events (repaints, timers, clicks) run, then returns.
class EventYield {
public:
    virtual ~EventYield() = default;
    virtual void yieldEvents() = 0;
};

class QtEventYield : public EventYield {
public:
    void yieldEvents() override;
};
