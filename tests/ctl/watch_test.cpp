// pelta-ctl watch and listen as an operator runs them: against pelta-sim on a pty, with
// Debian's mosquitto and promtool, and on a pty pair where the test drives the line itself.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "tests/e2e/sim_rig.h"
#include "tests/link/link_test_support.h"
#include "tests/support/network_peers.h"
#include "tests/support/run_program.h"
#include "tools/ctl/watch/mqtt_messages.h"

namespace pelta::ctl {
namespace {

using e2e::SimRig;

QJsonObject Json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "<unreadable>";
}

// pelta-ctl running in the background, with the simulator's port map and a scratch config.
class Ctl {
  public:
    Ctl(const QString& runtimeDir, const QStringList& args) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtimeDir);
        environment.insert("XDG_CONFIG_HOME", config_.path());
        process.setProcessEnvironment(environment);
        process.start(PELTA_CTL_PROGRAM, args);
    }
    ~Ctl() { Stop(SIGKILL); }
    // Its stdout lines once there are at least `count`, waiting up to a minute.
    QStringList Lines(int count) {
        for (QDeadlineTimer deadline(60000); out_.count('\n') < count && !deadline.hasExpired();) {
            process.waitForReadyRead(1000);
            out_ += QString::fromUtf8(process.readAllStandardOutput());
        }
        return out_.split('\n', Qt::SkipEmptyParts);
    }
    // The exit code after the signal, -1 for a crash or no exit within 30 s.
    int Stop(int signal) {
        if (process.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(process.processId()), signal);
            process.waitForFinished(30000);
        }
        out_ += QString::fromUtf8(process.readAllStandardOutput());
        const bool exited =
            process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit;
        return exited ? process.exitCode() : -1;
    }
    QString Err() { return QString::fromUtf8(process.readAllStandardError()); }

    QProcess process;

  private:
    QTemporaryDir config_;
    QString out_;
};

TEST(Watch, aStopInTheMiddleOfAnExchangeEndsAtOnceWithEveryFileWhole) {
    SimRig rig;
    const QString port = rig.window.In["cboPortText"];
    QTemporaryDir dir;
    const QString csv = dir.filePath("pelta.csv");
    const QString prom = dir.filePath("pelta.prom");
    // Address 2 is silent; every exchange waits the whole three-second reply time.
    Ctl watch(rig.runtime.path(), {"--port", port, "--address", "1,2", "--timeout", "3000", "watch",
                                   "--interval", "0.2", "--json", "--prom", prom, "--csv", csv});
    ASSERT_EQ(watch.Lines(2).size(), 2) << watch.Err().toStdString();
    rig.ReceivedLines(3);  // the second round has begun: an exchange is going on
    QElapsedTimer stopping;
    stopping.start();
    EXPECT_EQ(watch.Stop(SIGTERM), 0);
    EXPECT_LT(stopping.elapsed(), 2000) << "the stop waited for the reply time-out";
    EXPECT_EQ(watch.Lines(0).size(), 2) << "a round cut short is written as if it were whole";
    EXPECT_EQ(watch.Err(), "pelta-ctl: адрес 2: нет ответа\n");

    // The header and the first round's two rows: nothing of the second.
    EXPECT_EQ(ReadAll(csv).count('\n'), 3) << ReadAll(csv).toStdString();

    const pelta::testing::ProgramRun check = pelta::testing::RunProgram(
        "/usr/bin/promtool", {"check", "metrics"}, ReadAll(prom).toStdString());
    EXPECT_EQ(check.Code, 0) << check.Out << check.Err;
    EXPECT_TRUE(ReadAll(prom).contains(
        QStringLiteral("\npelta_missing_replies_total{port=\"%1\",address=\"2\"} 1\n").arg(port)));
}

