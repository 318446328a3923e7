#include "tools/sim/faults.h"

namespace pelta::sim {

std::optional<protocol::Frame> ApplyFaults(const Faults& faults,
                                           std::optional<protocol::Frame> reply) {
    if (!reply || faults.silent) {
        return std::nullopt;
    }
    protocol::Frame out = std::move(*reply);
    if (faults.badCrc && out.size() >= 2) {
        // Flipping every bit of the high CRC byte can never leave the check intact.
        out.back() = static_cast<char>(~static_cast<unsigned char>(out.back()));
    }
    if (faults.shortReply) {
        // At least one byte goes out, so the client sees a reply that stops early rather
        // than none at all.
        out.resize(out.size() > 1 ? out.size() / 2 : out.size());
    }
    return out;
}

std::chrono::milliseconds ReplyDelay(const Faults& faults, unsigned answeredBefore) {
    if (faults.lateFirst) {
        return answeredBefore == 0 ? *faults.lateFirst : std::chrono::milliseconds(0);
    }
    return faults.late;
}

}  // namespace pelta::sim
