#pragma once
// The real waits: a nested QEventLoop woken by a timer, measured on QElapsedTimer's monotonic
// clock. The thread sleeps in the event loop between events; midnight and changes of the
// wall clock neither stretch nor cut a wait.

#include "protocol/event_waiter.h"

namespace pelta::protocol {

class QtEventWaiter final : public EventWaiter {
  public:
    void ProcessEvents() override;
    void WaitProcessingEvents(std::chrono::microseconds span) override;
};

}  // namespace pelta::protocol
