#pragma once
// The real waits: a nested QEventLoop woken by a timer, measured on QElapsedTimer's monotonic
// clock. The thread sleeps in the event loop between events; midnight and changes of the
// wall clock neither stretch nor cut a wait.

#include <cstdint>
#include <vector>

#include "protocol/event_waiter.h"

class QEventLoop;

namespace pelta::protocol {

class QtEventWaiter final : public EventWaiter {
  public:
    void ProcessEvents() override;
    void WaitProcessingEvents(std::chrono::microseconds span) override;
    void CutShort() override;

  private:
    std::vector<QEventLoop*> running_;  // the loops of the waits now running, outermost first
    std::uint64_t cuts_ = 0;            // a wait ends when this changes under it
};

}  // namespace pelta::protocol
