// A network port against a scripted server: the server's whole answer is in the socket before
// the port asks, so what the port makes of it is the only thing that can vary.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <tuple>

#include "link/network_port.h"
#include "link_test_support.h"

namespace pelta::link {
namespace {

using testing::Hex;

std::string Ack(int command, const char* value) {
    return Hex("FF FA 2C") + static_cast<char>(100 + command) + Hex(value) + Hex("FF F0");
}

// 19200 bit/s, 8 data bits, odd parity, one stop bit, no flow control.
std::string AcksAsAsked() {
    return Ack(1, "00 00 4B 00") + Ack(2, "08") + Ack(3, "02") + Ack(4, "01") + Ack(5, "01");
}

// Data read after the settings is undoubled around commands, and a server gone ends a read with
// what came instead of waiting its 60 s.
TEST(NetworkPort, telnetSettingsAreAcceptedOnlyAsAnsweredAndNoAnswerNeverHangs) {
    const std::string accept = Hex("FF FD 2C");
    const struct {
        const char* Case;
        std::string Server;
        bool Hangs;  // the server then keeps the connection open and silent
        int Error;
        const char* What;
    } cases[] = {
        // clang-format off
        {"answers in pieces around a notification, DTR and RTS never",
         accept + Ack(7, "30") + AcksAsAsked() + Ack(5, "09"), true, 0, ""},
        {"speed answered otherwise", accept + Ack(1, "00 00 25 80"), true, EINVAL, "speed"},
        {"DTR answered on", accept + AcksAsAsked() + Ack(5, "08"), true, 0, ""},
        {"parity answered even", accept + Ack(3, "03"), true, EINVAL, "parity"},
        {"option refused", Hex("FF FE 2C"), true, EPROTONOSUPPORT, "COM-PORT-OPTION"},
        {"no answer after the speed", accept + Ack(1, "00 00 4B 00"), true, ETIMEDOUT, "data bits"},
        {"server gone before answering, after data",
         accept + Hex("01 FF FF FF FA 2C 6B 00 FF F0 02 FF F1 03"), false, ECONNRESET, "speed"},
        // clang-format on
    };
    Dcb dcb;
    std::tie(dcb.BaudRate, dcb.ByteSize, dcb.Parity) = std::tuple(19200, 8, ParityCode::Odd);
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
        if (!c.Hangs) {
            port.Timeouts = {0, 0, 60000, 0, 0};
        }
        std::uint8_t buffer[32] = {};
        std::uint32_t got = 0;
        EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got),
                  c.Hangs ? "" : Hex("01 FF 02 03"));
        ::close(ends[1]);
    }
}

}  // namespace
}  // namespace pelta::link
