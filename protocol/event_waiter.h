#pragma once
// How the core lets the window work while it waits. The poll cycle and the traffic monitor call
// this instead of the toolkit, so tests can substitute a fake that returns at once.

#include <chrono>

namespace pelta::protocol {

class EventWaiter {
  public:
    virtual ~EventWaiter() = default;
    // Runs the window events that are pending now, then returns.
    virtual void ProcessEvents() = 0;
    // Keeps running window events until `span` has passed on a monotonic clock. Must leave the
    // processor idle between events. Other handlers (and so a nested exchange) may run inside.
    virtual void WaitProcessingEvents(std::chrono::microseconds span) = 0;
    // Ends every wait running now (also those nested in each other) at once, from inside one
    // of their events; later waits last their full span again.
    virtual void CutShort() = 0;
};

}  // namespace pelta::protocol
