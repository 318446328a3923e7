// pelta-ctl as scripts run it: against pelta-sim on a pty, through ser2net, and refusing what
// it cannot do with one line on standard error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "link/remembered_settings.h"
#include "tests/e2e/sim_rig.h"
#include "tests/support/network_peers.h"
#include "tests/support/run_program.h"

namespace pelta::ctl {
namespace {

using e2e::SimRig;
using pelta::testing::ProgramRun;

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
    // The rig's port and a time-out that a busy machine still meets, then the arguments.
    static QStringList Port(SimRig& rig) {
        return {"--port", rig.window.In["cboPortText"], "--timeout", "500"};
    }
    ProgramRun Run(SimRig& rig, const QStringList& args) {
        return Ctl(rig.runtime.path(), config.path(), Port(rig) + args);
    }
    // The bytes of `count` requests the simulator received, from the `from`th (0 for the first).
    static QStringList Received(SimRig& rig, int from, int count) {
        QStringList bytes;
        for (const QString& line : rig.ReceivedLines(from + count).mid(from, count)) {
            bytes << SimRig::LoggedHex(line);
        }
        return bytes;
    }

    QTemporaryDir config;
};

TEST_F(CtlAgainstSimulator, printsWhatEachCommandReadsAndAFailingAddressFailsAlone) {
    SimRig rig(
        {"--indoor", "20.3", "--outdoor", "-4.5", "--humidity", "61", "--pressure", "742.25"});
    const std::string silent2 = "^pelta-ctl: адрес 2: нет ответа\n$";
    // clang-format off
    ExpectRows(rig.runtime.path(), config.path(), Port(rig), {
        {{"--address", "2,1", "--json", "read"}, 1,
         R"(^\{"address":2,"ok":false,"reason":"нет ответа","reply":""\})" "\n"
         R"(\{"address":1,"date":"%D","drift":-?[01],"humidity":61,"indoor_temperature":20.3,)"
         R"("ok":true,"outdoor_temperature":-4.5,"pressure":742.25,"reply":"01 32 BE [^"]*",)"
         R"("time":"\d\d:\d\d:\d\d"\})" "\n$",
         silent2},
        // The drift is taken when the reply came, not at the end of a long reply wait.
        {{"--timeout", "2500", "--json", "read"}, 0, R"("drift":-?[01],)", "^$"},
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
}

TEST_F(CtlAgainstSimulator,
       syncClockSetsTheSimulatorsClockWithTheWindowsCodesAndReportsBothDrifts) {
    SimRig rig;
    rig.commands.Button166_Click();  // the rig's window sends 05.03.09 14:07:09
    const ProgramRun sync =
        Run(rig, {"--json", "sync-clock", "--correction", "5", "--season-change", "on"});
    ASSERT_EQ(sync.Code, 0) << sync.Err;
    const QJsonObject result =
        QJsonDocument::fromJson(QByteArray::fromStdString(sync.Out)).object();
    EXPECT_LT(result["drift_before"].toDouble(), -500'000'000.0);
    EXPECT_LE(std::abs(result["drift_after"].toInt(99)), 1);

    // Read, set, read: the set carries the moment sent, the correction 40 - 5, the season
    // change on (0) and the weekday, Sunday 1.
    const QDateTime sent = QDateTime::fromString(result["sent"].toString(), Qt::ISODate);
    const QDate day = sent.date();
    const QTime time = sent.time();
    QString set = "01 5A 5E";
    for (const int value : {day.day(), day.month(), day.year() % 100, time.hour(), time.minute(),
                            time.second(), 35, 0, day.dayOfWeek() % 7 + 1}) {
        set += QStringLiteral(" %1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    }
    EXPECT_EQ(Received(rig, 1, 3).value(1), set);

    EXPECT_TRUE(Matches(Run(rig, {"sync-clock"}).Out,
                        "\n  Уход часов до: +%1\n  Уход часов после: +%1\n$"));
}

TEST_F(CtlAgainstSimulator, alarmAndEventSendWhatTheWindowsButtonsSend) {
    SimRig rig;
    const struct {
        QStringList ctlArgs;
        const char* window;  // the controls' values, "name=value;..."
        int alarm;           // the alarm whose button is pressed; -1: the event's button
    } cases[] = {
        {{"alarm", "2", "--time", "6:45", "--days", "weekends", "--off"},
         "DateTime3(1)=06:45;Combo1(1)=8;Check1(1)=0",
         1},
        {{"alarm", "1", "--time", "23:05", "--days", "all"},
         "DateTime3(0)=23:05;Combo1(0)=9;Check1(0)=1",
         0},
        {{"event", "--line1", "Привет", "--line2", "Щука съезд ПОДЪЕМ!", "--date", "24.12.26",
          "--hour", "7", "--on"},
         "Text2(0)=Привет;Text2(1)=Щука съезд ПОДЪЕМ!;DateTime4=24.12.26;DateTime5=07:00;Check2=1",
         -1},
    };
    int from = 0;  // each case's first request
    for (const auto& c : cases) {
        const int requests = c.alarm < 0 ? 2 : 1;
        EXPECT_EQ(Run(rig, c.ctlArgs).Code, 0) << c.ctlArgs.join(' ').toStdString();
        const QStringList fromCtl = Received(rig, from, requests);
        for (const QString& control : QString::fromUtf8(c.window).split(';')) {
            rig.window.In[control.section('=', 0, 0)] = control.section('=', 1);
        }
        c.alarm < 0 ? rig.commands.Button168_Click() : rig.commands.Button167_Click(c.alarm);
        EXPECT_EQ(fromCtl, Received(rig, from + requests, requests))
            << c.ctlArgs.join(' ').toStdString();
        from += 2 * requests;
    }
}

// Given by URL, ser2net (RFC 2217) in front of the simulator's pty gets the line values; given
// by its COM number in ports.conf, a network port nobody serves is said once, naming the URL.
TEST_F(CtlAgainstSimulator, aNetworkPortGivenByUrlIsOpenedDirectlyAndAnUnreachableOneSaysWhy) {
    SimRig rig({"--address", "3"});
    e2e::Ser2net server(rig.Device(), true);
    const ProgramRun scan = Ctl(rig.runtime.path(), config.path(),
                                {"--port", server.Url(), "--timeout", "500", "--speed", "19200",
                                 "--address", "2-3", "--json", "scan"});
    EXPECT_EQ(scan.Code, 0) << scan.Err;
    EXPECT_TRUE(Matches(scan.Out, "^\\{\"address\":3,"));
    EXPECT_TRUE(rig.ReceivedLines(2).value(1).contains("speed=19200"));

    const QString nobody = QStringLiteral("tcp://127.0.0.1:%1").arg(e2e::FreeTcpPort());
    ASSERT_TRUE(QDir().mkpath(config.filePath("pelta")));
    QFile conf(config.filePath("pelta/ports.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(("COM21 " + nobody + "\n").toUtf8());
    conf.close();
    const ProgramRun refused =
        Ctl(rig.runtime.path(), config.path(), {"--port", "21", "--address", "0-9", "scan"});
    EXPECT_EQ(refused.Code, 1);
    EXPECT_TRUE(
        Matches(refused.Err, ("^pelta-ctl: " + nobody + ": [^\n]+\n$").toUtf8().constData()));
}

TEST_F(CtlAgainstSimulator, lineValuesNotGivenComeFromTheWindowsRememberedSettings) {
    SimRig rig;
    const int com = rig.window.In["cboPortText"].section(' ', 1).toInt();
    link::RememberedSettings remembered;
    remembered.ChosenPort = com;
    remembered.Ports[com].Speed = static_cast<std::int16_t>(link::SpeedEntries().indexOf("19200"));
    remembered.ReplyTimeout = QStringLiteral("500");
    ASSERT_TRUE(link::SaveRememberedSettings(config.filePath("pelta/pelta.conf"), remembered));
    for (int from = 0;
         const auto& [args, speed] : {std::pair{QStringList{"read"}, "speed=19200"},
                                      {QStringList{"--speed", "4800", "read"}, "speed=4800"}}) {
        EXPECT_EQ(Ctl(rig.runtime.path(), config.path(), args).Code, 0) << speed;
        EXPECT_TRUE(rig.ReceivedLines(from + 1).value(from).contains(speed)) << speed;
        ++from;
    }
}

TEST_F(CtlAgainstSimulator, aGarbledReplyIsAskedAgainAndReportedAsSuchByReadAndScan) {
    SimRig rig({"--bad-crc"});
    const QStringList device{"--device", rig.Device(), "--timeout", "500"};
    const std::string crc = "^pelta-ctl: адрес 1: ошибка CRC\n$";
    // clang-format off
    ExpectRows(rig.runtime.path(), config.path(), device, {{{"--attempts", "2", "--json", "read"},
        1, R"(^\{"address":1,"ok":false,"reason":"ошибка CRC",)"
           R"("reply":"01 32 BE( [0-9A-F]{2}){19}"\})" "\n$", crc}});
    EXPECT_EQ(rig.ReceivedLines(2).size(), 2);  // the garbled reply was asked for again, once
    // A scan lists the garbled reply too, with its reason, and does not call it silence.
    ExpectRows(rig.runtime.path(), config.path(), device, {{{"--address", "1-2", "--json", "scan"},
        1, R"(^\{"address":1,"ok":false,"reason":"ошибка CRC","reply":"[^"]+"\})" "\n$", crc}});
    // clang-format on
}

// Failures before any exchange: one line, exit 2 for the command line, 1 for the port.
TEST(CtlRefusal, saysInOneLineWhatIsWrongBeforeAnyExchange) {
    QTemporaryDir scratch;
    const int locked = ::posix_openpt(O_RDWR | O_NOCTTY);  // never unlocked: its pty won't open
    ASSERT_GE(locked, 0);
    // clang-format off
    ExpectRows(scratch.path(), scratch.path(), {}, {
        {{"--port", "7", "frob"}, 2, "^$", "^pelta-ctl: [^\n]* \\(см. pelta-ctl --help\\)\n$"},
        {{"read"}, 2, "^$", "^pelta-ctl: не выбран порт: [^\n]*\n$"},
        {{"--device", scratch.filePath("none"), "read"}, 1, "^$",
         "^pelta-ctl: \\S+/none не является устройством последовательного порта\n$"},
        {{"--device", ::ptsname(locked), "read"}, 1, "^$",
         "^pelta-ctl: адрес 1: Ошибка открытия порта /dev/pts/\\d+\n$"}});
    // Without a runtime folder, as under cron: where it looked and what cron does not see.
    ExpectRows("", scratch.path(), {}, {{{"--port", "9990", "read"}, 1, "^$",
        "^pelta-ctl: порт COM 9990 не найден .* /tmp/pelta-\\d+/serialcomm; "
        "XDG_RUNTIME_DIR не задан .*/run/user/\\d+/pelta/serialcomm[^\n]*\n$"}});
    // clang-format on
    ::close(locked);
}

}  // namespace
}  // namespace pelta::ctl
