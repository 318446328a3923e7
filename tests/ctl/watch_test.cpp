// pelta-ctl watch and listen as an operator runs them: against pelta-sim on a pty, with
// Debian's mosquitto and promtool, and on a pty pair where the test drives the line itself.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <map>

#include "protocol/frame.h"
#include "tests/e2e/sim_rig.h"
#include "tools/ctl/watch/mqtt_messages.h"

namespace pelta::ctl {
namespace {

using e2e::SimRig;

QJsonObject Json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
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
        return process.state() == QProcess::NotRunning &&
                       process.exitStatus() == QProcess::NormalExit
                   ? process.exitCode()
                   : -1;
    }
    QString Err() { return QString::fromUtf8(process.readAllStandardError()); }

    QProcess process;

  private:
    QTemporaryDir config_;
    QString out_;
};

// The Prometheus file's samples by series, and promtool's verdict on it.
std::map<QString, double> PromSamples(const QString& path) {
    std::map<QString, double> samples;
    for (const QString& line : QString::fromUtf8(ReadAll(path)).split('\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith('#')) {
            samples[line.section(' ', 0, -2)] = line.section(' ', -1).toDouble();
        }
    }
    return samples;
}

void ExpectPromtoolAccepts(const QString& path) {
    const QString promtool = QStandardPaths::findExecutable("promtool");
    if (promtool.isEmpty()) {
        ADD_FAILURE() << "promtool (Debian package prometheus) is not installed";
        return;
    }
    QProcess check;
    check.setStandardInputFile(path);
    check.start(promtool, {"check", "metrics"});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                   << check.readAllStandardError().toStdString();
}

QString Series(const char* metric, const QString& port, int address) {
    return QStringLiteral("%1{port=\"%2\",address=\"%3\"}").arg(metric, port).arg(address);
}

TEST(Watch, aStopInTheMiddleOfAnExchangeEndsAtOnceWithEveryFileWhole) {
    SimRig rig({"--humidity", "61", "--pressure", "742.25"});
    const QString port = rig.window.In["cboPortText"];
    QTemporaryDir dir;
    const QString csv = dir.filePath("pelta.csv");
    const QString prom = dir.filePath("pelta.prom");
    QFile half(csv);
    ASSERT_TRUE(half.open(QIODevice::WriteOnly));
    half.write("time,port\n2026-01-01T1");  // the power failed mid-line
    half.close();
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

    const QStringList rows = QString::fromUtf8(ReadAll(csv)).split('\n');
    ASSERT_EQ(rows.size(), 5) << ReadAll(csv).toStdString();  // and the empty rest after the end
    EXPECT_EQ(rows[1], "2026-01-01T1");
    EXPECT_TRUE(rows[2].contains(",1,1,21.5,-3,61,742.25,")) << rows[2].toStdString();
    EXPECT_TRUE(rows[3].endsWith(",2,0,,,,,,нет ответа")) << rows[3].toStdString();

    ExpectPromtoolAccepts(prom);
    auto samples = PromSamples(prom);
    EXPECT_EQ(samples[Series("pelta_up", port, 1)], 1);
    EXPECT_EQ(samples[Series("pelta_indoor_humidity_ratio", port, 1)], 0.61);
    EXPECT_NEAR(samples[Series("pelta_outdoor_pressure_pascals", port, 1)], 742.25 * 133.322,
                0.001);
    EXPECT_EQ(samples[Series("pelta_up", port, 2)], 0);
    EXPECT_EQ(samples[Series("pelta_missing_replies_total", port, 2)], 1);
    EXPECT_EQ(samples.count(Series("pelta_indoor_temperature_celsius", port, 2)), 0U);
}

