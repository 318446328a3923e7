// Network ports. The Telnet/RFC 2217 codec: what goes on the wire, and what a stream from a
// terminal server (cut anywhere into reads) yields as line bytes, negotiation answers and
// COM-port replies. A port against a scripted server: the server's whole answer is in the socket
// before the port asks, so what the port makes of it is the only thing that can vary.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QList>
#include <cerrno>
#include <numeric>
#include <string>
#include <vector>

#include "link/com_port_settings.h"
#include "link/network_port.h"
#include "link/port_url.h"
#include "link/telnet_codec.h"

namespace pelta::link {
namespace {

using namespace telnet;

// Bytes written as hex pairs, blanks between them: "FF FA 2C".
std::string Hex(const char* text) {
    return QByteArray::fromHex(text).toStdString();
}

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
        // Answers in pieces around a notification; DTR and RTS never answered.
        {"as asked", accept + Ack(7, "30") + AcksAsAsked() + Ack(5, "09"), true, 0, ""},
        {"speed answered otherwise", accept + Ack(1, "00 00 25 80"), true, EINVAL, "speed"},
        {"DTR answered on", accept + AcksAsAsked() + Ack(5, "08"), true, 0, ""},
        {"parity answered even", accept + Ack(3, "03"), true, EINVAL, "parity"},
        {"option refused", Hex("FF FE 2C"), true, EPROTONOSUPPORT, "COM-PORT-OPTION"},
        {"no answer after the speed", accept + Ack(1, "00 00 4B 00"), true, ETIMEDOUT, "data bits"},
        {"server gone before answering, after data",
         accept + Hex("01 FF FF FF FA 2C 6B 00 FF F0 02 FF F1 03"), false, ECONNRESET, "speed"},
        // clang-format on
    };
    const Dcb dcb{.BaudRate = 19200, .ByteSize = 8, .Parity = ParityCode::Odd};
    for (const auto& c : cases) {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends), 0);
        ASSERT_EQ(::write(ends[1], c.Server.data(), c.Server.size()),
                  static_cast<ssize_t>(c.Server.size()));
        NetworkPort port(ends[0], PortUrl::Kind::Rfc2217, 50);
        if (!c.Hangs) {
            ::shutdown(ends[1], SHUT_WR);
            port.Timeouts = {0, 0, 60000, 0, 0};  // the read that follows the settings
        }
        std::string what;
        EXPECT_EQ(port.Configure(dcb, &what), c.Error) << c.Case;
        EXPECT_EQ(what, c.What) << c.Case;
        std::uint8_t buffer[32] = {};
        std::uint32_t got = 0;
        EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got),
                  c.Hangs ? "" : Hex("01 FF 02 03"));
        ::close(ends[1]);
    }
}

