#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "link/remembered_settings.h"
#include "tests/e2e/sim_rig.h"
#include "tests/support/network_peers.h"

namespace pelta::ctl {
namespace {

using e2e::SimRig;

struct CtlRun {
    int ExitCode = -1;
    QString Out;
    QString Err;

    QStringList OutLines() const { return Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    QStringList ErrLines() const { return Err.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    QJsonObject Json(int line) const {
        return QJsonDocument::fromJson(OutLines().value(line).toUtf8()).object();
    }
};

// Runs pelta-ctl in a Russian locale, with the simulator's port map (none for an empty
// runtimeDir, as under cron) and a scratch config home.
CtlRun RunCtl(const QString& runtimeDir, const QString& configHome, const QStringList& args) {
    QProcess ctl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtimeDir.isEmpty()) {
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    }
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
    ctl.setProcessEnvironment(environment);
    ctl.start(QStringLiteral(PELTA_CTL_PROGRAM), args);
    if (!ctl.waitForFinished(60000)) {
        ctl.kill();
        ctl.waitForFinished();
    }
    return {ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1,
            QString::fromUtf8(ctl.readAllStandardOutput()),
            QString::fromUtf8(ctl.readAllStandardError())};
}

class CtlAgainstSimulator : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // The rig's port, a time-out that a busy machine still meets, then the arguments.
    CtlRun Run(SimRig& rig, const QStringList& args) {
        return RunCtl(
            rig.runtime.path(), config.path(),
            QStringList{"--port", rig.window.In["cboPortText"], "--timeout", "500"} + args);
    }
    // The bytes of the last `count` requests the simulator received.
    static QStringList LastReceived(SimRig& rig, int count) {
        const QStringList received = rig.ReceivedLines(rig.ReceivedLines(0).size() + count);
        QStringList bytes;
        for (const QString& line : received.mid(received.size() - count)) {
            bytes << SimRig::LoggedHex(line);
        }
        return bytes;
    }

    QTemporaryDir config;
};

void ExpectMatches(const QString& text, const char* pattern) {
    EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(pattern))))
        << pattern << " not in:\n"
        << text.toStdString();
}

TEST_F(CtlAgainstSimulator, readAndSettingsShowTheSimulatorsStateAndAMissingAddressFailsAlone) {
    SimRig rig(
        {"--indoor", "20.3", "--outdoor", "-4.5", "--humidity", "61", "--pressure", "742.25"});
    const CtlRun json = Run(rig, {"--address", "2,1", "--json", "read"});
    EXPECT_EQ(json.ExitCode, 1);
    ASSERT_EQ(json.OutLines().size(), 2) << json.Out.toStdString();
    EXPECT_EQ(json.Json(0)[QStringLiteral("ok")], false);
    EXPECT_EQ(json.Json(0)[QStringLiteral("reason")], QStringLiteral("нет ответа"));
    EXPECT_EQ(json.ErrLines(), QStringList{QStringLiteral("pelta-ctl: адрес 2: нет ответа")});
    const QJsonObject read = json.Json(1);
    EXPECT_EQ(read[QStringLiteral("address")], 1);
    EXPECT_EQ(read[QStringLiteral("ok")], true);
    EXPECT_EQ(read[QStringLiteral("indoor_temperature")], 20.3);
    EXPECT_EQ(read[QStringLiteral("outdoor_temperature")], -4.5);
    EXPECT_EQ(read[QStringLiteral("humidity")], 61);
    EXPECT_EQ(read[QStringLiteral("pressure")], 742.25);
    EXPECT_LE(std::abs(read[QStringLiteral("drift")].toInt()), 1);
    EXPECT_EQ(read[QStringLiteral("date")], QDate::currentDate().toString(Qt::ISODate));
    EXPECT_TRUE(read[QStringLiteral("reply")].toString().startsWith(QStringLiteral("01 32 BE ")));
    // The drift is taken when the reply came, not at the end of a long reply wait.
    const CtlRun slow =
        RunCtl(rig.runtime.path(), config.path(),
               {"--port", rig.window.In["cboPortText"], "--timeout", "2500", "--json", "read"});
    EXPECT_LE(std::abs(slow.Json(0)[QStringLiteral("drift")].toInt(99)), 1)
        << slow.Out.toStdString();

    const CtlRun text = Run(rig, {"--address", "1,2", "read"});
    EXPECT_EQ(text.ExitCode, 1);
    ExpectMatches(text.Out, "^Адрес 1\n");
    ExpectMatches(text.Out, "\n  ДОМ, Температура: +20,3 °C\n");
    ExpectMatches(text.Out, "\n  ДОМ, Влажность: +61%\n");
    ExpectMatches(text.Out, "\n  Улица, Температура: +-4,5 °C\n");
    ExpectMatches(text.Out, "\n  Улица, Давление: +742,25 мм Рт\n");
    ExpectMatches(text.Out, "\n  Уход часов: +[+-] 0 ч. 00 мин. 0[01] сек\n");
    EXPECT_FALSE(text.Out.contains(QStringLiteral("Адрес 2")));

    const CtlRun settings = Run(rig, {"--json", "settings"});
    EXPECT_EQ(settings.ExitCode, 0) << settings.Err.toStdString();
    const QJsonObject s = settings.Json(0);
    const QJsonObject alarm1{
        {"time", "07:30"}, {"days", "Будни дни"}, {"days_code", 8}, {"on", true}};
    const QJsonObject alarm2{
        {"time", "09:10"}, {"days", "Выходные"}, {"days_code", 9}, {"on", false}};
    EXPECT_EQ(s[QStringLiteral("alarm1")], alarm1);
    EXPECT_EQ(s[QStringLiteral("alarm2")], alarm2);
    const QJsonObject night{{"mode", "Включать по датчику в темноте"},
                            {"mode_code", 1},
                            {"from", "22:05"},
                            {"to", "06:50"}};
    EXPECT_EQ(s[QStringLiteral("night_light")], night);
    EXPECT_EQ(s[QStringLiteral("lunar_calendar")], true);

    const CtlRun settingsText = Run(rig, {"settings"});
    ExpectMatches(settingsText.Out, "\n  Будильник №2: +09:10, Выходные, отключен\n");
    ExpectMatches(settingsText.Out, "\n  Экран: +Включать по: Расписанию, 22:15 - 07:45\n");
    ExpectMatches(settingsText.Out, "\n  Прокручивать лунный календарь: да\n");
}

