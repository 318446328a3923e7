// pelta-ctl as scripts and operators run it: against pelta-sim on a pty, through ser2net, with
// Debian's mosquitto and promtool, on a pty pair the test drives, and refusing what it cannot
// do with one line on standard error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "link/port_discovery.h"
#include "link/remembered_settings.h"
#include "tests/e2e/sim_rig.h"
#include "tests/link/link_test_support.h"
#include "tests/support/network_peers.h"
#include "tests/support/run_program.h"
#include "tools/ctl/watch/mqtt_messages.h"

namespace pelta::ctl {
namespace {

using e2e::SimRig;
using pelta::testing::ProgramRun;

QJsonObject Json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

// pelta-ctl in a Russian locale, with a scratch config home and the given runtime folder (an
// empty one as under cron, where XDG_RUNTIME_DIR is not set).
ProgramRun Ctl(const QString& runtime, const QString& config, const QStringList& args) {
    std::vector<std::string> arguments;
    for (const QString& arg : args) {
        arguments.push_back(arg.toStdString());
    }
    return pelta::testing::RunProgram(PELTA_CTL_PROGRAM, arguments, "",
                                      {{"XDG_RUNTIME_DIR", runtime.toStdString()},
                                       {"XDG_CONFIG_HOME", config.toStdString()},
                                       {"LC_ALL", "ru_RU.UTF-8"}});
}

// Whether the text holds the pattern, where %1 stands for a drift of a second at most and %D
// for today's date.
::testing::AssertionResult Matches(const std::string& text, const std::string& pattern) {
    const QString expanded = QString::fromStdString(pattern)
                                 .replace("%1", "[+-] 0 ч. 00 мин. 0[01] сек")
                                 .replace("%D", QDate::currentDate().toString(Qt::ISODate));
    if (QString::fromStdString(text).contains(QRegularExpression(expanded))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << expanded.toStdString() << " not in:\n" << text;
}

// A run of pelta-ctl and the patterns its outputs must hold.
struct Row {
    QStringList args;
    int code;
    std::string out;
    std::string err;
};

void ExpectRows(const QString& runtime, const QString& config, const QStringList& before,
                const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        const ProgramRun run = Ctl(runtime, config, before + row.args);
        EXPECT_EQ(run.Code, row.code) << row.args.join(' ').toStdString();
        EXPECT_TRUE(Matches(run.Out, row.out));
        EXPECT_TRUE(Matches(run.Err, row.err));
    }
}

class CtlAgainstSimulator : public ::testing::Test {
  protected:
    // On the rig's port, with a time-out that a busy machine still meets.
    ProgramRun Run(SimRig& rig, const QStringList& args) {
        const QStringList port{"--port", rig.window.In["cboPortText"], "--timeout", "500"};
        return Ctl(rig.runtime.path(), config.path(), port + args);
    }
    // The bytes of `count` requests the simulator received from the `from`th (0 for the first),
    // a line each.
    static std::string Received(SimRig& rig, int from, int count) {
        QStringList bytes;
        for (const QString& line : rig.ReceivedLines(from + count).mid(from, count)) {
            bytes << SimRig::LoggedHex(line);
        }
        return bytes.join('\n').toStdString();
    }

