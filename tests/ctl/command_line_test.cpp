#include <gtest/gtest.h>

#include <QLocale>

#include "device/settings_commands.h"
#include "tests/link/scratch_serial_tree.h"
#include "tools/ctl/command_line.h"

namespace pelta::ctl {
namespace {

ParsedCommandLine Parse(const QStringList& args) {
    return ParseCommandLine(
        QStringList{QStringLiteral("pelta-ctl"), QStringLiteral("--port"), QStringLiteral("7")} +
        args);
}

TEST(CtlCommandLine, refusesWhatItCannotDoWithOneLineSayingWhy) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{}, "не указана команда"},
        {{"frobnicate"}, "неизвестная команда"},
        {{"--port", "7", "--frob", "read"}, "неизвестный параметр --frob"},
        {{"--port", "7", "read", "--address"}, "нет значения"},
        {{"--port", "7", "--device", "x", "read"}, "--device"},
        {{"--port", "7", "--speed", "12345", "read"}, "не из списка"},
        {{"--port", "7", "--timeout", "0", "read"}, "таймаут"},
        {{"--port", "7", "--attempts", "11", "read"}, "попыток"},
        {{"--port", "7", "read", "--time", "07:00"}, "--time не относится к команде read"},
        {{"--port", "7", "alarm", "3", "--time", "07:00", "--days", "all"}, "alarm 1 или alarm 2"},
        {{"--port", "7", "alarm", "1", "--time", "25:00", "--days", "all"}, "ЧЧ:ММ"},
        {{"--port", "7", "alarm", "1", "--time", "07:00", "--days", "monday"}, "weekdays"},
        {{"--port", "7", "alarm", "1", "--time", "7:00", "--days", "all", "--on", "--off"}, "--on"},
        {{"--port", "7", "event", "--date", "31.02.26", "--hour", "5"}, "дд.мм.гг"},
        {{"--port", "7", "event", "--date", "01.02.26", "--hour", "24"}, "час события"},
        {{"--port", "7", "event", "--date", "01.02.26", "--hour", "5", "--line1",
          "двадцать один символ!"},
         "длиннее 20"},
        {{"--port", "7", "sync-clock", "--season-change", "yes"}, "on или off"},
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
        const ParsedCommandLine parsed = ParseCommandLine(QStringList{"pelta-ctl"} + c.args);
        EXPECT_EQ(parsed.What, ParsedCommandLine::Kind::UsageError) << c.says;
        EXPECT_TRUE(parsed.Text.contains(QString::fromUtf8(c.says)) && !parsed.Text.contains('\n'))
            << c.says << ": " << parsed.Text.toStdString();
    }
}

TEST(CtlCommandLine, eventTextsTheScreenCannotShowAreRefusedNamingTheFirstCharacter) {
    const QStringList event{"event", "--date", "01.02.26", "--hour", "5"};
    const struct {
        const char* option;
        const char* text;
        const char* refusal;  // empty: accepted
    } cases[] = {
        {"--line1", "Grüße €", "--line1: символ \"ü\" (U+00FC)"},
        {"--line1", "a\tb", "--line1: символ U+0009 "},
        {"--line2", "первая\nвторая", "--line2: символ U+000A "},
        {"--line1", "«Ёлка»", "символ \"«\" (U+00AB)"},
        {"--line1", "№1", "символ \"№\" (U+2116)"},
        {"--line1", "ok \xF0\x9F\x98\x80", "символ \"\xF0\x9F\x98\x80\" (U+1F600)"},
        {"--line1", "Ёлка, ёж & Щука!", ""},
        {"--line2", " ~{}[]|\\^_`@#$%", ""},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const ParsedCommandLine parsed = Parse(event + QStringList{c.option, text});
        const bool accepted = *c.refusal == '\0';
        EXPECT_EQ(parsed.What == ParsedCommandLine::Kind::Run, accepted) << c.text;
        EXPECT_TRUE(parsed.Text.contains(QString::fromUtf8(c.refusal)))
            << c.text << ": " << parsed.Text.toStdString();
        if (accepted) {
            const EventOrder& order = parsed.Options.Event;
            EXPECT_EQ(QStringLiteral("--line1") == c.option ? order.Line1 : order.Line2, text);
        }
    }
}

