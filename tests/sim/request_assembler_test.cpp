#include "tools/sim/request_assembler.h"

#include <gtest/gtest.h>

#include "test_bytes.h"

namespace pelta::sim {
namespace {

using test::Bytes;
using namespace std::chrono_literals;

struct Chunk {
    int atMs;
    std::string bytes;
};

// Feeds the chunks at their times, then lets the line go quiet; returns every frame handed
// out, tagged with the time it came out.
std::vector<std::pair<int, std::string>> Assemble(const std::vector<Chunk>& chunks) {
    RequestAssembler assembler(50ms);
    const RequestAssembler::TimePoint start{};
    std::vector<std::pair<int, std::string>> frames;
    auto expireUntil = [&](int ms) {
        for (int t = 0; t <= ms; ++t) {
            if (auto f = assembler.Expire(start + std::chrono::milliseconds(t))) {
                frames.emplace_back(t, *f);
            }
        }
    };
    for (const Chunk& c : chunks) {
        expireUntil(c.atMs - 1);
        if (auto f = assembler.Feed(c.bytes, start + std::chrono::milliseconds(c.atMs))) {
            frames.emplace_back(c.atMs, *f);
        }
    }
    expireUntil(1000);
    EXPECT_FALSE(assembler.Deadline());
    return frames;
}

TEST(RequestAssembler, SplitsBurstsIntoFrames) {
    const std::string read = Bytes({1, 0x32, 0xBE});
    const std::string alarm = Bytes({1, 0x5A, 0x5F, 0, 6, 30, 2});
    struct Case {
        const char* name;
        std::vector<Chunk> chunks;
        std::vector<std::pair<int, std::string>> frames;
    };
    const Case cases[] = {
        {"whole request at once", {{0, read}}, {{0, read}}},
        {"request in pieces",
         {{0, alarm.substr(0, 2)}, {10, alarm.substr(2, 3)}, {20, alarm.substr(5)}},
         {{20, alarm}}},
        {"two requests apart", {{0, read}, {100, alarm}}, {{0, read}, {100, alarm}}},
        {"unknown command waits for the gap",
         {{0, Bytes({1, 0x32, 0x99})}},
         {{50, Bytes({1, 0x32, 0x99})}}},
        {"stopped early", {{0, alarm.substr(0, 5)}}, {{50, alarm.substr(0, 5)}}},
        {"overlong burst stays one frame", {{0, read + Bytes({0})}}, {{50, read + Bytes({0})}}},
        {"a late piece starts a new burst",
         {{0, alarm.substr(0, 4)}, {60, alarm.substr(4)}},
         {{50, alarm.substr(0, 4)}, {110, alarm.substr(4)}}},
        {"header bytes one by one",
         {{0, read.substr(0, 1)}, {30, read.substr(1, 1)}, {60, read.substr(2)}},
         {{60, read}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Assemble(c.chunks), c.frames) << c.name;
    }
}

TEST(RequestAssembler, DeadlineFollowsLastArrival) {
    RequestAssembler assembler(50ms);
    const RequestAssembler::TimePoint start{};
    EXPECT_FALSE(assembler.Deadline());
    EXPECT_FALSE(assembler.Feed(Bytes({1}), start));
    EXPECT_EQ(assembler.Deadline(), start + 50ms);
    EXPECT_FALSE(assembler.Feed(Bytes({0x32}), start + 30ms));
    EXPECT_EQ(assembler.Deadline(), start + 80ms);
    EXPECT_FALSE(assembler.Expire(start + 79ms));
    EXPECT_EQ(assembler.Expire(start + 80ms), Bytes({1, 0x32}));
}

}  // namespace
}  // namespace pelta::sim