    QTemporaryDir config;
};

TEST_F(CtlAgainstSimulator,
       printsWhatEachCommandReadsOnTheRememberedLineAndAFailingAddressFailsAlone) {
    SimRig rig(
        {"--indoor", "20.3", "--outdoor", "-4.5", "--humidity", "61", "--pressure", "742.25"});
    // Line values not given come from the window's remembered settings: its port, at 19200 Bd.
    const int com = rig.window.In["cboPortText"].section(' ', 1).toInt();
    link::RememberedSettings remembered;
    remembered.ChosenPort = com;
    remembered.Ports[com].Speed = static_cast<std::int16_t>(link::SpeedEntries().indexOf("19200"));
    remembered.ReplyTimeout = QStringLiteral("500");
    ASSERT_TRUE(link::SaveRememberedSettings(config.filePath("pelta/pelta.conf"), remembered));
    const std::string silent2 = "^pelta-ctl: адрес 2: нет ответа\n$";
    // clang-format off
    ExpectRows(rig.runtime.path(), config.path(), {}, {
        {{"--address", "2,1", "--json", "read"}, 1,
         R"(^\{"address":2,"ok":false,"reason":"нет ответа","reply":""\})" "\n"
         R"(\{"address":1,"date":"%D","drift":-?[01],"humidity":61,"indoor_temperature":20.3,)"
         R"("ok":true,"outdoor_temperature":-4.5,"pressure":742.25,"reply":"01 32 BE [^"]*",)"
         R"("time":"\d\d:\d\d:\d\d"\})" "\n$",
         silent2},
        // The drift is taken when the reply came, not at the end of a long reply wait.
        {{"--timeout", "2500", "--speed", "4800", "--json", "read"}, 0, R"("drift":-?[01],)", "^$"},
        {{"--address", "1,2", "read"}, 1,
         "^Адрес 1\n  Дата: +[^\n]+\n  Время: +[^\n]+\n  Уход часов: +%1\n"
         "  ДОМ, Температура: +20,3 °C\n  ДОМ, Влажность: +61%\n"
         "  Улица, Температура: +-4,5 °C\n  Улица, Давление: +742,25 мм Рт\n$", silent2},
        {{"--json", "settings"}, 0,
         R"(\{"address":1,"alarm1":\{"days":"Будни дни","days_code":8,"on":true,"time":"07:30"\},)"
         R"("alarm2":\{"days":"Выходные","days_code":9,"on":false,"time":"09:10"\},)"
         R"("lunar_calendar":true,"night_light":\{"from":"22:05","mode":"Включать по датчику в )"
         R"(темноте","mode_code":1,"to":"06:50"\},"ok":true,"reply":"[^"]+",)"
         R"("screen":\{"from":"22:15","mode":"Включать по:","mode_code":3,)"
         R"("source":"Расписанию","to":"07:45"\}\})", "^$"},
        {{"settings"}, 0,
         "^Адрес 1\n  Будильник №1: +07:30, Будни дни, включен\n"
         "  Будильник №2: +09:10, Выходные, отключен\n"
         "  Экран: +Включать по: Расписанию, 22:15 - 07:45\n"
         "  Подсветка \\(Ночник\\): +Включать по датчику в темноте, 22:05 - 06:50\n"
         "  Прокручивать лунный календарь: да\n$", "^$"},
        {{"--address", "0-2", "scan"}, 0, "^Адрес  Часы контроллера     Уход часов\n"
         "1      \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d  %1\n$", "^$"},
        {{"--address", "2", "scan"}, 1, "^$", "^pelta-ctl: нет ответа ни от одного адреса\n$"}});
    // clang-format on
    // Addresses 2 and 1 at the remembered speed, then 1 at the speed given.
    EXPECT_TRUE(Matches(rig.ReceivedLines(3).join('\n').toStdString(),
                        "^[^\n]*speed=19200[^\n]*\n[^\n]*\n[^\n]*speed=4800"));
}