// Every IAC in data and in subnegotiation values goes doubled.
TEST(TelnetCodec, doublesIacWhenSendingAndSplitsTheStreamWhereverTheReadsCutIt) {
    EXPECT_EQ(EncodeData(Hex("01 FF 00 FF FF")), Hex("01 FF FF 00 FF FF FF FF"));
    EXPECT_EQ(ComPortRequest(ComPortCommand::SetBaudRate, BaudRateValue(0x1FF00)),
              Hex("FF FA 2C 01 00 01 FF FF 00 FF F0"));
    EXPECT_EQ(TelnetReceiver().Offers(true), Hex("FF FB 00 FF FD 00 FF FB 2C"));
    const struct {
        const char *Reads, *Data, *Answers;  // hex; "|" between reads
        std::vector<ComPortReply> Replies;
    } cases[] = {
        // clang-format off
        {"07 FF|FF 08", "07 FF 08", "", {}},  // IAC IAC split across reads
        {"01 FF F1 02 FF|F9 03", "01 02 03", "", {}},  // NOP and GA consumed
        // ser2net's greeting: our offers confirmed silently, SGA and ECHO refused
        {"FF FB 03 FF FD 03 FF FB 01 FF FE 01 FF FD 00 FF FB 00 FF FD 2C", "",
         "FF FE 03 FF FC 03 FF FE 01", {}},
        {"FF FD|18 05", "05", "FF FC 18", {}},  // an unknown option split after its verb
        {"FF FC 09 FF FE 09", "", "", {}},  // refusals of options never on are not answered
        {"FF FD 2C FF FE 2C", "", "FF FC 2C", {}},  // COM-PORT accepted, then off: confirmed
        // A baud reply split inside, a doubled 0xFF in its value.
        {"09 FF FA 2C 65 00 01|FF|FF 00 FF|F0 06", "09 06", "", {{1, Hex("00 01 FF 00")}}},
        // A notification and a purge reply; another option's subnegotiation dropped.
        {"FF FA 2C 6B 00 FF F0 FF FA 18 01 FF F0 FF FA 2C 70 01 FF F0", "", "",
         {{7, Hex("00")}, {12, Hex("01")}}},
        {"FF FA 2C 01 00 FF F0", "", "", {}},  // client codes inside the option are not replies
        {"FF FA 2C 65 FF FD 18 04", "04", "FF FC 18", {}},  // a command ends a subnegotiation
        // clang-format on
    };
    for (const auto& c : cases) {
        TelnetReceiver receiver;
        receiver.Offers(true);
        TelnetReceiver::Output out;
        for (const QByteArray& read : QByteArray(c.Reads).split('|')) {
            receiver.Receive(QByteArray::fromHex(read).toStdString(), out);
        }
        EXPECT_EQ(out.Data, Hex(c.Data)) << c.Reads;
        EXPECT_EQ(out.Answers, Hex(c.Answers)) << c.Reads;
        EXPECT_EQ(out.Replies, c.Replies) << c.Reads;
    }
}

TEST(ComPortSettings, dcbBecomesRfc2217ValuesAndRepliesFindTheirSetting) {
    const Dcb dcb{.BaudRate = 19200, .ByteSize = 7, .Parity = 1, .StopBits = 1};
    const auto settings = link::ComPortSettingsFor(dcb);  // odd parity, one and a half stop bits
    EXPECT_EQ(std::accumulate(settings.begin(), settings.end(), std::string(),
                              [](std::string all, const auto& s) { return all + s.Value; }),
              Hex("00 00 4B 00 07 02 03 01 09 0C"));
    const std::pair<ComPortReply, int> answers[] = {
        {{1, Hex("00 00 4B 00")}, 0}, {{4, Hex("01")}, 3}, {{5, Hex("03")}, 4},
        {{5, Hex("09")}, 5},          {{5, Hex("0B")}, 6}, {{5, Hex("0E")}, -1}};
    for (const auto& [reply, setting] : answers) {
        EXPECT_EQ(link::SettingAnswered(settings, reply), setting) << int(reply.Command);
    }
}

TEST(PortUrl, namesParseOrAreRefused) {
    using Kind = PortUrl::Kind;
    const std::pair<const char*, PortUrl> parsed[] = {
        {"tcp://127.0.0.1:4001", {Kind::Raw, "127.0.0.1", 4001}},
        {"rfc2217://ts-hall.local:65535", {Kind::Rfc2217, "ts-hall.local", 65535}},
        {"rfc2217://[::1]:2217", {Kind::Rfc2217, "::1", 2217}}};
    for (const auto& [name, url] : parsed) {
        EXPECT_EQ(ParsePortUrl(name), url) << name;
    }
    for (const char* name :
         {"tcp://::1:2217", "tcp://host:0", "tcp://host:65536", "tcp://host:12x", "tcp://:4001",
          "rfc2217://host", "tcp://[::1]4001", "telnet://host:23", "COM3"}) {
        EXPECT_EQ(ParsePortUrl(name), std::nullopt) << name;
    }
}

}  // namespace
}  // namespace pelta::link
