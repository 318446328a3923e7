#include "tools/sim/faults.h"

#include <gtest/gtest.h>

#include "protocol/frame.h"

namespace pelta::sim {
namespace {

TEST(Faults, ShapeTheReply) {
    struct Case {
        const char* name;
        Faults faults;
        std::size_t replyLength;
        bool expectReply;
        std::size_t expectedLength;
        bool expectGood;
    };
    const auto make = [](bool silent, bool badCrc, bool shortReply) {
        Faults f;
        f.silent = silent;
        f.badCrc = badCrc;
        f.shortReply = shortReply;
        return f;
    };
    const Case cases[] = {
        {"none", make(false, false, false), 22, true, 22, true},
        {"silent", make(true, false, false), 22, false, 0, false},
        {"bad crc", make(false, true, false), 22, true, 22, false},
        {"bad crc write", make(false, true, false), 3, true, 3, false},
        {"short state", make(false, false, true), 22, true, 11, false},
        {"short settings", make(false, false, true), 25, true, 12, false},
        {"short write", make(false, false, true), 3, true, 1, false},
        {"silent wins", make(true, true, true), 25, false, 0, false},
    };
    for (const Case& c : cases) {
        const protocol::Frame body(c.replyLength - 2, '\x5A');
        const protocol::Frame reply = protocol::WithCrc(body);
        const auto out = ApplyFaults(c.faults, reply);
        ASSERT_EQ(out.has_value(), c.expectReply) << c.name;
        if (out) {
            EXPECT_EQ(out->size(), c.expectedLength) << c.name;
            EXPECT_EQ(protocol::IsGoodReply(*out), c.expectGood) << c.name;
            // Whatever is sent is the start of the true reply, CRC corruption aside.
            EXPECT_EQ(out->substr(0, std::min(out->size(), body.size())),
                      reply.substr(0, std::min(out->size(), body.size())))
                << c.name;
        }
    }
}

TEST(Faults, NoReplyStaysNoReply) {
    Faults f;
    f.badCrc = true;
    f.shortReply = true;
    EXPECT_FALSE(ApplyFaults(f, std::nullopt));
}

}  // namespace
}  // namespace pelta::sim
