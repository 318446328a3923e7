#include "tools/ctl/watch/frame_splitter.h"

#include <algorithm>

#include "protocol/command_table.h"

namespace pelta::watch {
namespace {

// Values that let every request be built, so that its header and length come from the request
// builder itself rather than from a second copy of the command table.
protocol::StagedRequest AnyStagedValues() {
    protocol::StagedRequest staged;
    staged.EventDate = staged.ClockDate = QStringLiteral("01.01.24");
    staged.EventTime = staged.ClockTime = QStringLiteral("00:00:00");
    staged.EventLine1 = staged.EventLine2 = std::string(20, ' ');
    staged.ClockOnOffCode = staged.OnOffCode = QStringLiteral("0");
    staged.ClockDayCode = staged.DayCode = QStringLiteral("1");
    staged.AlarmHour = staged.AlarmMinute = QStringLiteral("0");
    return staged;
}

// A reply held this far past its expected end, with nothing after it that makes sense, is taken
// as it stands; it is more than the longest request with its reply.
constexpr std::size_t kReplySlack = 64;
// Noise is handed on in pieces of at most this size while no frame turns up.
constexpr std::size_t kNoiseChunk = 256;

}  // namespace

FrameSplitter::FrameSplitter() {
    protocol::ReplyLengthTable replyLengths;
    replyLengths.Fill();
    const protocol::StagedRequest staged = AnyStagedValues();
    for (std::int16_t command = 1; command <= protocol::Command::Last; ++command) {
        const protocol::Frame request = protocol::BuildRequest(command, 0, staged);
        if (request.size() < 3) {
            continue;  // the numbers without a request never appear on the line
        }
        shapes_.push_back({request[1], request[2], command, request.size(),
                           static_cast<std::size_t>(replyLengths(command))});
    }
}

std::vector<SplitFrame> FrameSplitter::Feed(std::string_view bytes) {
    held_.append(bytes);
    std::vector<SplitFrame> out;
    while (Step(out)) {
    }
    return out;
}

std::vector<SplitFrame> FrameSplitter::Idle() {
    std::vector<SplitFrame> out;
    while (Step(out)) {
    }
    if (awaiting_ != nullptr && !held_.empty()) {
        const std::size_t length = std::min(held_.size(), awaiting_->replyLength);
        Emit(out, SplitFrame::Kind::Reply, length, GoodReplyAt(0, length));
        awaiting_ = nullptr;
        while (Step(out)) {
        }
    }
    awaiting_ = nullptr;
    if (!held_.empty()) {
        Emit(out, SplitFrame::Kind::Noise, held_.size());
    }
    return out;
}

bool FrameSplitter::Step(std::vector<SplitFrame>& out) {
    return awaiting_ != nullptr ? StepAwaitingReply(out) : StepHunting(out);
}

bool FrameSplitter::StepAwaitingReply(std::vector<SplitFrame>& out) {
    const std::size_t length = awaiting_->replyLength;
    if (GoodReplyAt(0, length)) {
        Emit(out, SplitFrame::Kind::Reply, length, true);
        awaiting_ = nullptr;
        return true;
    }
    // The controller stayed silent and the master went on: a whole request with its own good
    // reply behind it.
    if (RequestWithReplyAt(0)) {
        awaiting_ = nullptr;
        return true;
    }
    // A damaged reply, told by the next request and its good reply right behind it.
    if (RequestWithReplyAt(length)) {
        Emit(out, SplitFrame::Kind::Reply, length, false);
        awaiting_ = nullptr;
        return true;
    }
    // Noise ahead of a good reply.
    for (std::size_t at = 1; at + length <= held_.size(); ++at) {
        if (GoodReplyAt(at, length)) {
            Emit(out, SplitFrame::Kind::Noise, at);
            Emit(out, SplitFrame::Kind::Reply, length, true);
            awaiting_ = nullptr;
            return true;
        }
    }
    // Nothing fits for longer than any request and its reply: the reply was damaged.
    if (held_.size() >= length + kReplySlack) {
        Emit(out, SplitFrame::Kind::Reply, length, false);
        awaiting_ = nullptr;
        return true;
    }
    return false;
}

bool FrameSplitter::StepHunting(std::vector<SplitFrame>& out) {
    std::size_t at = 0;
    while (at < held_.size() && RequestAt(at) == nullptr) {
        ++at;
    }
    if (at == held_.size()) {
        // The last two bytes may begin a header whose function and command bytes are on the way.
        const std::size_t keep = std::min<std::size_t>(2, held_.size());
        if (held_.size() - keep >= kNoiseChunk) {
            Emit(out, SplitFrame::Kind::Noise, held_.size() - keep);
            return true;
        }
        return false;
    }
    if (at > 0) {
        Emit(out, SplitFrame::Kind::Noise, at);
        return true;
    }
    const RequestShape* request = RequestAt(0);
    if (held_.size() < request->length) {
        return false;
    }
    Emit(out, SplitFrame::Kind::Request, request->length);
    out.back().command = request->command;
    awaiting_ = request->replyLength > 0 ? request : nullptr;
    return true;
}

const FrameSplitter::RequestShape* FrameSplitter::RequestAt(std::size_t at) const {
    if (at + 3 > held_.size()) {
        return nullptr;
    }
    for (const RequestShape& shape : shapes_) {
        if (held_[at + 1] == shape.function && held_[at + 2] == shape.code) {
            return &shape;
        }
    }
    return nullptr;
}

bool FrameSplitter::RequestWithReplyAt(std::size_t at) const {
    const RequestShape* request = RequestAt(at);
    return request != nullptr && request->replyLength > 0 &&
           GoodReplyAt(at + request->length, request->replyLength);
}

bool FrameSplitter::GoodReplyAt(std::size_t at, std::size_t length) const {
    return length >= 2 && at + length <= held_.size() &&
           protocol::IsGoodReply(std::string_view(held_).substr(at, length));
}

void FrameSplitter::Emit(std::vector<SplitFrame>& out, SplitFrame::Kind kind, std::size_t length,
                         bool crcGood) {
    SplitFrame frame;
    frame.kind = kind;
    frame.crcGood = crcGood;
    frame.bytes = held_.substr(0, length);
    if (kind == SplitFrame::Kind::Reply && awaiting_ != nullptr) {
        frame.command = awaiting_->command;
    }
    held_.erase(0, length);
    out.push_back(std::move(frame));
}

}  // namespace pelta::watch
