// The operator's choices per port, the apply step and their translation to line values.

#include "link/link_settings.h"

#include <ranges>

#include "link/link_error.h"
#include "link/serial_link.h"
#include "link_test_support.h"

namespace pelta::link {
namespace {

class LinkSettingsTest : public testing::MemoryChannelTest {
  protected:
    testing::RecordingErrorLog errorLog;
    LinkSettingsModel settings{channel, errorLog, messages};

    static LinkChoices ChoicesFor(std::int16_t port, std::int16_t speed = DefaultSpeedPosition) {
        LinkChoices choices;
        choices.PortNumber = port;
        choices.Speed = speed;
        return choices;
    }
    // Configures the open port from the port's entry; gives the text and the line call.
    std::pair<QString, std::string> Init(std::int16_t portNumber) {
        OpenPort(1);
        const QString text = settings.ComPortInit(portNumber);
        channel.ClosePort();
        return {text, api.Calls.size() > 1 ? api.Calls[1] : ""};
    }
};

TEST_F(LinkSettingsTest, shouldTurnEachPortsChoicesIntoLineValuesThatMeanWhatTheListSays) {
    const PropertyLists lists = LinkSettingsModel::LoadPropertySettings();
    EXPECT_EQ(lists.Parity[lists.ParityPosition], "None") << "the default shown is what runs";
    struct Case {
        std::int16_t Port, Speed, DataBits, Parity, StopBits;
        const char* Text;
        const char* State;  // "SetCommState speed bits parity-code stop-code"
    };
    // Each port keeps its own entry, by COM number; 40 lies beyond 33 ports.
    const Case cases[] = {
        {1, DefaultSpeedPosition, lists.DataBitsPosition, lists.ParityPosition,
         lists.StopBitsPosition, "9600,n,8,1", "SetCommState 9600 8 0 0"},
        {5, 5, 4, 0, 0, "9600,e,8,1", "SetCommState 9600 8 2 0"},
        {40, 7, 3, 1, 2, "19200,o,7,2", "SetCommState 19200 7 1 2"},
        {3, 0, 4, 3, 0, "300,m,8,1", "SetCommState 300 8 3 0"},
        {2, 3, 2, 4, 0, "2400,s,6,1", "SetCommState 2400 6 4 0"},
        {7, 5, 1, 2, 1, "9600,n,5,1.5", "SetCommState 9600 5 0 1"},
        {41, 0, 0, 0, 0, "9600,n,8,1", "SetCommState 9600 8 0 0"},  // never applied: defaults
    };
    for (const auto& c : cases | std::views::take(6)) {
        LinkChoices choices = ChoicesFor(c.Port, c.Speed);
        choices.DataBits = c.DataBits;
        choices.Parity = c.Parity;
        choices.StopBits = c.StopBits;
        ASSERT_TRUE(settings.Apply(choices)) << c.Text;
    }
    for (const auto& c : cases) {
        EXPECT_EQ(Init(c.Port), std::make_pair(QString::fromLatin1(c.Text), std::string(c.State)));
    }
    EXPECT_TRUE(messages.Shown.empty());
    EXPECT_TRUE(errorLog.Entries.empty());
}

TEST_F(LinkSettingsTest, shouldRefuseApplyWithoutAPortOrWithABadAddress) {
    const std::pair<std::int16_t, const char*> cases[] = {
        {0, "7"}, {1, ""}, {1, "abc"}, {1, "256"}, {1, "-1"}, {1, "1.5"}, {1, "12a"}};
    for (const auto& [port, address] : cases) {
        messages.Shown.clear();
        LinkChoices choices = ChoicesFor(port);
        choices.AddressText = QString::fromLatin1(address);
        EXPECT_FALSE(settings.Apply(choices)) << address;
        const char* why =
            port < 1 ? "Не выбран порт!" : "Адрес контроллера должен быть целым числом от 0 до 255";
        EXPECT_EQ(messages.Shown,
                  (testing::ShownMessages{{QString::fromUtf8(why), MessageIcon::Exclamation}}))
            << address;
        EXPECT_EQ(settings.ControllerAddress, 1) << address;
        EXPECT_TRUE(settings.PortTable.empty()) << address;
    }
}

TEST_F(LinkSettingsTest, shouldTakeAttemptsOnApplyOnlyAsAWholeNumberFromOneToTen) {
    const QString refusal =
        QString::fromUtf8("Количество попыток должно быть целым числом от 1 до 10");
    const std::pair<const char*, std::int32_t> cases[] = {
        {"3", 3}, {" 10 ", 10}, {"1", 1},  {"0", 0},   {"11", 0},
        {"", 0},  {"2.5", 0},   {"-1", 0}, {"три", 0}, {"3 4", 0}};
    for (const auto& [text, taken] : cases) {
        messages.Shown.clear();
        settings.PortTable.clear();
        settings.Attempts = 7;
        settings.ControllerAddress = 9;
        LinkChoices choices = ChoicesFor(1);
        choices.AddressText = QStringLiteral("5");
        choices.AttemptsText = QString::fromUtf8(text);
        EXPECT_EQ(settings.Apply(choices), taken != 0) << text;
        if (taken != 0) {
            EXPECT_EQ(std::make_pair(settings.Attempts, settings.ControllerAddress),
                      std::make_pair(taken, 5));
            EXPECT_TRUE(messages.Shown.empty()) << text;
        } else {
            EXPECT_EQ(messages.Shown, (testing::ShownMessages{{refusal, MessageIcon::Exclamation}}))
                << text;
            EXPECT_EQ(settings.Attempts, 7) << text << ": nothing changes";
            EXPECT_EQ(settings.ControllerAddress, 9) << text;
            EXPECT_TRUE(settings.PortTable.empty()) << text;
        }
    }
}

TEST_F(LinkSettingsTest, shouldLogAnEntryOutsideItsListAndLeaveThePortAlone) {
    ASSERT_TRUE(settings.Apply(ChoicesFor(1, 9)));
    EXPECT_EQ(Init(1), std::make_pair(QString(), std::string()));
    const QString description = QString::fromUtf8("Позиция 9 вне списка скоростей");
    EXPECT_EQ(
        errorLog.Entries,
        (std::vector<QString>{
            QString::fromUtf8("log:Ошибка: Дривел1.Form2.ComPortInit =  ") + description + ": ",
            QString::fromUtf8("detail:1|Ошибка данных||err.Description=") + description +
                QString::fromUtf8(" module = Дривел1.Form2.ComPortInit")}));
}

TEST_F(LinkSettingsTest, shouldOpenTheDeviceFixedForTheListPositionWithItsPortsSettings) {
    PortDiscovery discovery{SerialMapRoots{"/nonexistent", "/nonexistent", "/dev"}};
    discovery.SetPorts({{3, "dev-c", {}}, {12, "dev-b", {}}, {1, "dev-a", {}}});
    SerialLink link{channel, discovery, settings};
    api.ExistingDevices = {"dev-b", "COM3"};  // COM3 is not what position 2 named
    ASSERT_TRUE(settings.Apply(ChoicesFor(12, 7)));
    link.OpenSelectedPort(1);
    link.ClosePort();
    link.OpenSelectedPort(2);
    EXPECT_EQ(api.Calls,
              (std::vector<std::string>{
                  "CreateFile dev-b", "SetCommTimeouts", "SetCommState 19200 8 0 0", "CloseHandle",
                  "CreateFile dev-c", "SetCommTimeouts", "SetCommState 9600 8 0 0"}));
    ASSERT_FALSE(messages.Shown.empty());
    EXPECT_EQ(
        messages.Shown.front(),
        std::make_pair(QString::fromUtf8("Ошибка открытия порта COM3"), MessageIcon::Critical));
    for (const std::int16_t position : {std::int16_t{-1}, std::int16_t{3}}) {
        EXPECT_THROW(link.OpenSelectedPort(position), LinkError) << position;
    }
}

}  // namespace
}  // namespace pelta::link
