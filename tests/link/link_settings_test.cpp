// The operator's choices per port, the apply step and their translation to line values.

#include "link/link_settings.h"

#include <gtest/gtest.h>

#include "link/link_error.h"
#include "link/memory_port_api.h"
#include "link/serial_link.h"
#include "link_test_support.h"

namespace pelta::link {
namespace {

using testing::RecordingErrorLog;
using testing::RecordingMessageSink;
using testing::ShownMessage;

constexpr std::int16_t EvenPosition = 0;
constexpr std::int16_t OddPosition = 1;
constexpr std::int16_t MarkPosition = 3;
constexpr std::int16_t SpacePosition = 4;

class LinkSettingsTest : public ::testing::Test {
  protected:
    MemoryPortApi api;
    RecordingMessageSink messages;
    RecordingErrorLog errorLog;
    SerialChannel channel{api, messages};
    LinkSettingsModel settings{channel, errorLog, messages};

    static LinkChoices ChoicesFor(std::int16_t port) {
        LinkChoices choices;
        choices.PortPosition = port;
        choices.PortText = QStringLiteral("COM %1").arg(port + 1);
        return choices;
    }
    // Configures the open port from the entry at position and returns the text and the call.
    std::pair<QString, std::string> Init(std::int16_t position) {
        api.AddPort(1);
        channel.OpenPort(1);
        api.ClearLog();
        const QString text = settings.ComPortInit(position);
        channel.ClosePort();
        const std::string state = api.Calls.size() > 1 ? api.Calls[1] : "";
        return {text, state};
    }
};

TEST_F(LinkSettingsTest, shouldOfferTheFixedListsWithTheirDefaults) {
    const PropertyLists lists = LinkSettingsModel::LoadPropertySettings();
    EXPECT_EQ(lists.DataBits, QStringList({"4", "5", "6", "7", "8"}));
    EXPECT_EQ(lists.Parity, QStringList({"Even", "Odd", "None", "Mark", "Space"}));
    EXPECT_EQ(lists.StopBits, QStringList({"1", "1.5", "2"}));
    EXPECT_EQ(lists.DataBits[lists.DataBitsPosition], "8");
    EXPECT_EQ(lists.Parity[lists.ParityPosition], "None");
    EXPECT_EQ(lists.StopBits[lists.StopBitsPosition], "1");
    EXPECT_EQ(SpeedEntries(),
              QStringList({"300", "600", "1200", "2400", "4800", "9600", "14400", "19200"}));
    EXPECT_EQ(SpeedEntries()[DefaultSpeedPosition], "9600");
    EXPECT_EQ(HandShakeEntries(), QStringList({"None", "XOn/XOff", "RTS/CTS", "Both"}));
    EXPECT_EQ(settings.ControllerAddress, 1);
}

TEST_F(LinkSettingsTest, shouldTurnAppliedChoicesIntoLineValuesThatMeanWhatTheListSays) {
    struct Case {
        const char* Name;
        std::int16_t Speed, DataBits, Parity, StopBits;
        const char* Text;
        const char* State;  // "SetCommState speed bits parity-code stop-code"
    };
    const LinkChoices defaults;
    const Case cases[] = {
        {"defaults", defaults.Speed, defaults.DataBits, defaults.Parity, defaults.StopBits,
         "9600,n,8,1", "SetCommState 9600 8 0 0"},
        {"even", 5, 4, EvenPosition, 0, "9600,e,8,1", "SetCommState 9600 8 2 0"},
        {"odd", 7, 3, OddPosition, 2, "19200,o,7,2", "SetCommState 19200 7 1 2"},
        {"mark", 0, 4, MarkPosition, 0, "300,m,8,1", "SetCommState 300 8 3 0"},
        {"space", 3, 2, SpacePosition, 0, "2400,s,6,1", "SetCommState 2400 6 4 0"},
        {"one and a half", 5, 1, 2, 1, "9600,n,5,1.5", "SetCommState 9600 5 0 1"},
    };
    for (const auto& c : cases) {
        LinkChoices choices = ChoicesFor(0);
        choices.Speed = c.Speed;
        choices.DataBits = c.DataBits;
        choices.Parity = c.Parity;
        choices.StopBits = c.StopBits;
        ASSERT_TRUE(settings.Apply(choices)) << c.Name;
        const auto [text, state] = Init(0);
        EXPECT_EQ(text, QString::fromLatin1(c.Text)) << c.Name;
        EXPECT_EQ(state, c.State) << c.Name;
    }
    EXPECT_TRUE(messages.Shown.empty());
    EXPECT_TRUE(errorLog.Entries.empty());
}

TEST_F(LinkSettingsTest, shouldRunAPortNeverAppliedOnTheDefaultsShown) {
    const auto [text, state] = Init(3);
    EXPECT_EQ(text, "9600,n,8,1");
    EXPECT_EQ(state, "SetCommState 9600 8 0 0");
    EXPECT_EQ(settings.EntryFor(3).PortNumber, 4);
    EXPECT_TRUE(messages.Shown.empty()) << "the line takes the defaults without complaint";
}

TEST_F(LinkSettingsTest, shouldKeepEachPortsEntryApart) {
    LinkChoices slow = ChoicesFor(5);
    slow.Speed = 0;
    slow.HandShake = 2;
    ASSERT_TRUE(settings.Apply(slow));
    EXPECT_EQ(Init(0).first, "9600,n,8,1");
    EXPECT_EQ(Init(5).first, "300,n,8,1");
    const LinkSettings stored = settings.EntryFor(5);
    EXPECT_EQ(stored.PortNumber, 6);
    EXPECT_EQ(stored.HandShake, 2);
    EXPECT_EQ(stored.PortCaption, "COM 6");
}

TEST_F(LinkSettingsTest, shouldCoverPortsBeyondTheThirtyThirdPosition) {
    LinkChoices far = ChoicesFor(40);
    far.Speed = 7;
    ASSERT_TRUE(settings.Apply(far));
    EXPECT_EQ(Init(40).first, "19200,n,8,1");
}

TEST_F(LinkSettingsTest, shouldRefuseApplyWithoutAPortOrWithABadAddress) {
    const QString badAddress =
        QString::fromUtf8("Адрес контроллера должен быть целым числом от 0 до 255");
    struct Case {
        std::int16_t Port;
        const char* Address;
        QString Message;
    };
    const Case cases[] = {
        {-1, "7", QString::fromUtf8("Не выбран порт!")},
        {0, "", badAddress},
        {0, "abc", badAddress},
        {0, "256", badAddress},
        {0, "-1", badAddress},
        {0, "1.5", badAddress},
        {0, "12a", badAddress},
    };
    for (const auto& c : cases) {
        messages.Shown.clear();
        LinkChoices choices = ChoicesFor(c.Port);
        choices.AddressText = QString::fromLatin1(c.Address);
        choices.Speed = 0;
        EXPECT_FALSE(settings.Apply(choices)) << c.Address;
        EXPECT_EQ(messages.Shown,
                  (std::vector<ShownMessage>{{c.Message, MessageIcon::Exclamation}}))
            << c.Address;
        EXPECT_EQ(settings.ControllerAddress, 1) << c.Address;
        EXPECT_TRUE(settings.PortTable.empty()) << c.Address;
    }
}

TEST_F(LinkSettingsTest, shouldTakeEveryAddressFromZeroTo255) {
    const std::pair<const char*, std::int32_t> cases[] = {{"0", 0}, {"255", 255}, {" 17 ", 17}};
    for (const auto& [text, address] : cases) {
        LinkChoices choices = ChoicesFor(0);
        choices.AddressText = QString::fromLatin1(text);
        EXPECT_TRUE(settings.Apply(choices)) << text;
        EXPECT_EQ(settings.ControllerAddress, address) << text;
    }
}

TEST_F(LinkSettingsTest, shouldStoreWithSetPortWithoutTouchingTheAddress) {
    LinkChoices choices = ChoicesFor(2);
    choices.AddressText = QStringLiteral("99");
    choices.Speed = 1;
    settings.SetPort(2, choices);
    EXPECT_EQ(settings.ControllerAddress, 1);
    EXPECT_EQ(Init(2).first, "600,n,8,1");
}

TEST_F(LinkSettingsTest, shouldLogAnEntryOutsideItsListAndReturnNothing) {
    LinkChoices choices = ChoicesFor(0);
    choices.Speed = 9;
    settings.SetPort(0, choices);
    const auto [text, state] = Init(0);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(state, "") << "the port is not configured";
    const QString description = QString::fromUtf8("Позиция 9 вне списка скоростей");
    EXPECT_EQ(
        errorLog.Entries,
        (std::vector<QString>{
            QString::fromUtf8("log:Ошибка: Дривел1.Form2.ComPortInit =  ") + description + ": ",
            QString::fromUtf8("detail:1|Ошибка данных||err.Description=") + description +
                QString::fromUtf8(" module = Дривел1.Form2.ComPortInit")}));
}

TEST_F(LinkSettingsTest, shouldLogSetPortFailuresUnderItsOwnName) {
    settings.SetPort(-1, ChoicesFor(-1));
    ASSERT_EQ(errorLog.Entries.size(), 2U);
    EXPECT_TRUE(
        errorLog.Entries[0].startsWith(QString::fromUtf8("log:Ошибка: Дривел1.Form1.SetPort =  ")));
    EXPECT_TRUE(errorLog.Entries[0].endsWith(": "));
    EXPECT_TRUE(errorLog.Entries[1].endsWith(QString::fromUtf8(" module = Дривел1.Form1.SetPort")));
    EXPECT_TRUE(settings.PortTable.empty());
}

TEST_F(LinkSettingsTest, shouldReportTheRefusedLineAndStillReturnItsText) {
    LinkChoices choices = ChoicesFor(0);
    choices.DataBits = 0;  // "4": no UART runs that
    ASSERT_TRUE(settings.Apply(choices));
    EXPECT_EQ(Init(0).first, "9600,n,4,1");
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0].Text,
              QString::fromUtf8("Не удается настроить порт на заданные параметры Error: 22"));
}