TEST(Watch, setsADriftedClockAndGoesOnReadingWhenTheControllerGoesAway) {
    // Requests: the rig's clock set, then read, read-set-read, read, and the read after that
    // is left unanswered as the simulator hangs up and leaves.
    SimRig rig({"--hangup-after", "7"});
    rig.commands.Button166_Click();  // the rig's window sends 05.03.09 14:07:09
    Ctl watch(rig.runtime.path(),
              {"--port", rig.window.In["cboPortText"], "--timeout", "300", "watch", "--interval",
               "0.2", "--json", "--sync-clock-above", "60"});
    const QStringList lines = watch.Lines(5);
    ASSERT_GE(lines.size(), 5) << watch.Err().toStdString();
    QStringList rounds;  // ok and clock_synced of each
    for (const QString& line : lines.mid(0, 5)) {
        rounds << QString::number(Json(line)["ok"].toBool()) +
                      QString::number(Json(line)["clock_synced"].toBool());
    }
    EXPECT_EQ(rounds, QStringList({"11", "10", "00", "00", "00"}))
        << lines.join('\n').toStdString();
    EXPECT_LT(Json(lines[0])["drift"].toDouble(), -500'000'000.0);
    EXPECT_LE(std::abs(Json(lines[1])["drift"].toInt(99)), 1);
    EXPECT_EQ(watch.Stop(SIGINT), 0);
    const QString err = watch.Err();
    EXPECT_TRUE(err.startsWith("pelta-ctl: адрес 1: часы установлены, уход был -"))
        << err.toStdString();
    EXPECT_GE(err.count("pelta-ctl: адрес 1: "), 4) << err.toStdString();
}

// Debian's mosquitto in its local-only mode (loopback, anonymous, no persistence: a restart
// forgets retained messages).
class Broker {
  public:
    ~Broker() { Stop(); }
    bool Start() {
        process_.start("/usr/sbin/mosquitto", {"-p", QString::number(port)});
        for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(50)) {
            if (QProcess::execute("mosquitto_pub",
                                  Peer() + QStringList{"--quiet", "-t", "up", "-n"}) == 0) {
                return true;
            }
        }
        return false;
    }
    void Stop() {
        process_.terminate();
        process_.waitForFinished(20000);
    }
    QStringList Peer() const { return {"-h", "127.0.0.1", "-p", QString::number(port)}; }
    // The payload of the first message on `topic` (a retained one at once), waiting up to
    // `seconds`.
    QString ReceiveOne(const QString& topic, int seconds = 20) {
        QProcess sub;
        sub.start("mosquitto_sub",
                  Peer() + QStringList{"-C", "1", "-W", QString::number(seconds), "-t", topic});
        sub.waitForFinished((seconds + 10) * 1000);
        return QString::fromUtf8(sub.readAllStandardOutput()).trimmed();
    }
    bool Becomes(const QString& topic, const QString& payload, int seconds) {
        for (QDeadlineTimer deadline(seconds * 1000); !deadline.hasExpired();) {
            if (ReceiveOne(topic, 2) == payload) {
                return true;
            }
        }
        return false;
    }

    const std::uint16_t port = e2e::FreeTcpPort();

  private:
    QProcess process_;
};

