#pragma once
// Ways the simulated controller can be told to misbehave, so the client's error paths can be
// exercised without broken hardware.

#include <chrono>
#include <optional>

#include "protocol/frame.h"

namespace pelta::sim {

struct Faults {
    bool silent = false;                // never answer
    bool badCrc = false;                // answer with a corrupted CRC
    bool shortReply = false;            // answer only the first half of the reply
    std::chrono::milliseconds late{0};  // answer this much later
    // Answer only the first request this much later, the others on time: the reply the
    // client's wait gave up on comes in just before its next request.
    std::optional<std::chrono::milliseconds> lateFirst;
    std::optional<unsigned> hangupAfter;  // close the line on receiving this many requests
};

// The reply as the faults let it go out; nothing when the controller stays silent.
std::optional<protocol::Frame> ApplyFaults(const Faults& faults,
                                           std::optional<protocol::Frame> reply);

// How long the reply goes out after its request, when `answeredBefore` replies were queued
// before it.
std::chrono::milliseconds ReplyDelay(const Faults& faults, unsigned answeredBefore);

}  // namespace pelta::sim
