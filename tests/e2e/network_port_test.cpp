// The core on network ports: Debian's ser2net on 127.0.0.1 in front of pelta-sim's pty, once
// with RFC 2217 and once raw, and servers that vanish, refuse or never answer.

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "sim_rig.h"
#include "tests/support/network_peers.h"

namespace pelta::e2e {
namespace {

// Requests and replies holding 0xFF (alarm 2 off) cross unharmed: no frame is lost or bad (a
// reply that lost its 0xFF would be bad). The chosen line values reach the pty through RFC 2217;
// raw leaves the server's own.
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
        // Odd, 19200
        std::tie(chosen.PortNumber, chosen.Parity, chosen.Speed) = std::tuple(20, 1, 7);
        rig.commands.Command5_Click();
        rig.window.In["DateTime3(1)"] = QStringLiteral("06:45");
        rig.commands.Button167_Click(1);
        EXPECT_TRUE(rig.commands.Button163_Click([] {}));
        const QStringList received = rig.ReceivedLines(3);
        EXPECT_EQ(received.filter(QString::fromLatin1(lineSeen)).size(), 3)
            << received.join('\n').toStdString();
        EXPECT_TRUE(SimRig::LoggedHex(received.value(1)).contains(QStringLiteral("FF")));
        EXPECT_EQ(rig.Counted(), std::make_tuple(3, 0, 0));
        EXPECT_TRUE(rig.window.Messages.empty()) << rig.window.Messages[0].first.toStdString();
    }
}

// A server killed while the reply is awaited, or one that takes the connection and never
// answers, costs one missing reply; the next exchange with nobody there fails to open and says
// why, naming the URL.
TEST(NetworkPortTest, serversThatVanishRefuseOrNeverAnswerCostOneMissingReply) {
    const QString timedOut =
        QStringLiteral("Не удается настроить порт на заданные параметры Error: 110");
    // The silent listener's scheme (nullptr: ser2net, killed); the message and the port layer's
    // reason after the URL, empty when none.
    const std::tuple<const char*, QString, std::string> cases[] = {
        {nullptr, {}, {}},
        {"rfc2217", timedOut, "the server did not answer about the COM-PORT-OPTION"},
        {"tcp", {}, {}},
    };
    for (const auto& [scheme, message, reason] : cases) {
        SCOPED_TRACE(scheme ? scheme : "killed");
        SimRig rig({"--late", "600"});
        rig.window.In["Text1_3"] = QStringLiteral("1000");  // the late reply would be in time
        const SilentListener listener;
        std::optional<Ser2net> server;
        QString url = QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(listener.Port());
        QMetaObject::Connection killer;  // cut after the first exchange
        if (scheme == nullptr) {
            url = server.emplace(rig.Device(), true).Url();
            killer = QObject::connect(&rig.sim, &QProcess::readyReadStandardOutput, [&] {
                if (!rig.ReceivedLines(0).isEmpty()) {
                    server->Kill();
                }
            });
        }
        rig.UseNetworkPort(url);
        for (int round = 1; round <= (server ? 2 : 1); ++round) {  // 2: the server is gone
            rig.window.Messages.clear();
            rig.commands.Command5_Click();
            QObject::disconnect(killer);
            EXPECT_EQ(rig.window.Messages.empty() ? QString() : rig.window.Messages[0].first,
                      round == 2 ? QStringLiteral("Ошибка открытия порта \\\\.\\COM20") : message);
            const std::string why = round == 2 ? "Connection refused" : reason;
            const std::string named = why.empty() ? "" : url.toStdString() + ": " + why;
            EXPECT_EQ(rig.core.PortLayer().FailureReason().substr(0, named.size()), named);
            EXPECT_EQ(rig.monitor.LinkStatistics().NoAnswer, round);
        }
    }
}

}  // namespace
}  // namespace pelta::e2e
