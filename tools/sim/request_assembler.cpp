#include "tools/sim/request_assembler.h"

#include <utility>

#include "tools/sim/request_table.h"

namespace pelta::sim {

std::optional<protocol::Frame> RequestAssembler::Feed(std::string_view bytes, TimePoint now) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    pending_.append(bytes);
    lastArrival_ = now;
    if (pending_.size() < kHeaderLength) {
        return std::nullopt;
    }
    const RequestKind* kind = FindRequestKind(ByteAt(pending_, 1), ByteAt(pending_, 2));
    // A known request that is exactly complete is answered at once. Anything else (unknown,
    // still short, or already too long) waits for the gap so the whole burst is judged as one.
    if (kind != nullptr && pending_.size() == kind->length) {
        return std::exchange(pending_, {});
    }
    return std::nullopt;
}

std::optional<protocol::Frame> RequestAssembler::Expire(TimePoint now) {
    if (pending_.empty() || now - lastArrival_ < gap_) {
        return std::nullopt;
    }
    return std::exchange(pending_, {});
}

std::optional<RequestAssembler::TimePoint> RequestAssembler::Deadline() const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    return lastArrival_ + gap_;
}

}  // namespace pelta::sim