class SerialLinkTest : public LinkSettingsTest {
  protected:
    PortDiscovery discovery{SerialMapRoots{"/nonexistent", "/nonexistent", "/dev"}};
    SerialLink link{channel, discovery, settings};
};

TEST_F(SerialLinkTest, shouldOpenThePortNamedAtTheListPositionAndConfigureIt) {
    discovery.PortNumbers = QStringList({"1", "12", "3"});
    api.AddPort(12);
    LinkChoices choices = ChoicesFor(1);
    choices.Speed = 7;
    ASSERT_TRUE(settings.Apply(choices));
    link.OpenSelectedPort(1);
    EXPECT_TRUE(messages.Shown.empty());
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_EQ(api.Calls, (std::vector<std::string>{"CreateFile \\\\.\\COM12", "SetCommTimeouts",
                                                   "SetCommState 19200 8 0 0"}));
    link.ClosePort();
    EXPECT_EQ(api.OpenHandleCount(), 0);
}

TEST_F(SerialLinkTest, shouldThrowForAPositionThatNamesNoPort) {
    discovery.PortNumbers = QStringList({"1"});
    for (const std::int16_t position : {std::int16_t{-1}, std::int16_t{1}, std::int16_t{33}}) {
        EXPECT_THROW(link.OpenSelectedPort(position), LinkError) << position;
    }
    EXPECT_TRUE(api.Calls.empty());
}

}  // namespace
}  // namespace pelta::link
