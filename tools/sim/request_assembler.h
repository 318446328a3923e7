#pragma once
// Requests have no length field and no end marker: a request is whatever arrives in one burst.
// The assembler collects bytes until a known request is exactly complete, or until the line
// has been quiet for a short gap, and hands out the collected burst as one frame.

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

#include "protocol/frame.h"

namespace pelta::sim {

class RequestAssembler {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit RequestAssembler(std::chrono::milliseconds gap) : gap_(gap) {}

    // Adds bytes that arrived at `now`; returns the frame they complete, if any.
    std::optional<protocol::Frame> Feed(std::string_view bytes, TimePoint now);

    // Hands out a pending burst once the line has been quiet for the gap.
    std::optional<protocol::Frame> Expire(TimePoint now);

    // When Expire should be called next; nothing while no bytes are pending.
    std::optional<TimePoint> Deadline() const;

  private:
    std::chrono::milliseconds gap_;
    protocol::Frame pending_;
    TimePoint lastArrival_{};
};

}  // namespace pelta::sim
