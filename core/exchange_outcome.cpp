#include "core/exchange_outcome.h"

namespace pelta::core {

protocol::Frame ExchangeOutcome::LastReply() const {
    return Replies.empty() ? protocol::Frame() : Replies.back().second;
}

ExchangeResult Judge(const QStringList& messages,
                     const std::vector<std::pair<std::int16_t, protocol::Frame>>& replies) {
    if (!messages.isEmpty()) {
        return ExchangeResult::Refused;
    }
    for (const auto& [command, reply] : replies) {
        if (reply.empty()) {
            return ExchangeResult::Missing;
        }
        if (!protocol::IsGoodReply(reply)) {
            return ExchangeResult::BadCrc;
        }
    }
    return ExchangeResult::Answered;
}

}  // namespace pelta::core