// The event's lines hold the screen's edge letters: the blank, the tilde, Ё and ё.
TEST_F(CtlAgainstSimulator, alarmEventAndSyncClockSendWhatTheWindowsButtonsSend) {
    SimRig rig;
    const struct {
        QStringList ctlArgs;
        const char* window;  // the controls' values, "name=value;..."
        int alarm;           // the alarm whose button is pressed; -1: the event's button
    } cases[] = {
        // clang-format off
        {{"alarm", "2", "--time", "6:45", "--days", "weekends", "--off"},
         "DateTime3(1)=06:45;Combo1(1)=8;Check1(1)=0", 1},
        {{"alarm", "1", "--time", "23:05", "--days", "all"},
         "DateTime3(0)=23:05;Combo1(0)=9;Check1(0)=1", 0},
        {{"event", "--line1", "Ёлка, ёж & Щука!", "--line2", " ~{}[]|\\^_`@#$%", "--date",
          "24.12.26", "--hour", "7", "--on"}, "Text2(0)=Ёлка, ёж & Щука!;Text2(1)= ~{}[]|\\^_`@#$%;"
         "DateTime4=24.12.26;DateTime5=07:00;Check2=1", -1},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(rig, c.ctlArgs).Code, 0) << c.ctlArgs.join(' ').toStdString();
    }
    for (const auto& c : cases) {  // the same through the window's controls and buttons
        for (const QString& control : QString::fromUtf8(c.window).split(';')) {
            rig.window.In[control.section('=', 0, 0)] = control.section('=', 1);
        }
        c.alarm < 0 ? rig.commands.Button168_Click() : rig.commands.Button167_Click(c.alarm);
    }
    // An alarm is one request, the event two.
    EXPECT_EQ(Received(rig, 0, 4), Received(rig, 4, 4));

    rig.commands.Button166_Click();  // the rig's window sends 05.03.09 14:07:09
    const ProgramRun sync =
        Run(rig, {"--json", "sync-clock", "--correction", "5", "--season-change", "on"});
    ASSERT_EQ(sync.Code, 0) << sync.Err;
    const QJsonObject result = Json(QString::fromStdString(sync.Out));
    EXPECT_LT(result["drift_before"].toDouble(), -500'000'000.0);
    EXPECT_LE(std::abs(result["drift_after"].toInt(99)), 1);

    // Read, set, read: the set carries the correction 40 - 5, the season change on (0) and the
    // weekday of the moment sent, Sunday 1 (the moment itself shows in the drift after).
    const QDate sent = QDateTime::fromString(result["sent"].toString(), Qt::ISODate).date();
    EXPECT_TRUE(Matches(Received(rig, 10, 1), "^01 5A 5E( [0-9A-F]{2}){6} 23 00 0" +
                                                  std::to_string(sent.dayOfWeek() % 7 + 1) + "$"));
    EXPECT_TRUE(Matches(Run(rig, {"sync-clock"}).Out,
                        "\n  Уход часов до: +%1\n  Уход часов после: +%1\n$"));
}

// Given by URL, ser2net (RFC 2217) in front of the simulator's pty gets the line values; given
// by its COM number in ports.conf, a network port nobody serves is said once, naming the URL.
TEST_F(CtlAgainstSimulator, aNetworkPortGivenByUrlIsOpenedDirectlyAndAnUnreachableOneSaysWhy) {
    SimRig rig({"--address", "3"});
    e2e::Ser2net server(rig.Device(), true);
    const QString nobody = QStringLiteral("tcp://127.0.0.1:%1").arg(e2e::FreeTcpPort());
    const std::string ports = config.filePath("pelta/ports.conf").toStdString();
    ASSERT_EQ(link::SaveRememberedPorts(ports, {{nobody.toStdString(), 21}}), "");
    // clang-format off
    ExpectRows(rig.runtime.path(), config.path(), {}, {
        {{"--port", server.Url(), "--timeout", "500", "--speed", "19200", "--address", "2-3",
          "--json", "scan"}, 0, "^\\{\"address\":3,", "^$"},
        {{"--port", "21", "--address", "0-9", "scan"}, 1, "^$",
         ("^pelta-ctl: " + nobody + ": [^\n]+\n$").toStdString()}});
    // clang-format on
    EXPECT_TRUE(rig.ReceivedLines(2).value(1).contains("speed=19200"));
}

