// The core on network ports: Debian's ser2net on 127.0.0.1 in front of pelta-sim's pty, once
// with RFC 2217 and once raw, and servers that vanish, refuse or never answer.

#include <gtest/gtest.h>

#include <optional>

#include "sim_rig.h"
#include "tests/support/network_peers.h"

namespace pelta::e2e {
namespace {

// Requests and replies holding 0xFF (alarm 2 off) cross unharmed: no frame is lost or bad. The
// chosen line values reach the pty through RFC 2217; raw leaves the server's own.
TEST(NetworkPortTest, ser2netCarriesReadsSettingsAndFramesHoldingFF) {
    // What pelta-sim's pty was set to during the exchanges; a pty keeps PARODD, never PARENB.
    const std::pair<bool, const char*> modes[] = {
        {true, "speed=19200 data=8 stop=1 parenb=0 parodd=1"},
        {false, "speed=9600 data=8 stop=1 parenb=0 parodd=0"}};
    for (const auto& [rfc2217, lineSeen] : modes) {
        SCOPED_TRACE(rfc2217 ? "rfc2217" : "raw");
        SimRig rig;
        Ser2net server(rig.Device(), rfc2217);
        rig.UseNetworkPort(server.Url());
        link::LinkSettings& chosen = rig.settings.PortTable[20];
        chosen.PortNumber = 20;
        chosen.Parity = 1;  // "Odd"
        chosen.Speed = 7;   // 19200
        rig.commands.Command5_Click();
        rig.window.In["DateTime3(1)"] = QStringLiteral("06:45");
        rig.commands.Button167_Click(1);
        EXPECT_TRUE(rig.commands.Button163_Click([] {}));
        const QStringList received = rig.ReceivedLines(3);
        EXPECT_EQ(received.filter(QString::fromLatin1(lineSeen)).size(), 3)
            << received.join('\n').toStdString();
        EXPECT_TRUE(SimRig::LoggedHex(received.value(1)).contains(QStringLiteral("FF")));
        EXPECT_TRUE(rig.SentLines(3).join(' ').contains(QStringLiteral(" FF")));
        const protocol::LinkCounters& counted = rig.monitor.LinkStatistics();
        EXPECT_EQ(std::tie(counted.Frames, counted.BadFrames, counted.NoAnswer),
                  std::make_tuple(3, 0, 0));
        EXPECT_TRUE(rig.window.Messages.empty()) << rig.window.Messages[0].first.toStdString();
    }
}

// A server killed while the reply is awaited, or one that takes the connection and never
// answers, costs one missing reply; the next exchange with nobody there fails to open and says
// why, naming the URL.
TEST(NetworkPortTest, serversThatVanishRefuseOrNeverAnswerCostOneMissingReply) {
    const struct {
        const char* Scheme;  // of the silent listener; nullptr: ser2net, killed
        QString Message;     // empty: none
        std::string Reason;  // after the URL in the port layer's reason; empty: none
    } cases[] = {
        {nullptr, {}, {}},
        {"rfc2217", QStringLiteral("Не удается настроить порт на заданные параметры Error: 110"),
         "the server did not answer about the COM-PORT-OPTION"},
        {"tcp", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Scheme ? c.Scheme : "killed");
        SimRig rig({"--late", "600"});
        rig.window.In["Text1_3"] = QStringLiteral("1000");  // the late reply would be in time
        std::optional<Ser2net> server;
        QMetaObject::Connection killer;  // cut before server goes, which is before rig
        const SilentListener listener;
        QString url = QStringLiteral("%1://127.0.0.1:%2").arg(c.Scheme).arg(listener.Port());
        if (c.Scheme == nullptr) {
            url = server.emplace(rig.Device(), true).Url();
            killer =
                QObject::connect(&rig.sim, &QProcess::readyReadStandardOutput, [&rig, &server] {
                    if (!rig.ReceivedLines(0).isEmpty()) {
                        server->Kill();
                    }
                });
        }
        const std::string named = url.toStdString() + ": ";
        rig.UseNetworkPort(url);
        for (const auto& [message, reason, noAnswer] :
             {std::make_tuple(c.Message, c.Reason.empty() ? "" : named + c.Reason, 1),
              std::make_tuple(QStringLiteral("Ошибка открытия порта \\\\.\\COM20"),
                              named + "Connection refused", 2)}) {
            rig.window.Messages.clear();
            rig.commands.Command5_Click();
            QObject::disconnect(killer);
            EXPECT_EQ(rig.window.Messages.empty() ? QString() : rig.window.Messages[0].first,
                      message);
            EXPECT_EQ(rig.api.FailureReason().substr(0, reason.size()), reason);
            EXPECT_EQ(rig.monitor.LinkStatistics().NoAnswer, noAnswer);
            EXPECT_FALSE(rig.channel.IsOpen());
            if (!server) {
                break;  // the second round only once the server is gone
            }
        }
    }
}

}  // namespace
}  // namespace pelta::e2e
