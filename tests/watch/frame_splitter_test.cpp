#include <gtest/gtest.h>

#include "protocol/frame.h"
#include "tools/ctl/watch/frame_splitter.h"

namespace pelta::watch {
namespace {

using Kind = SplitFrame::Kind;

const std::string kReadState("\x01\x32\xBE", 3);
const std::string kStateReply =
    protocol::WithCrc(std::string("\x01\x32\xBE", 3) + std::string(17, '\x07'));
const std::string kAlarm("\x07\x5A\x5F\x00\x06\x1E\x02", 7);
const std::string kAlarmReply = protocol::WithCrc(std::string(1, '\x00'));
std::string Damaged(std::string reply) {
    reply.back() = static_cast<char>(reply.back() ^ 0x40);
    return reply;
}

struct Expected {
    Kind kind;
    std::int16_t command;
    bool crcGood;
};

TEST(FrameSplitter, cutsTheLineIntoFramesWhateverTheChunksAndFindsItsWayBackAfterNoise) {
    const struct {
        const char* what;
        std::string line;
        std::vector<Expected> frames;
        std::size_t untilQuiet = 0;  // how many of the last frames wait for the line to go quiet
    } cases[] = {
        {"a read and its reply",
         kReadState + kStateReply,
         {{Kind::Request, 1, false}, {Kind::Reply, 1, true}}},
        {"a write and its reply",
         kAlarm + kAlarmReply,
         {{Kind::Request, 6, false}, {Kind::Reply, 6, true}}},
        {"noise before a request",
         "\xAA\x55\x32" + kAlarm + kAlarmReply,
         {{Kind::Noise, 0, false}, {Kind::Request, 6, false}, {Kind::Reply, 6, true}}},
        {"noise between request and reply",
         kReadState + "\xFF\x00" + kStateReply,
         {{Kind::Request, 1, false}, {Kind::Noise, 0, false}, {Kind::Reply, 1, true}}},
        {"a damaged reply, then the next exchange",
         kReadState + Damaged(kStateReply) + kAlarm + kAlarmReply,
         {{Kind::Request, 1, false},
          {Kind::Reply, 1, false},
          {Kind::Request, 6, false},
          {Kind::Reply, 6, true}}},
        {"a silent controller, then the next exchange",
         kAlarm + kReadState + kStateReply,
         {{Kind::Request, 6, false}, {Kind::Request, 1, false}, {Kind::Reply, 1, true}}},
        {"a reply cut short, then quiet",
         kReadState + kStateReply.substr(0, 10),
         {{Kind::Request, 1, false}, {Kind::Reply, 1, false}},
         1},
        {"only noise", std::string("\x10\x20\x30\x40", 4), {{Kind::Noise, 0, false}}, 1},
    };
    for (const auto& c : cases) {
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{5}, c.line.size()}) {
            FrameSplitter splitter;
            std::vector<SplitFrame> frames;
            for (std::size_t at = 0; at < c.line.size(); at += chunk) {
                for (SplitFrame& f : splitter.Feed(std::string_view(c.line).substr(at, chunk))) {
                    frames.push_back(std::move(f));
                }
            }
            EXPECT_EQ(frames.size() + c.untilQuiet, c.frames.size())
                << c.what << ", chunks of " << chunk;
            for (SplitFrame& f : splitter.Idle()) {
                frames.push_back(std::move(f));
            }
            std::string joined;
            std::vector<Expected> got;
            for (const SplitFrame& f : frames) {
                joined += f.bytes;
                got.push_back({f.kind, f.command, f.crcGood});
            }
            EXPECT_EQ(joined, c.line) << c.what << ", chunks of " << chunk;
            ASSERT_EQ(got.size(), c.frames.size()) << c.what << ", chunks of " << chunk;
            for (std::size_t i = 0; i < got.size(); ++i) {
                EXPECT_EQ(got[i].kind, c.frames[i].kind) << c.what << " frame " << i;
                EXPECT_EQ(got[i].command, c.frames[i].command) << c.what << " frame " << i;
                EXPECT_EQ(got[i].crcGood, c.frames[i].crcGood) << c.what << " frame " << i;
            }
        }
    }
}

}  // namespace
}  // namespace pelta::watch
