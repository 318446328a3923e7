// pelta-ctl's texts in-process: the command line, address lists, port names, the ports order,
// and the one core it holds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QLocale>

#include "device/settings_commands.h"
#include "tests/link/link_test_support.h"
#include "tests/link/scratch_serial_tree.h"
#include "tools/ctl/address_list.h"
#include "tools/ctl/command_line.h"
#include "tools/ctl/ctl_core.h"

namespace pelta::ctl {
namespace {

ParsedCommandLine Parse(const QStringList& args) {
    return ParseCommandLine(QStringList{"pelta-ctl", "--port", "7"} + args);
}

TEST(CtlCommandLine, refusesWhatItCannotDoInOneLine) {
    const QStringList ev{"event", "--date", "01.02.26", "--hour", "5"};
    const struct {
        QStringList args;  // after --port 7
        const char* says;
    } cases[] = {
        {{}, "не указана команда"},
        {{"frobnicate"}, "неизвестная команда"},
        {{"--frob", "read"}, "неизвестный параметр --frob"},
        {{"read", "--address"}, "нет значения"},
        {{"--device", "x", "read"}, "--device"},
        {{"--speed", "12345", "read"}, "не из списка"},
        {{"--timeout", "0", "read"}, "таймаут"},
        {{"--attempts", "11", "read"}, "попыток"},
        {{"read", "--time", "07:00"}, "--time не относится к команде read"},
        {{"alarm", "3", "--time", "07:00", "--days", "all"}, "alarm 1 или alarm 2"},
        {{"alarm", "1", "--time", "25:00", "--days", "all"}, "ЧЧ:ММ"},
        {{"alarm", "1", "--time", "07:00", "--days", "monday"}, "weekdays"},
        {{"alarm", "1", "--time", "7:00", "--days", "all", "--on", "--off"}, "--on"},
        {{"event", "--date", "31.02.26", "--hour", "5"}, "дд.мм.гг"},
        {{"event", "--date", "01.02.26", "--hour", "24"}, "час события"},
        {ev + QStringList{"--line1", "двадцать один символ!"}, "длиннее 20"},
        {ev + QStringList{"--line1", "Grüße €"}, "--line1: символ \"ü\" (U+00FC)"},
        {ev + QStringList{"--line1", "a\tb"}, "--line1: символ U+0009 "},
        {ev + QStringList{"--line2", "первая\nвторая"}, "--line2: символ U+000A "},
        {ev + QStringList{"--line1", "ok \xF0\x9F\x98\x80"},
         "символ \"\xF0\x9F\x98\x80\" (U+1F600)"},
        {{"sync-clock", "--season-change", "yes"}, "on или off"},
        {{"watch", "--interval", "0"}, "--interval"},
        {{"watch", "--mqtt", "mqtt://u:pw@host"}, "--mqtt"},
        {{"read", "--csv", "x.csv"}, "только к watch"},
        {{"--port", "ftp://host:21", "scan"}, "tcp://ХОСТ:ПОРТ"},
        {{"--port", "rfc2217://host", "read"}, "rfc2217://ХОСТ:ПОРТ"},
        {{"ports", "add", "tcp://host:0"}, "tcp://ХОСТ:ПОРТ"},
        {{"ports", "add"}, "ports add URL"},
        {{"ports", "remove", "x"}, "\"x\" не похож"},
        {{"ports", "--com", "3"}, "ports add URL"},
        {{"read", "--com", "3"}, "--com не относится к команде read"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = Parse(c.args);
        EXPECT_TRUE(parsed.Text.contains(QString::fromUtf8(c.says)) && !parsed.Text.contains('\n'))
            << c.says << ": " << parsed.Text.toStdString();
    }
}

TEST(CtlCommandLine, aCorrectionIsWholeSecondsWithinTheFieldsRangeAndBecomesTheWindowsByte) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const std::pair<const char*, int> cases[] = {
        // 0: refused as out of range
        {"-1", 1}, {"0", 40},  {"30", 10}, {"-30", 30}, {"+5", 35}, {" -7 ", 7}, {"31", 0},
        {"41", 0}, {"-31", 0}, {"0.5", 0}, {"2,5", 0},  {"x", 0},   {"", 0}};
    for (const auto& [text, byte] : cases) {
        const ParsedCommandLine parsed = Parse({"sync-clock", "--correction", text});
        const int code = device::ClockCorrectionFrom(parsed.Options.Clock.Correction).value_or(-1);
        EXPECT_EQ(parsed.Text.contains(QStringLiteral("от -30 до 30")) ? 0 : code, byte) << text;
    }
    QLocale::setDefault(QLocale::c());
}

// ports add, remove and the list, as the command line gives them, on a scratch tree holding a
// link on COM1 to the test's own pty and a device remembered on COM2 that is not plugged in.
TEST(CtlPorts, networkPortsTakeFreeNumbersKeptBesideTheDevicesAndListAsTheWindowLists) {
    link::testing::ScratchSerialTree tree;
    const link::testing::PtyPair pty;
    tree.Link(1, pty.name);
    const std::string conf = "config/pelta/ports.conf";
    tree.Write(conf, "COM2 by-id/usb-A\n");
    const struct {
        QStringList Args;
        const char* Says;  // in the output, or in the error when Fails; %P: the pty's name
        bool Fails;
    } steps[] = {
        {{"add", "rfc2217://127.0.0.1:4001"}, "COM 3\trfc2217://127.0.0.1:4001", false},
        {{"add", "rfc2217://127.0.0.1:4001", "--com", "9"}, "уже порт COM 3", true},
        {{"add", "tcp://[::1]:5000", "--com", "2"}, "номер COM 2 уже занят: by-id/usb-A", true},
        {{"add", "tcp://[::1]:5000", "--com", "COM1"}, "занят: %P", true},
        {{"add", "tcp://[::1]:5000", "--com", "20"}, "COM 20\ttcp://[::1]:5000", false},
        {{}, "COM 1\t%P\t-\nCOM 20\ttcp://[::1]:5000\ttcp://[::1]:5000\nCOM 3\t", false},
        {{"remove", "2"}, "COM 2 не сетевой порт", true},
        {{"remove", "COM 3"}, "COM 3\trfc2217://127.0.0.1:4001 удалён", false},
    };
    for (const auto& step : steps) {
        const ParsedCommandLine parsed =
            ParseCommandLine(QStringList{"pelta-ctl", "ports"} + step.Args);
        ASSERT_EQ(parsed.What, ParsedCommandLine::Kind::Run) << parsed.Text.toStdString();
        const PortsOutcome outcome = RunPortsOrder(*parsed.Options.Ports, tree.Roots());
        const QString said = step.Fails ? outcome.Error : outcome.Output;
        EXPECT_TRUE(said.contains(QString::fromUtf8(step.Says).replace("%P", pty.name)))
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

TEST(AddressList, acceptsAddressesAndRangesAndRefusesTheWholeListOnAnyBadItem) {
    // {}: refused, with a reason
    // clang-format off
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"0", {0}}, {"254-255", {254, 255}}, {"1,3,5-9", {1, 3, 5, 6, 7, 8, 9}}, {"5-5", {5}},
        {" 4 , 2 ", {4, 2}}, {"2,1-3,2", {2, 1, 3}}, {"3-1", {}}, {"1,,2", {}}, {"256", {}},
        {"250-256", {}}, {"", {}}, {"-1", {}}, {"1-2-3", {}}, {"+7", {}}};
    // clang-format on
    for (const auto& [text, addresses] : cases) {
        const AddressList list = ParseAddressList(QString::fromLatin1(text));
        EXPECT_TRUE(list.Addresses == addresses && list.Error.isEmpty() == !addresses.empty())
            << text;
    }
}

TEST(PortText, takesTheListTextOrItsNumber) {
    const std::pair<const char*, int> cases[] = {
        // 0: refused
        {"com7", 7}, {" 12 ", 12}, {"COM 32767", 32767}, {"COM 32768", 0},
        {"0", 0},    {"COM", 0},   {"COM 7x", 0},        {"/dev/ttyS0", 0}};
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(ParsePortNumber(QString::fromLatin1(text)).value_or(0), number) << text;
    }
}

TEST(CtlCore, logsAMapFolderItRefusesToTheErrorLogAsTheWindowDoes) {
    link::testing::ScratchSerialTree tree;
    const std::string map = tree.Path("run/pelta/serialcomm");
    ASSERT_EQ(::chmod(map.c_str(), 0777), 0);

    CtlCore ctl(tree.Roots());
    QFile log(ctl.core.ErrorLog().FilePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(("Ссылки COM из папки " + map).c_str()));
}

}  // namespace
}  // namespace pelta::ctl