TEST_F(CtlAgainstSimulator,
       syncClockSetsTheSimulatorsClockWithTheWindowsCodesAndReportsBothDrifts) {
    SimRig rig;
    rig.commands.Button166_Click();  // the rig's window sends 05.03.09 14:07:09
    const CtlRun sync =
        Run(rig, {"--json", "sync-clock", "--correction", "5", "--season-change", "on"});
    ASSERT_EQ(sync.ExitCode, 0) << sync.Err.toStdString();
    const QJsonObject result = sync.Json(0);
    EXPECT_LT(result[QStringLiteral("drift_before")].toDouble(), -500'000'000.0);
    EXPECT_LE(std::abs(result[QStringLiteral("drift_after")].toInt()), 1);

    // Read, set, read: the set carries the date sent, the correction 40 - 5, the season
    // change on (0) and the weekday, Sunday 1.
    const QStringList received = LastReceived(rig, 3);
    const QDateTime sent =
        QDateTime::fromString(result[QStringLiteral("sent")].toString(), Qt::ISODate);
    QStringList expected{QStringLiteral("01"), QStringLiteral("5A"), QStringLiteral("5E")};
    for (const int value :
         {sent.date().day(), sent.date().month(), sent.date().year() % 100, sent.time().hour(),
          sent.time().minute(), sent.time().second(), 35, 0, sent.date().dayOfWeek() % 7 + 1}) {
        expected << QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    }
    EXPECT_EQ(received.value(1), expected.join(QLatin1Char(' ')));

    rig.commands.Command5_Click();
    EXPECT_LE(std::abs(rig.state.ControllerClock.secsTo(QDateTime::currentDateTime())), 1);

    const CtlRun text = Run(rig, {"sync-clock"});
    ExpectMatches(text.Out, "\n  Уход часов до: +[+-] 0 ч. 00 мин. 0[01] сек\n");
    ExpectMatches(text.Out, "\n  Уход часов после: +[+-] 0 ч. 00 мин. 0[01] сек\n");
}