TEST(Watch, setsADriftedClockAndGoesOnReadingWhenTheControllerGoesAway) {
    // Requests: the rig's clock set, then read, read-set-read, read, and the read after that
    // is left unanswered as the simulator hangs up and leaves.
    SimRig rig({"--hangup-after", "7"});
    rig.commands.Button166_Click();  // the rig's window sends 05.03.09 14:07:09
    QTemporaryDir dir;
    const QString prom = dir.filePath("pelta.prom");
    Ctl watch(rig.runtime.path(),
              {"--port", rig.window.In["cboPortText"], "--timeout", "300", "watch", "--interval",
               "0.2", "--json", "--sync-clock-above", "60", "--prom", prom});
    const QStringList lines = watch.Lines(5);
    ASSERT_GE(lines.size(), 5) << watch.Err().toStdString();
    const struct {
        bool ok;
        bool synced;
    } rounds[] = {{true, true}, {true, false}, {false, false}, {false, false}, {false, false}};
    for (int i = 0; i < 5; ++i) {
        const QJsonObject round = Json(lines[i]);
        EXPECT_EQ(round["ok"].toBool(), rounds[i].ok) << i << lines[i].toStdString();
        EXPECT_EQ(round["clock_synced"].toBool(), rounds[i].synced) << i;
    }
    EXPECT_LT(Json(lines[0])["drift"].toDouble(), -500'000'000.0);
    EXPECT_LE(std::abs(Json(lines[1])["drift"].toInt(99)), 1);
    EXPECT_EQ(watch.Stop(SIGINT), 0);
    const QString err = watch.Err();
    EXPECT_TRUE(err.startsWith("pelta-ctl: адрес 1: часы установлены, уход был -"))
        << err.toStdString();
    EXPECT_GE(err.count("pelta-ctl: адрес 1: "), 4) << err.toStdString();
    auto samples = PromSamples(prom);
    EXPECT_EQ(samples[Series("pelta_clock_syncs_total", rig.window.In["cboPortText"], 1)], 1);
    EXPECT_EQ(samples[Series("pelta_up", rig.window.In["cboPortText"], 1)], 0);
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// Debian's mosquitto on 127.0.0.1, without persistence: a restart forgets retained messages.
class Broker {
  public:
    Broker() {
        QFile conf(dir_.filePath("mosquitto.conf"));
        conf.open(QIODevice::WriteOnly);
        conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n"
                                  "persistence false\n")
                       .arg(port)
                       .toUtf8());
    }
    ~Broker() { Stop(); }
    bool Start() {
        process_.start(QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}),
                       {"-c", dir_.filePath("mosquitto.conf")});
        for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(50)) {
            if (Accepts()) {
                return true;
            }
        }
        return false;
    }
    void Stop() {
        process_.terminate();
        process_.waitForFinished(20000);
    }
    bool Accepts() const {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool accepted =
            connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        return accepted;
    }
    QStringList Peer() const { return {"-h", "127.0.0.1", "-p", QString::number(port)}; }
    // The payload of the first message on `topic` (a retained one at once), waiting up to
    // `seconds`; `fresh` ignores retained ones.
    QString ReceiveOne(const QString& topic, int seconds = 20, bool fresh = false) {
        QProcess sub;
        sub.start("mosquitto_sub",
                  Peer() + QStringList{"-C", "1", "-W", QString::number(seconds), "-t", topic} +
                      (fresh ? QStringList{"-R"} : QStringList{}));
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

    const int port = FreePort();

  private:
    QTemporaryDir dir_;
    QProcess process_;
};