TEST(Watch, announcesToHomeAssistantPublishesStatesAndSurvivesTheBrokerAndItsOwnDeath) {
    Broker broker;
    ASSERT_TRUE(broker.Start());
    SimRig rig({"--indoor", "20.5", "--pressure", "742.25"});
    const QString port = rig.window.In["cboPortText"];
    const QString id = watch::TopicSafePort(port);
    Ctl watch(rig.runtime.path(),
              {"--port", port, "--address", "1,2", "--timeout", "200", "watch", "--interval", "0.2",
               "--json", "--mqtt", QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port)});
    const QString record = R"({"availability":[{"topic":"pelta/%5/availability"},)"
                           R"({"topic":"pelta/%5/1/availability"}],"availability_mode":"all",)"
                           R"("device":{"identifiers":["pelta_%5_1"],"manufacturer":"Пелта",)"
                           R"("name":"Пелта %6, адрес 1"},"device_class":"%3","name":"%2",)"
                           R"("state_class":"measurement","state_topic":"pelta/%5/1/state",)"
                           R"("unique_id":"pelta_%5_1_%1","unit_of_measurement":"%4",)"
                           R"("value_template":"{{ value_json.%1 }}"})";
    const QStringList sensors[] = {
        // quantity, name, device class, unit
        {"indoor_temperature", "Температура дома", "temperature", "°C"},
        {"outdoor_temperature", "Температура на улице", "temperature", "°C"},
        {"indoor_humidity", "Влажность дома", "humidity", "%"},
        {"outdoor_pressure", "Давление на улице", "atmospheric_pressure", "mmHg"}};
    for (const QStringList& s : sensors) {
        EXPECT_EQ(broker.ReceiveOne("homeassistant/sensor/pelta_" + id + "_1/" + s[0] + "/config"),
                  record.arg(s[0], s[1], s[2], s[3], id, port));
    }
    EXPECT_TRUE(broker.ReceiveOne("pelta/" + id + "/1/state")
                    .contains(QRegularExpression(
                        R"(^\{"clock_drift":-?[01],"indoor_humidity":45,)"
                        R"("indoor_temperature":20.5,"ok":true,)"
                        R"("outdoor_pressure":742.25,"outdoor_temperature":-3,)")));
    EXPECT_EQ(broker.ReceiveOne("pelta/" + id + "/2/availability"), "offline");
    EXPECT_EQ(broker.ReceiveOne("pelta/" + id + "/availability"), "online");

    // Home Assistant starting again gets the discovery anew (not merely the retained copy).
    QProcess fresh;
    fresh.start("mosquitto_sub", broker.Peer() + QStringList{"-R", "-C", "1", "-W", "30", "-t",
                                                             "homeassistant/sensor/pelta_" + id +
                                                                 "_1/indoor_humidity/config"});
    while (!fresh.waitForFinished(500)) {
        QProcess::execute("mosquitto_pub", broker.Peer() + QStringList{"-t", "homeassistant/status",
                                                                       "-m", "online"});
    }
    EXPECT_TRUE(fresh.readAllStandardOutput().contains("humidity"));

    // While the broker is away the rounds go on; a restarted one holds nothing, and watch comes
    // back and says it all again.
    broker.Stop();
    const int before = watch.Lines(0).size();
    EXPECT_GE(watch.Lines(before + 10).size(), before + 10);
    ASSERT_TRUE(broker.Start());
    EXPECT_TRUE(broker.Becomes("pelta/" + id + "/availability", "online", 60));
    EXPECT_TRUE(broker.ReceiveOne("homeassistant/sensor/pelta_" + id + "_1/outdoor_pressure/config")
                    .contains("atmospheric_pressure"));

    EXPECT_EQ(watch.Stop(SIGKILL), -1);
    EXPECT_TRUE(broker.Becomes("pelta/" + id + "/availability", "offline", 60));
}

TEST(Listen, cutsALineItOnlyReadsIntoFramesThroughNoiseAndSplitReads) {
    SimRig rig({"--humidity", "61", "--pressure", "742.25"});
    rig.commands.Command5_Click();
    const QByteArray reply =
        QByteArray::fromHex(SimRig::LoggedHex(rig.SentLines(1).last()).toLatin1());
    const QByteArray request("\x01\x32\xBE", 3);
    QByteArray damaged = reply;
    damaged[damaged.size() - 1] = static_cast<char>(damaged.back() ^ 0x40);

    const link::testing::PtyPair line;
    // A pause of 100 ms splits the reads (a read ends after 20 ms without bytes) but is far
    // shorter than the second of quiet that ends a frame.
    Ctl listen(rig.runtime.path(),
               {"--device", line.name, "--timeout", "1000", "--json", "listen"});
    ASSERT_TRUE(listen.process.waitForStarted());
    QThread::msleep(1000);  // let it open the port before the bytes come
    for (const QByteArray& piece :
         {QByteArray("\x55\xAA"), request, reply.left(7), reply.mid(7), request + damaged}) {
        line.Send(piece.toStdString());
        QThread::msleep(100);
    }
    const QStringList frames = listen.Lines(5);
    EXPECT_EQ(listen.Stop(SIGINT), 0);
    EXPECT_EQ(line.Received(1, 0), "") << "listen wrote to the line";
    QStringList kinds;
    for (const QString& frame : frames) {
        kinds << Json(frame)["kind"].toString();
    }
    EXPECT_EQ(kinds, QStringList({"noise", "request", "reply", "request", "reply"}));
    EXPECT_TRUE(frames.value(2).contains(
        QRegularExpression(R"("crc_good":true,"humidity":61,.*"pressure":742.25,)")));
    EXPECT_TRUE(frames.value(4).contains(R"("crc_good":false,)"));
}

}  // namespace
}  // namespace pelta::ctl