TEST_F(CtlAgainstSimulator, scanFindsExactlyTheSimulatorsAddress) {
    SimRig rig({"--address", "3"});
    const CtlRun text = Run(rig, {"--address", "2-4", "scan"});
    EXPECT_EQ(text.ExitCode, 0) << text.Err.toStdString();
    ASSERT_EQ(text.OutLines().size(), 2) << text.Out.toStdString();
    ExpectMatches(text.OutLines()[1],
                  "^3 +\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d +[+-] 0 ч.");
    EXPECT_TRUE(text.Err.isEmpty()) << text.Err.toStdString();

    const CtlRun json = Run(rig, {"--address", "2-4", "--json", "scan"});
    ASSERT_EQ(json.OutLines().size(), 1) << json.Out.toStdString();
    EXPECT_EQ(json.Json(0)[QStringLiteral("address")], 3);

    const CtlRun none = Run(rig, {"--address", "4", "scan"});
    EXPECT_EQ(none.ExitCode, 1);
    EXPECT_TRUE(none.Out.isEmpty());
    EXPECT_EQ(none.ErrLines(),
              QStringList{QStringLiteral("pelta-ctl: нет ответа ни от одного адреса")});
}

// ser2net (RFC 2217) in front of the simulator's pty, given by URL: the line values reach the
// pty; a network port nobody serves is said once, naming the URL.
TEST_F(CtlAgainstSimulator, aNetworkPortGivenByUrlIsOpenedDirectlyAndAnUnreachableOneSaysWhy) {
    SimRig rig({"--address", "3"});
    e2e::Ser2net server(rig.Device(), true);
    const CtlRun scan = RunCtl(rig.runtime.path(), config.path(),
                               {"--port", server.Url(), "--timeout", "500", "--speed", "19200",
                                "--address", "2-3", "--json", "scan"});
    EXPECT_EQ(scan.ExitCode, 0) << scan.Err.toStdString();
    EXPECT_EQ(scan.Json(0)[QStringLiteral("address")], 3) << scan.Out.toStdString();
    EXPECT_TRUE(rig.ReceivedLines(2).value(1).contains(QStringLiteral("speed=19200")));

    // Given a COM number in ports.conf, as `ports add` does.
    const QString nobody = QStringLiteral("tcp://127.0.0.1:%1").arg(e2e::FreeTcpPort());
    ASSERT_TRUE(QDir().mkpath(config.filePath("pelta")));
    QFile conf(config.filePath("pelta/ports.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(("COM21 " + nobody + "\n").toUtf8());
    conf.close();
    const CtlRun refused =
        RunCtl(rig.runtime.path(), config.path(), {"--port", "21", "--address", "0-9", "scan"});
    EXPECT_EQ(refused.ExitCode, 1);
    ASSERT_EQ(refused.ErrLines().size(), 1) << refused.Err.toStdString();
    EXPECT_TRUE(refused.Err.startsWith(QStringLiteral("pelta-ctl: ") + nobody + ": "));
}

TEST_F(CtlAgainstSimulator, alarmAndEventSendWhatTheWindowsButtonsSend) {
    SimRig rig;
    struct Case {
        QStringList ctlArgs;
        std::map<QString, QString> window;
        std::function<void(SimRig&)> press;
        int requests;
    };
    const Case cases[] = {
        {{"alarm", "2", "--time", "6:45", "--days", "weekends", "--off"},
         {{"DateTime3(1)", "06:45"}, {"Combo1(1)", "8"}, {"Check1(1)", "0"}},
         [](SimRig& r) { r.commands.Button167_Click(1); },
         1},
        {{"alarm", "1", "--time", "23:05", "--days", "all"},
         {{"DateTime3(0)", "23:05"}, {"Combo1(0)", "9"}, {"Check1(0)", "1"}},
         [](SimRig& r) { r.commands.Button167_Click(0); },
         1},
        {{"event", "--line1", "Привет", "--line2", "Щука съезд ПОДЪЕМ!", "--date", "24.12.26",
          "--hour", "7", "--on"},
         {{"Text2(0)", "Привет"},
          {"Text2(1)", "Щука съезд ПОДЪЕМ!"},
          {"DateTime4", "24.12.26"},
          {"DateTime5", "07:00"},
          {"Check2", "1"}},
         [](SimRig& r) { r.commands.Button168_Click(); },
         2},
    };
    for (const Case& c : cases) {
        const CtlRun run = Run(rig, c.ctlArgs);
        EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        const QStringList fromCtl = LastReceived(rig, c.requests);
        for (const auto& [control, value] : c.window) {
            rig.window.In[control] = value;
        }
        c.press(rig);
        EXPECT_EQ(fromCtl, LastReceived(rig, c.requests)) << c.ctlArgs.join(' ').toStdString();
    }
    const QJsonObject stored = Run(rig, {"--json", "settings"}).Json(0);
    const QJsonObject alarm1{
        {"time", "23:05"}, {"days", "Все дни"}, {"days_code", 10}, {"on", true}};
    const QJsonObject alarm2{
        {"time", "06:45"}, {"days", "Выходные"}, {"days_code", 9}, {"on", false}};
    EXPECT_EQ(stored[QStringLiteral("alarm1")], alarm1);
    EXPECT_EQ(stored[QStringLiteral("alarm2")], alarm2);
}

TEST_F(CtlAgainstSimulator, lineValuesNotGivenComeFromTheWindowsRememberedSettings) {
    SimRig rig;
    const int com = rig.window.In["cboPortText"].section(' ', 1).toInt();
    link::RememberedSettings remembered;
    remembered.ChosenPort = com;
    remembered.Ports[com].Speed = static_cast<std::int16_t>(link::SpeedEntries().indexOf("19200"));
    remembered.ReplyTimeout = QStringLiteral("500");
    ASSERT_TRUE(link::SaveRememberedSettings(config.filePath("pelta/pelta.conf"), remembered));

    const struct {
        QStringList args;
        const char* speed;
    } cases[] = {{{"read"}, "speed=19200"}, {{"--speed", "4800", "read"}, "speed=4800"}};
    for (const auto& c : cases) {
        const CtlRun run = RunCtl(rig.runtime.path(), config.path(), c.args);
        EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        const QStringList received = rig.ReceivedLines(rig.ReceivedLines(0).size() + 1);
        ASSERT_FALSE(received.isEmpty());
        EXPECT_TRUE(received.last().contains(QString::fromLatin1(c.speed)))
            << received.last().toStdString();
    }
}

TEST_F(CtlAgainstSimulator, aDeviceGivenByPathAndAGarbledReplyAreReportedAsSuch) {
    SimRig rig({"--bad-crc"});
    const QString link = rig.runtime.filePath(QStringLiteral("pelta/serialcomm/") +
                                              rig.window.In["cboPortText"].remove(' '));
    const QString device = QFileInfo(link).symLinkTarget();
    ASSERT_FALSE(device.isEmpty());
    const CtlRun run =
        RunCtl(rig.runtime.path(), config.path(),
               {"--device", device, "--timeout", "500", "--attempts", "2", "--json", "read"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(rig.ReceivedLines(2).size(), 2);  // the bad reply was asked for again
    EXPECT_EQ(run.Json(0)[QStringLiteral("reason")], QStringLiteral("ошибка CRC"));
    EXPECT_EQ(run.Json(0)[QStringLiteral("reply")].toString().split(' ').size(), 22);
    EXPECT_EQ(run.ErrLines(), QStringList{QStringLiteral("pelta-ctl: адрес 1: ошибка CRC")});

    // A scan lists the garbled reply too, with its reason, and does not call it silence.
    const CtlRun scan =
        RunCtl(rig.runtime.path(), config.path(),
               {"--device", device, "--timeout", "500", "--address", "1-2", "--json", "scan"});
    EXPECT_EQ(scan.ExitCode, 1);
    ASSERT_EQ(scan.OutLines().size(), 1) << scan.Out.toStdString();
    EXPECT_EQ(scan.Json(0)[QStringLiteral("address")], 1);
    EXPECT_EQ(scan.Json(0)[QStringLiteral("ok")], false);
    EXPECT_EQ(scan.Json(0)[QStringLiteral("reason")], QStringLiteral("ошибка CRC"));
    EXPECT_EQ(scan.ErrLines(), QStringList{QStringLiteral("pelta-ctl: адрес 1: ошибка CRC")});

    const CtlRun missing = RunCtl(rig.runtime.path(), config.path(),
                                  {"--device", rig.runtime.filePath("none"), "read"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.ErrLines().size(), 1);
    // A character device that is no terminal: the open fails, and the message names it.
    const CtlRun refused =
        RunCtl(rig.runtime.path(), config.path(), {"--device", "/dev/null", "read"});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_EQ(refused.ErrLines().value(0),
              QStringLiteral("pelta-ctl: адрес 1: Ошибка открытия порта /dev/null"));
}

TEST(CtlPortMap, aPortNotFoundWithoutARuntimeFolderSaysWhereItLookedAndWhatCronDoesNotSee) {
    QTemporaryDir config;
    const CtlRun run = RunCtl(QString(), config.path(), {"--port", "9990", "read"});
    EXPECT_EQ(run.ExitCode, 1);
    ASSERT_EQ(run.ErrLines().size(), 1) << run.Err.toStdString();
    ExpectMatches(run.Err,
                  "порт COM 9990 не найден .* /tmp/pelta-\\d+/serialcomm; "
                  "XDG_RUNTIME_DIR не задан .*/run/user/\\d+/pelta/serialcomm");
}

TEST(CtlUsage, aUsageErrorExitsTwoWithOneRussianLineAndTouchesNoPort) {
    QTemporaryDir scratch;
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{}, "не указана команда"},
        {{"frobnicate"}, "неизвестная команда"},
        {{"--port", "7", "--frob", "read"}, "неизвестный параметр --frob"},
        {{"--port", "7", "read", "--address"}, "нет значения"},
        {{"--port", "7", "--device", "/dev/null", "read"}, "--device"},
        {{"--port", "7", "--speed", "12345", "read"}, "не из списка"},
        {{"--port", "7", "--timeout", "0", "read"}, "таймаут"},
        {{"--port", "7", "--attempts", "11", "read"}, "попыток"},
        {{"--port", "7", "read", "--time", "07:00"}, "--time не относится к команде read"},
        {{"--port", "7", "alarm", "3", "--time", "07:00", "--days", "all"}, "alarm 1 или alarm 2"},
        {{"--port", "7", "alarm", "1", "--time", "25:00", "--days", "all"}, "ЧЧ:ММ"},
        {{"--port", "7", "alarm", "1", "--time", "07:00", "--days", "monday"}, "weekdays"},
        {{"--port", "7", "alarm", "1", "--time", "07:00", "--days", "all", "--on", "--off"},
         "--on"},
        {{"--port", "7", "event", "--date", "31.02.26", "--hour", "5"}, "дд.мм.гг"},
        {{"--port", "7", "event", "--date", "01.02.26", "--hour", "24"}, "час события"},
        {{"--port", "7", "event", "--date", "01.02.26", "--hour", "5", "--line1",
          "двадцать один символ!"},
         "длиннее 20"},
        {{"--port", "7", "sync-clock", "--correction", "41"}, "от -30 до 30"},
        {{"--port", "7", "event", "--date", "01.02.26", "--hour", "5", "--line1", "Grüße €"},
         "символ \"ü\""},
        {{"--port", "7", "sync-clock", "--season-change", "yes"}, "on или off"},
        {{"read"}, "не выбран порт"},
        {{"--port", "7", "watch", "--interval", "0"}, "--interval"},
        {{"--port", "7", "watch", "--mqtt", "mqtt://u:pw@host"}, "--mqtt"},
        {{"--port", "7", "read", "--csv", "x.csv"}, "только к watch"},
        {{"--port", "ftp://host:21", "scan"}, "tcp://ХОСТ:ПОРТ"},
        {{"--port", "rfc2217://host", "read"}, "rfc2217://ХОСТ:ПОРТ"},
        {{"ports", "add", "tcp://host:0"}, "tcp://ХОСТ:ПОРТ"},
        {{"ports", "add"}, "ports add URL"},
        {{"ports", "remove", "x"}, "\"x\" не похож"},
        {{"ports", "--com", "3"}, "ports add URL"},
        {{"--port", "7", "read", "--com", "3"}, "--com не относится к команде read"},
    };
    for (const auto& c : cases) {
        const CtlRun run = RunCtl(scratch.path(), scratch.path(), c.args);
        const std::string args = c.args.join(' ').toStdString();
        EXPECT_EQ(run.ExitCode, 2) << args;
        EXPECT_TRUE(run.Out.isEmpty()) << args;
        ASSERT_EQ(run.ErrLines().size(), 1) << args << ": " << run.Err.toStdString();
        EXPECT_TRUE(run.Err.startsWith(QStringLiteral("pelta-ctl: ")));
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.says)))
            << args << ": " << run.Err.toStdString();
    }
}

}  // namespace
}  // namespace pelta::ctl
