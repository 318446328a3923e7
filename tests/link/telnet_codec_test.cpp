// The Telnet/RFC 2217 codec: what goes on the wire, and what a stream from a terminal server
// (cut anywhere into reads) yields as line bytes, negotiation answers and COM-port replies.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/com_port_settings.h"
#include "link/port_url.h"
#include "link/telnet_codec.h"

namespace pelta::link::telnet {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int v : values) {
        bytes += static_cast<char>(v);
    }
    return bytes;
}

TEST(TelnetCodec, sendingSideDoublesEveryIacInDataAndInSubnegotiationValues) {
    EXPECT_EQ(EncodeData(Bytes({1, 255, 0, 255, 255})),
              Bytes({1, 255, 255, 0, 255, 255, 255, 255}));
    EXPECT_EQ(ComPortRequest(ComPortCommand::SetBaudRate, BaudRateValue(0x1FF00)),
              Bytes({255, 250, 44, 1, 0, 1, 255, 255, 0, 255, 240}));
    EXPECT_EQ(TelnetReceiver().Offers(true), Bytes({255, 251, 0, 255, 253, 0, 255, 251, 44}));
}

TEST(TelnetCodec, receivingSideSplitsTheStreamWhereverTheReadsCutIt) {
    const struct {
        const char* Case;
        std::vector<std::string> Reads;
        std::string Data;
        std::string Answers;
        std::vector<ComPortReply> Replies;
    } cases[] = {
        {"doubled 0xFF undoubled", {Bytes({1, 255, 255, 2})}, Bytes({1, 255, 2}), "", {}},
        {"IAC IAC split across reads",
         {Bytes({7, 255}), Bytes({255, 8})},
         Bytes({7, 255, 8}),
         "",
         {}},
        {"NOP and GA consumed",
         {Bytes({1, 255, 241, 2, 255}), Bytes({249, 3})},
         Bytes({1, 2, 3}),
         "",
         {}},
        {"ser2net's greeting: our offers confirmed silently, SGA and ECHO refused",
         {Bytes({255, 251, 3,   255, 253, 3,   255, 251, 1,   255, 254,
                 1,   255, 253, 0,   255, 251, 0,   255, 253, 44})},
         "",
         Bytes({255, 254, 3, 255, 252, 3, 255, 254, 1}),
         {}},
        {"an unknown option split after its verb",
         {Bytes({255, 253}), Bytes({24, 5})},
         Bytes({5}),
         Bytes({255, 252, 24}),
         {}},
        {"refusals of options never on are not answered",
         {Bytes({255, 252, 9, 255, 254, 9})},
         "",
         "",
         {}},
        {"baud reply split inside, a doubled 0xFF in its value",
         {Bytes({9, 255, 250, 44, 101, 0, 1}), Bytes({255}), Bytes({255, 0, 255}), Bytes({240, 6})},
         Bytes({9, 6}),
         "",
         {{1, Bytes({0, 1, 255, 0})}}},
        {"notification and purge reply, other option's subnegotiation dropped",
         {Bytes({255, 250, 44,  107, 0,   255, 240, 255, 250, 24,
                 1,   255, 240, 255, 250, 44,  112, 1,   255, 240})},
         "",
         "",
         {{7, Bytes({0})}, {12, Bytes({1})}}},
        {"client codes inside the option are not replies",
         {Bytes({255, 250, 44, 1, 0, 255, 240})},
         "",
         "",
         {}},
        {"a command inside a subnegotiation ends it",
         {Bytes({255, 250, 44, 101, 255, 253, 24, 4})},
         Bytes({4}),
         Bytes({255, 252, 24}),
         {}},
    };
    for (const auto& c : cases) {
        TelnetReceiver receiver;
        receiver.Offers(true);
        TelnetReceiver::Output out;
        for (const std::string& read : c.Reads) {
            receiver.Receive(read, out);
        }
        EXPECT_EQ(out.Data, c.Data) << c.Case;
        EXPECT_EQ(out.Answers, c.Answers) << c.Case;
        EXPECT_EQ(out.Replies, c.Replies) << c.Case;
    }
}

TEST(TelnetCodec, comPortOptionIsAcceptedOrRefusedAndServerOffersAreAnsweredOnce) {
    TelnetReceiver offered;
    offered.Offers(true);
    TelnetReceiver::Output out;
    offered.Receive(Bytes({255, 253, 44}), out);
    EXPECT_TRUE(offered.ComPortAccepted());
    offered.Receive(Bytes({255, 254, 44}), out);
    EXPECT_TRUE(offered.ComPortRefused());
    EXPECT_EQ(out.Answers, Bytes({255, 252, 44})) << "turned off after being on: confirmed";

    TelnetReceiver silent;  // the server offers first
    TelnetReceiver::Output first;
    silent.Receive(Bytes({255, 251, 0, 255, 251, 0, 255, 253, 44, 255, 253, 44}), first);
    EXPECT_EQ(first.Answers, Bytes({255, 253, 0, 255, 251, 44}));
    EXPECT_TRUE(silent.ComPortAccepted());
}

TEST(ComPortSettings, dcbBecomesRfc2217ValuesAndRepliesFindTheirSetting) {
    Dcb dcb;
    dcb.BaudRate = 19200;
    dcb.ByteSize = 7;
    dcb.Parity = 1;    // odd
    dcb.StopBits = 1;  // one and a half
    const auto settings = link::ComPortSettingsFor(dcb);
    std::string values;
    for (const auto& s : settings) {
        values += s.Value;
    }
    EXPECT_EQ(values, Bytes({0, 0, 0x4B, 0, 7, 2, 3, 1, 9, 12}));
    const struct {
        ComPortReply Reply;
        int Setting;
    } answers[] = {{{1, Bytes({0, 0, 0x4B, 0})}, 0},
                   {{4, Bytes({1})}, 3},
                   {{5, Bytes({3})}, 4},
                   {{5, Bytes({9})}, 5},
                   {{5, Bytes({11})}, 6},
                   {{5, Bytes({14})}, -1},
                   {{7, Bytes({0})}, -1}};
    for (const auto& a : answers) {
        EXPECT_EQ(link::SettingAnswered(settings, a.Reply), a.Setting) << int(a.Reply.Command);
    }
}

TEST(PortUrl, namesParseOrAreRefused) {
    using Kind = PortUrl::Kind;
    const struct {
        const char* Name;
        std::optional<PortUrl> Url;
    } cases[] = {
        {"tcp://127.0.0.1:4001", PortUrl{Kind::Raw, "127.0.0.1", 4001}},
        {"rfc2217://ts-hall.local:65535", PortUrl{Kind::Rfc2217, "ts-hall.local", 65535}},
        {"rfc2217://[::1]:2217", PortUrl{Kind::Rfc2217, "::1", 2217}},
        {"tcp://::1:2217", std::nullopt},
        {"tcp://host:0", std::nullopt},
        {"tcp://host:65536", std::nullopt},
        {"tcp://host:12x", std::nullopt},
        {"tcp://:4001", std::nullopt},
        {"tcp://[::1]4001", std::nullopt},
        {"telnet://host:23", std::nullopt},
        {"COM3", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParsePortUrl(c.Name), c.Url) << c.Name;
    }
    EXPECT_FALSE(IsNetworkPortName("/dev/ttyUSB0"));
}

}  // namespace
}  // namespace pelta::link::telnet