TEST(Watch, announcesToHomeAssistantPublishesStatesAndSurvivesTheBrokerAndItsOwnDeath) {
    if (QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}).isEmpty() ||
        QStandardPaths::findExecutable("mosquitto_sub").isEmpty()) {
        GTEST_SKIP() << "mosquitto and mosquitto-clients are not installed";
    }
    Broker broker;
    ASSERT_TRUE(broker.Start());
    SimRig rig({"--indoor", "20.5", "--pressure", "742.25"});
    const QString port = rig.window.In["cboPortText"];
    const QString id = watch::TopicSafePort(port);
    Ctl watch(rig.runtime.path(),
              {"--port", port, "--address", "1,2", "--timeout", "200", "watch", "--interval", "0.2",
               "--json", "--mqtt", QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port)});
    const struct {
        const char* quantity;
        const char* deviceClass;
        const char* unit;
    } sensors[] = {
        {"indoor_temperature", "temperature", "°C"},
        {"outdoor_temperature", "temperature", "°C"},
        {"indoor_humidity", "humidity", "%"},
        {"outdoor_pressure", "atmospheric_pressure", "mmHg"},
    };
    for (const auto& s : sensors) {
        const QJsonObject config = Json(broker.ReceiveOne(
            QStringLiteral("homeassistant/sensor/pelta_%1_1/%2/config").arg(id, s.quantity)));
        EXPECT_EQ(config["device_class"].toString(), s.deviceClass) << s.quantity;
        EXPECT_EQ(config["unit_of_measurement"].toString(), QString::fromUtf8(s.unit));
        EXPECT_EQ(config["state_class"].toString(), "measurement");
        EXPECT_EQ(config["unique_id"].toString(),
                  QStringLiteral("pelta_%1_1_%2").arg(id, s.quantity));
        EXPECT_EQ(config["state_topic"].toString(), QStringLiteral("pelta/%1/1/state").arg(id));
        EXPECT_EQ(config["device"]["name"].toString(),
                  QStringLiteral("Пелта %1, адрес 1").arg(port));
        EXPECT_EQ(config["availability"][0]["topic"].toString(), "pelta/" + id + "/availability");
    }
    const QJsonObject state = Json(broker.ReceiveOne("pelta/" + id + "/1/state"));
    EXPECT_EQ(state["indoor_temperature"].toDouble(), 20.5);
    EXPECT_EQ(state["outdoor_pressure"].toDouble(), 742.25);
    EXPECT_EQ(state["indoor_humidity"].toDouble(), 45);
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
    EXPECT_EQ(Json(broker.ReceiveOne("homeassistant/sensor/pelta_" + id +
                                     "_1/outdoor_pressure/config"))["device_class"]
                  .toString(),
              "atmospheric_pressure");

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

    int master = -1;
    int slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    // A pause of 100 ms splits the reads (a read ends after 20 ms without bytes) but is far
    // shorter than the second of quiet that ends a frame.
    Ctl listen(rig.runtime.path(), {"--device", name, "--timeout", "1000", "--json", "listen"});
    ASSERT_TRUE(listen.process.waitForStarted());
    QThread::msleep(1000);  // let it open the port before the bytes come
    const struct {
        QByteArray bytes;
        QStringList completes;  // the kinds of the frames these bytes complete
    } line[] = {
        {"\x55\xAA", {}},
        {request, {"noise", "request"}},
        {reply.left(7), {}},
        {reply.mid(7), {"reply"}},
        {request + damaged, {"request", "reply"}},
        {"\x13", {}},
        {request, {"noise", "request"}},
    };
    QStringList kinds;
    for (const auto& piece : line) {
        ASSERT_EQ(::write(master, piece.bytes.constData(), piece.bytes.size()), piece.bytes.size());
        QThread::msleep(100);
        kinds << piece.completes;
    }
    const QStringList frames = listen.Lines(kinds.size());
    EXPECT_EQ(listen.Stop(SIGINT), 0);
    char written = 0;
    EXPECT_EQ(::read(master, &written, 1), -1) << "listen wrote to the line";
    ::close(master);
    ::close(slave);
    ASSERT_GE(frames.size(), kinds.size()) << frames.join('\n').toStdString();
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(Json(frames[i])["kind"].toString(), kinds[i]) << frames[i].toStdString();
    }
    const QJsonObject good = Json(frames[2]);
    EXPECT_EQ(good["crc_good"].toBool(), true);
    EXPECT_EQ(good["humidity"].toInt(), 61);
    EXPECT_EQ(good["pressure"].toDouble(), 742.25);
    EXPECT_EQ(Json(frames[4])["crc_good"].toBool(), false);
}

}  // namespace
}  // namespace pelta::ctl
