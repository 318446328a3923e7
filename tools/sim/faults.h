#pragma once
// Ways the simulated controller can be told to misbehave, so the client's error paths can be
// exercised without broken hardware.

#include <chrono>
#include <optional>

#include "protocol/frame.h"

namespace pelta::sim {

struct Faults {
    bool silent = false;                  // never answer
    bool badCrc = false;                  // answer with a corrupted CRC
    bool shortReply = false;              // answer only the first half of the reply
    std::chrono::milliseconds late{0};    // answer this much later
    std::optional<unsigned> hangupAfter;  // close the line on receiving this many requests
};

// The reply as the faults let it go out; nothing when the controller stays silent.
std::optional<protocol::Frame> ApplyFaults(const Faults& faults,
                                           std::optional<protocol::Frame> reply);

}  // namespace pelta::sim
