// The core on network ports: Debian's ser2net on 127.0.0.1 in front of pelta-sim's pty, once
// with RFC 2217 and once raw, and servers that refuse, vanish or never answer.

#include <gtest/gtest.h>

#include <QLocale>
#include <QRegularExpression>
#include <optional>

#include "sim_rig.h"
#include "tests/support/network_peers.h"

namespace pelta::e2e {
namespace {

class NetworkPortTest : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // The hex of every frame the monitor showed in one direction (":Tx >-- " or ":Rx <-- ").
    static QStringList MonitorFrames(const QString& text, const QString& marker) {
        QStringList frames;
        for (const QString& line : text.split('\n')) {
            if (const auto at = line.indexOf(marker); at >= 0) {
                frames << line.mid(at + marker.size()).trimmed();
            }
        }
        return frames;
    }
    static QStringList LoggedFrames(const QStringList& logLines) {
        QStringList frames;
        for (const QString& line : logLines) {
            frames << SimRig::LoggedHex(line);
        }
        return frames;
    }
};

TEST_F(NetworkPortTest, ser2netCarriesReadsSettingsAndFramesHoldingFF) {
    const struct {
        bool Rfc2217;
        const char* LineSeen;  // what pelta-sim's pty was set to during the exchanges
    } modes[] = {
        // 19200 and odd parity as chosen (a pty keeps PARODD but never PARENB).
        {true, "speed=19200 data=8 stop=1 parenb=0 parodd=1"},
        {false, "speed=9600 data=8 stop=1 parenb=0 parodd=0"},  // the server's own
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.Rfc2217 ? "rfc2217" : "raw");
        SimRig rig;
        Ser2net server(rig.Device(), mode.Rfc2217);
        rig.UseNetworkPort(server.Url());
        link::LinkSettings chosen;
        chosen.PortNumber = 20;
        chosen.Parity = 1;  // "Odd"
        chosen.Speed = 7;   // 19200
        rig.settings.PortTable[20] = chosen;

        rig.commands.Command5_Click();
        EXPECT_EQ(rig.window.Shown["Label5"], QStringLiteral("Температура: 21,5 °C"));
        rig.window.In["DateTime3(1)"] = QStringLiteral("06:45");
        rig.commands.Button167_Click(1);  // alarm 2 off: 0xFF in the request
        EXPECT_TRUE(rig.commands.Button163_Click([] {}));
        EXPECT_TRUE(rig.window.Writes.contains(QStringLiteral("Check1(1)=off")));

        const QStringList received = rig.ReceivedLines(3);
        const QStringList sent = rig.SentLines(3);
        ASSERT_EQ(received.size(), 3);
        for (const QString& line : received) {
            EXPECT_TRUE(line.contains(QString::fromLatin1(mode.LineSeen))) << line.toStdString();
        }
        const QStringList requests = MonitorFrames(rig.window.Text, QStringLiteral(":Tx >-- "));
        const QStringList replies = MonitorFrames(rig.window.Text, QStringLiteral(":Rx <-- "));
        EXPECT_EQ(requests, LoggedFrames(received));
        EXPECT_EQ(replies, LoggedFrames(sent));
        EXPECT_TRUE(requests.join(' ').contains(QStringLiteral("FF")));
        EXPECT_TRUE(replies.join(' ').contains(QStringLiteral("FF")));
        EXPECT_EQ(rig.monitor.LinkStatistics().Frames, 3);
        EXPECT_EQ(rig.monitor.LinkStatistics().BadFrames + rig.monitor.LinkStatistics().NoAnswer,
                  0);
        EXPECT_TRUE(rig.window.Messages.empty()) << rig.window.Messages[0].first.toStdString();
        EXPECT_EQ(rig.channel.PortHandle, 0);
    }
}

TEST_F(NetworkPortTest, serversThatVanishRefuseOrNeverAnswerCostOneMissingReply) {
    const QString openFailed = QStringLiteral("Ошибка открытия порта \\\\.\\COM20");
    enum class Peer { KilledSer2net, Nobody, SilentRfc2217, SilentRaw };
    const struct {
        Peer Serving;
        QString FirstMessage;  // of the first exchange; empty: none
        const char* Reason;    // in the port layer's reason after it
    } cases[] = {
        {Peer::KilledSer2net, {}, ""},  // killed while the reply is awaited
        {Peer::Nobody, openFailed, "Connection refused"},
        {Peer::SilentRfc2217,
         QStringLiteral("Не удается настроить порт на заданные параметры Error: 110"),
         "COM-PORT-OPTION"},
        {Peer::SilentRaw, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Serving));
        SimRig rig({"--late", "600"});
        rig.window.In["Text1_3"] = QStringLiteral("1000");  // the late reply would be in time
        std::optional<Ser2net> server;
        QMetaObject::Connection killer;  // cut before server goes, which is before rig
        const SilentListener listener;
        QString url = QStringLiteral("%1://127.0.0.1:%2")
                          .arg(c.Serving == Peer::SilentRaw ? "tcp" : "rfc2217")
                          .arg(c.Serving == Peer::Nobody ? FreeTcpPort() : listener.Port());
        if (c.Serving == Peer::KilledSer2net) {
            url = server.emplace(rig.Device(), true).Url();
            killer =
                QObject::connect(&rig.sim, &QProcess::readyReadStandardOutput, [&rig, &server] {
                    if (!rig.ReceivedLines(0).isEmpty()) {
                        server->Kill();
                    }
                });
        }
        rig.UseNetworkPort(url);
        rig.commands.Command5_Click();
        QObject::disconnect(killer);
        const protocol::LinkCounters& counted = rig.monitor.LinkStatistics();
        EXPECT_EQ(std::tie(counted.Frames, counted.NoAnswer), std::make_tuple(1, 1));
        if (c.FirstMessage.isEmpty()) {
            EXPECT_TRUE(rig.window.Messages.empty()) << rig.window.Messages[0].first.toStdString();
        } else {
            ASSERT_FALSE(rig.window.Messages.empty());
            EXPECT_EQ(rig.window.Messages[0].first, c.FirstMessage);
            EXPECT_TRUE(rig.api.FailureReason().starts_with(url.toStdString() + ": "))
                << rig.api.FailureReason();
        }
        EXPECT_NE(rig.api.FailureReason().find(c.Reason), std::string::npos)
            << rig.api.FailureReason();
        EXPECT_FALSE(rig.channel.IsOpen());
        if (server) {  // the next exchange fails to open, cleanly
            rig.window.Messages.clear();
            rig.commands.Command5_Click();
            ASSERT_FALSE(rig.window.Messages.empty());
            EXPECT_EQ(rig.window.Messages[0].first, openFailed);
            EXPECT_NE(rig.api.FailureReason().find("Connection refused"), std::string::npos);
            EXPECT_EQ(counted.NoAnswer, 2);
        }
    }
}

}  // namespace
}  // namespace pelta::e2e