TEST(CtlCommandLine, aCorrectionIsWholeSecondsWithinTheFieldsRangeAndBecomesTheWindowsByte) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const struct {
        const char* text;
        int byte;  // -1: refused
    } cases[] = {
        {"-1", 1},  {"0", 40},   {"30", 10},  {"-30", 30}, {"+5", 35}, {" -7 ", 7}, {"31", -1},
        {"41", -1}, {"-31", -1}, {"0.5", -1}, {"2,5", -1}, {"x", -1},  {"", -1},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed =
            Parse({"sync-clock", "--correction", QString::fromLatin1(c.text)});
        if (c.byte < 0) {
            EXPECT_EQ(parsed.What, ParsedCommandLine::Kind::UsageError) << c.text;
            EXPECT_TRUE(parsed.Text.contains(QStringLiteral("от -30 до 30"))) << c.text;
            continue;
        }
        ASSERT_EQ(parsed.What, ParsedCommandLine::Kind::Run) << parsed.Text.toStdString();
        EXPECT_EQ(device::ClockCorrectionFrom(parsed.Options.Clock.Correction), c.byte) << c.text;
    }
    QLocale::setDefault(QLocale::c());
}

// ports add, remove and the list, as the command line gives them, on a scratch tree holding a
// link on COM1 and a device remembered on COM2 that is not plugged in.
TEST(CtlPorts, networkPortsTakeFreeNumbersKeptBesideTheDevicesAndListAsTheWindowLists) {
    link::testing::ScratchSerialTree tree;
    tree.Link(1, "/dev/null");
    const std::string conf = "config/pelta/ports.conf";
    tree.Write(conf, "COM2 by-id/usb-A\n");
    const struct {
        QStringList Args;
        const char* Says;  // in the output, or in the error when Fails
        bool Fails;
    } steps[] = {
        {{"add", "rfc2217://127.0.0.1:4001"}, "COM 3\trfc2217://127.0.0.1:4001", false},
        {{"add", "rfc2217://127.0.0.1:4001", "--com", "9"}, "уже порт COM 3", true},
        {{"add", "tcp://[::1]:5000", "--com", "2"}, "номер COM 2 уже занят: by-id/usb-A", true},
        {{"add", "tcp://[::1]:5000", "--com", "COM1"}, "занят: /dev/null", true},
        {{"add", "tcp://[::1]:5000", "--com", "20"}, "COM 20\ttcp://[::1]:5000", false},
        {{}, "COM 1\t/dev/null\t-\nCOM 20\ttcp://[::1]:5000\ttcp://[::1]:5000\nCOM 3\t", false},
        {{"remove", "2"}, "COM 2 не сетевой порт", true},
        {{"remove", "COM 3"}, "COM 3\trfc2217://127.0.0.1:4001 удалён", false},
    };
    for (const auto& step : steps) {
        const ParsedCommandLine parsed =
            ParseCommandLine(QStringList{"pelta-ctl", "ports"} + step.Args);
        ASSERT_EQ(parsed.What, ParsedCommandLine::Kind::Run) << parsed.Text.toStdString();
        const PortsOutcome outcome = RunPortsOrder(*parsed.Options.Ports, tree.Roots());
        const QString said = step.Fails ? outcome.Error : outcome.Output;
        EXPECT_TRUE(said.contains(QString::fromUtf8(step.Says)))
            << step.Args.join(' ').toStdString() << ": " << said.toStdString();
        EXPECT_EQ(outcome.Error.isEmpty(), !step.Fails) << step.Args.join(' ').toStdString();
    }
    EXPECT_EQ(link::ParseRememberedPorts(tree.Read(conf)),
              (link::RememberedPorts{{"by-id/usb-A", 2}, {"tcp://[::1]:5000", 20}}));

    // A damaged file is left as it is: adding to it would lose the numbers it held.
    tree.Write(conf, "COM2 by-id/usb-A\ngarbage\n");
    const ParsedCommandLine add = ParseCommandLine({"pelta-ctl", "ports", "add", "tcp://h:1"});
    EXPECT_TRUE(RunPortsOrder(*add.Options.Ports, tree.Roots()).Error.contains("испорчен"));
    EXPECT_EQ(tree.Read(conf), "COM2 by-id/usb-A\ngarbage\n");
}

}  // namespace
}  // namespace pelta::ctl
