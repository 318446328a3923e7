#include <gtest/gtest.h>

#include "protocol/frame.h"
#include "tools/ctl/watch/frame_splitter.h"

namespace pelta::watch {
namespace {

const std::string kReadState("\x01\x32\xBE", 3);
const std::string kStateReply =
    protocol::WithCrc(std::string("\x01\x32\xBE", 3) + std::string(17, '\x07'));
const std::string kAlarm("\x07\x5A\x5F\x00\x06\x1E\x02", 7);
const std::string kAlarmReply = protocol::WithCrc(std::string(1, '\x00'));
const std::string kDamagedReply =
    kStateReply.substr(0, kStateReply.size() - 1) + static_cast<char>(kStateReply.back() ^ 0x40);

// A frame as "request 1", "reply 6 good", "reply 1 bad" or "noise".
std::string Shown(const SplitFrame& f) {
    if (f.kind == SplitFrame::Kind::Noise) {
        return "noise";
    }
    const std::string number = " " + std::to_string(f.command);
    return f.kind == SplitFrame::Kind::Request ? "request" + number
                                               : "reply" + number + (f.crcGood ? " good" : " bad");
}

TEST(FrameSplitter, cutsTheLineIntoFramesWhateverTheChunksAndFindsItsWayBackAfterNoise) {
    const struct {
        std::string line;
        std::vector<std::string> frames;
        std::size_t untilQuiet = 0;  // how many of the last frames wait for the line to go quiet
    } cases[] = {
        {"\xAA\x55\x32" + kAlarm + kAlarmReply, {"noise", "request 6", "reply 6 good"}},
        {kReadState + "\xFF\x00" + kStateReply, {"request 1", "noise", "reply 1 good"}},
        // A damaged reply, then the next exchange.
        {kReadState + kDamagedReply + kAlarm + kAlarmReply,
         {"request 1", "reply 1 bad", "request 6", "reply 6 good"}},
        // A silent controller, then the next exchange.
        {kAlarm + kReadState + kStateReply, {"request 6", "request 1", "reply 1 good"}},
        {kReadState + kStateReply.substr(0, 10), {"request 1", "reply 1 bad"}, 1},
        {std::string("\x10\x20\x30\x40", 4), {"noise"}, 1},
    };
    for (const auto& c : cases) {
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{5}, c.line.size()}) {
            FrameSplitter splitter;
            std::string joined;
            std::vector<std::string> shown;
            const auto take = [&](const std::vector<SplitFrame>& frames) {
                for (const SplitFrame& f : frames) {
                    joined += f.bytes;
                    shown.push_back(Shown(f));
                }
            };
            for (std::size_t at = 0; at < c.line.size(); at += chunk) {
                take(splitter.Feed(std::string_view(c.line).substr(at, chunk)));
            }
            EXPECT_EQ(shown.size() + c.untilQuiet, c.frames.size()) << "chunks of " << chunk;
            take(splitter.Idle());
            EXPECT_EQ(joined, c.line) << "chunks of " << chunk;
            EXPECT_EQ(shown, c.frames) << "chunks of " << chunk;
        }
    }
}

}  // namespace
}  // namespace pelta::watch
