// A network port against a scripted server: the server's whole answer is in the socket before
// the port asks, so what the port makes of it is the only thing that can vary.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "link/network_port.h"

namespace pelta::link {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int v : values) {
        bytes += static_cast<char>(v);
    }
    return bytes;
}

std::string Ack(int command, const std::string& value) {
    return Bytes({255, 250, 44, 100 + command}) + value + Bytes({255, 240});
}

// 19200 bit/s, 8 data bits, odd parity, one stop bit, no flow control.
std::string AcksAsAsked() {
    return Ack(1, Bytes({0, 0, 0x4B, 0})) + Ack(2, Bytes({8})) + Ack(3, Bytes({2})) +
           Ack(4, Bytes({1})) + Ack(5, Bytes({1}));
}

TEST(NetworkPort, telnetSettingsAreAcceptedOnlyAsAnsweredAndNoAnswerNeverHangs) {
    const std::string accept = Bytes({255, 253, 44});
    const struct {
        const char* Case;
        std::string Server;
        bool Hangs;  // the server then keeps the connection open and silent
        int Error;
        const char* What;
    } cases[] = {
        {"all answered, DTR and RTS never", accept + AcksAsAsked(), true, 0, ""},
        {"answers in pieces around a notification",
         accept + Ack(7, Bytes({0x30})) + AcksAsAsked() + Ack(5, Bytes({9})), true, 0, ""},
        {"speed answered otherwise", accept + Ack(1, Bytes({0, 0, 0x25, 0x80})), true, EINVAL,
         "speed"},
        {"DTR answered on", accept + AcksAsAsked() + Ack(5, Bytes({8})), true, 0, ""},
        {"parity answered even", accept + Ack(3, Bytes({3})), true, EINVAL, "parity"},
        {"option refused", Bytes({255, 254, 44}), true, EPROTONOSUPPORT, "COM-PORT-OPTION"},
        {"no answer after the speed", accept + Ack(1, Bytes({0, 0, 0x4B, 0})), true, ETIMEDOUT,
         "data bits"},
        {"server gone before answering", accept, false, ECONNRESET, "speed"},
        {"server silent", "", true, ETIMEDOUT, "COM-PORT-OPTION"},
    };
    Dcb dcb;
    dcb.BaudRate = 19200;
    dcb.ByteSize = 8;
    dcb.Parity = ParityCode::Odd;
    for (const auto& c : cases) {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends), 0);
        ASSERT_EQ(::write(ends[1], c.Server.data(), c.Server.size()),
                  static_cast<ssize_t>(c.Server.size()));
        if (!c.Hangs) {
            ::shutdown(ends[1], SHUT_WR);
        }
        NetworkPort port(ends[0], PortUrl::Kind::Rfc2217, 50);
        std::string what;
        EXPECT_EQ(port.Configure(dcb, &what), c.Error) << c.Case;
        EXPECT_EQ(what, c.What) << c.Case;
        ::close(ends[1]);
    }
}

TEST(NetworkPort, readsUndoubledDataAroundCommandsAndWhatCameBeforeTheServerLeft) {
    const struct {
        PortUrl::Kind Kind;
        std::string Server;
        std::string Data;
    } cases[] = {
        {PortUrl::Kind::Rfc2217,
         Bytes({1, 255, 255, 255, 250, 44, 107, 0, 255, 240, 2, 255, 241, 3}),
         Bytes({1, 255, 2, 3})},
        {PortUrl::Kind::Raw, Bytes({1, 255, 255, 2}), Bytes({1, 255, 255, 2})},
    };
    for (const auto& c : cases) {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends), 0);
        ASSERT_EQ(::write(ends[1], c.Server.data(), c.Server.size()),
                  static_cast<ssize_t>(c.Server.size()));
        ::close(ends[1]);  // gone: the read ends with what came instead of waiting its 60 s
        NetworkPort port(ends[0], c.Kind, 50);
        port.Timeouts = {0, 0, 60000, 0, 0};
        std::uint8_t buffer[32] = {};
        std::uint32_t got = 0;
        EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got), c.Data);
    }
}

}  // namespace
}  // namespace pelta::link
