#pragma once

#include "platform/EventYield.h"

#include <functional>

class PlotView;

// Lets pending events run with the plot shown as drawn so far. A long
// drawing is abandoned when `stop` says so (the window is to close, the
// batch to stop).
class RepaintingYield : public EventYield {
public:
    RepaintingYield(PlotView* view, EventYield& inner, std::function<bool()> stop)
        : m_view(view), m_inner(inner), m_stop(std::move(stop)) {}
    void yieldEvents() override;
    bool abandoned() const override { return m_stop(); }

private:
    PlotView* m_view;
    EventYield& m_inner;
    std::function<bool()> m_stop;
};