TEST_F(CtlAgainstSimulator, aGarbledReplyIsAskedAgainAndReportedAsSuchByReadAndScan) {
    SimRig rig({"--bad-crc"});
    const QStringList device{"--device", rig.Device(), "--timeout", "500"};
    const std::string crc = "^pelta-ctl: адрес 1: ошибка CRC\n$";
    // clang-format off
    ExpectRows(rig.runtime.path(), config.path(), device, {
        {{"--attempts", "2", "--json", "read"}, 1, R"(^\{"address":1,"ok":false,)"
         R"("reason":"ошибка CRC","reply":"01 32 BE( [0-9A-F]{2}){19}"\})" "\n$", crc},
        // A scan lists the garbled reply too, with its reason, and does not call it silence.
        {{"--address", "1-2", "--json", "scan"}, 1,
         R"(^\{"address":1,"ok":false,"reason":"ошибка CRC","reply":"[^"]+"\})" "\n$", crc}});
    // clang-format on
    // The read asked for the garbled reply again, once; the scan asked each address once.
    EXPECT_EQ(rig.ReceivedLines(4).size(), 4);
}

// Failures before any exchange: one line, exit 2 for the command line, 1 for the port.
TEST(CtlRefusal, saysInOneLineWhatIsWrongBeforeAnyExchange) {
    QTemporaryDir scratch;
    const int locked = ::posix_openpt(O_RDWR | O_NOCTTY);  // never unlocked: its pty won't open
    ASSERT_GE(locked, 0);
    // clang-format off
    ExpectRows("", scratch.path(), {}, {
        {{"--port", "7", "frob"}, 2, "^$", "^pelta-ctl: [^\n]* \\(см. pelta-ctl --help\\)\n$"},
        {{"read"}, 2, "^$", "^pelta-ctl: не выбран порт: [^\n]*\n$"},
        {{"--device", scratch.filePath("none"), "read"}, 1, "^$",
         "^pelta-ctl: \\S+/none не является устройством последовательного порта\n$"},
        {{"--device", ::ptsname(locked), "read"}, 1, "^$",
         "^pelta-ctl: адрес 1: Ошибка открытия порта /dev/pts/\\d+\n$"},
        // Without a runtime folder, as under cron: where it looked and what cron does not see.
        {{"--port", "9990", "read"}, 1, "^$",
         "^pelta-ctl: порт COM 9990 не найден .* /tmp/pelta-\\d+/serialcomm; "
         "XDG_RUNTIME_DIR не задан .*/run/user/\\d+/pelta/serialcomm[^\n]*\n$"}});
    // clang-format on
    ::close(locked);
}

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "<unreadable>";
}

// pelta-ctl running in the background, with the simulator's port map and a scratch config.
class Background {
  public:
    Background(const QString& runtimeDir, const QStringList& args) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtimeDir);
        environment.insert("XDG_CONFIG_HOME", config_.path());
        process_.setProcessEnvironment(environment);
        process_.start(PELTA_CTL_PROGRAM, args);
    }
    ~Background() { Stop(SIGKILL); }
    // Its stdout lines once there are at least `count`, waiting up to a minute.
    QStringList Lines(int count) {
        for (QDeadlineTimer deadline(60000); out_.count('\n') < count && !deadline.hasExpired();) {
            process_.waitForReadyRead(1000);
            out_ += QString::fromUtf8(process_.readAllStandardOutput());
        }
        return out_.split('\n', Qt::SkipEmptyParts);
    }
    // The exit code after the signal, -1 for a crash or no exit within 30 s.
    int Stop(int signal) {
        if (process_.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(process_.processId()), signal);
            process_.waitForFinished(30000);
        }
        out_ += QString::fromUtf8(process_.readAllStandardOutput());
        const bool exited = process_.state() == QProcess::NotRunning &&
                            process_.exitStatus() == QProcess::NormalExit;
        return exited ? process_.exitCode() : -1;
    }
    QString Err() { return QString::fromUtf8(process_.readAllStandardError()); }

  private:
    QProcess process_;
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
    Background watch(rig.runtime.path(),
                     {"--port", port, "--address", "1,2", "--timeout", "3000", "watch",
                      "--interval", "0.2", "--json", "--prom", prom, "--csv", csv});
    ASSERT_EQ(watch.Lines(2).size(), 2) << watch.Err().toStdString();
    rig.ReceivedLines(3);  // the second round has begun: an exchange is going on
    const QDeadlineTimer stopBound(2000);
    EXPECT_EQ(watch.Stop(SIGTERM), 0);
    EXPECT_FALSE(stopBound.hasExpired()) << "the stop waited for the reply time-out";
    EXPECT_EQ(watch.Lines(0).size(), 2) << "a round cut short is written as if it were whole";
    EXPECT_EQ(watch.Err(), "pelta-ctl: адрес 2: нет ответа\n");

    // The header and the first round's two rows: nothing of the second.
    EXPECT_EQ(ReadAll(csv).count('\n'), 3) << ReadAll(csv).toStdString();

    const ProgramRun check = pelta::testing::RunProgram("/usr/bin/promtool", {"check", "metrics"},
                                                        ReadAll(prom).toStdString());
    EXPECT_EQ(check.Code, 0) << check.Out << check.Err;
    EXPECT_TRUE(ReadAll(prom).contains(
        QStringLiteral("\npelta_missing_replies_total{port=\"%1\",address=\"2\"} 1\n").arg(port)));
}

TEST(Watch, setsADriftedClockAndGoesOnReadingWhenTheControllerGoesAway) {
    // Requests: the rig's clock set, then read, read-set-read, read, and the read after that
    // is left unanswered as the simulator hangs up and leaves.
    SimRig rig({"--hangup-after", "7"});
    rig.commands.Button166_Click();  // the rig's window sends 05.03.09 14:07:09
    Background watch(rig.runtime.path(),
                     {"--port", rig.window.In["cboPortText"], "--timeout", "300", "watch",
                      "--interval", "0.2", "--json", "--sync-clock-above", "60"});
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
    EXPECT_EQ(watch.Stop(SIGINT), 0);
    EXPECT_TRUE(
        Matches(watch.Err().toStdString(), "^pelta-ctl: адрес 1: часы установлены, уход был -"));
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
    const QString discovery = "homeassistant/sensor/pelta_" + id + "_1/";
    Background watch(rig.runtime.path(), {"--port", port, "--address", "1,2", "--timeout", "200",
                                          "watch", "--interval", "0.2", "--json", "--mqtt",
                                          QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port)});
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
        EXPECT_EQ(broker.ReceiveOne(discovery + s[0] + "/config"),
                  record.arg(s[0], s[1], s[2], s[3], id, port));
    }
    EXPECT_TRUE(Matches(broker.ReceiveOne("pelta/" + id + "/1/state").toStdString(),
                        R"(^\{"clock_drift":-?[01],"indoor_humidity":45,"indoor_temperature":20.5,)"
                        R"("ok":true,"outdoor_pressure":742.25,"outdoor_temperature":-3,)"));
    EXPECT_EQ(broker.ReceiveOne("pelta/" + id + "/2/availability"), "offline");
    EXPECT_EQ(broker.ReceiveOne("pelta/" + id + "/availability"), "online");

    // Home Assistant starting again gets the discovery anew (not merely the retained copy).
    QProcess fresh;
    fresh.start("mosquitto_sub", broker.Peer() + QStringList{"-R", "-C", "1", "-W", "30", "-t",
                                                             discovery + "indoor_humidity/config"});
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
    EXPECT_TRUE(broker.ReceiveOne(discovery + "outdoor_pressure/config").contains("atmospheric"));

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
    Background listen(rig.runtime.path(),
                      {"--device", line.name, "--timeout", "1000", "--json", "listen"});
    QThread::msleep(1000);  // let it open the port before the bytes come
    for (const QByteArray& piece :
         {QByteArray("\x55\xAA"), request, reply.left(7), reply.mid(7), request + damaged}) {
        line.Send(piece.toStdString());
        QThread::msleep(100);
    }
    const std::string frames = listen.Lines(5).join('\n').toStdString();
    EXPECT_EQ(listen.Stop(SIGINT), 0);
    EXPECT_EQ(line.Received(1, 0), "") << "listen wrote to the line";
    EXPECT_TRUE(Matches(frames, R"(^.*"kind":"noise".*\n.*"kind":"request".*\n.*"crc_good":true,)"
                                R"("humidity":61,.*"kind":"reply",.*"pressure":742.25,.*\n)"
                                R"(.*"kind":"request".*\n.*"crc_good":false,.*"kind":"reply".*$)"));
}

}  // namespace
}  // namespace pelta::ctl
