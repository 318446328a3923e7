#include "device/settings_commands.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "device/display_char_map.h"
#include "protocol/run_time_error.h"
#include "tests/support/fake_window.h"

namespace pelta::device {
namespace {

using protocol::Frame;

// Records each start with the request the cycle would build for its first command.
struct FakeStarter : protocol::ExchangeStarter {
    explicit FakeStarter(const ControllerState& state) : State(state) {}
    const ControllerState& State;
    std::vector<std::tuple<std::int16_t, std::int16_t, Frame>> Starts;
    std::vector<std::int16_t> FlagsSet;
    std::string FailWith;
    std::function<void()> OnStart = [] {};

    void SetExchangeInProgress(std::int16_t flag) override { FlagsSet.push_back(flag); }
    void Start(std::int16_t first, std::int16_t last) override {
        OnStart();
        if (!FailWith.empty()) {
            throw protocol::RunTimeError(FailWith);
        }
        Starts.emplace_back(first, last, protocol::BuildRequest(first, 1, State));
    }
};

struct SettingsCommandsTest : ::testing::Test {
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // The one start so far, or an empty record.
    std::tuple<std::int16_t, std::int16_t, Frame> OnlyStart() const {
        return starter.Starts.size() == 1 ? starter.Starts[0] : decltype(OnlyStart()){};
    }

    pelta::testing::FakeWindow window;
    ControllerState state;
    FakeStarter starter{state};
    SettingsCommands commands{window, state, starter, window};
};

TEST_F(SettingsCommandsTest, readsOnlyWithAPortAndShowsTheSettingsPageFirst) {
    window.In["cboPortText"].clear();
    commands.Command5_Click();
    EXPECT_FALSE(commands.Button163_Click([] {}));
    ASSERT_EQ(window.Messages.size(), 2U);

    window.In["cboPortText"] = QStringLiteral("COM 1");  // what a refresh reads: end to end
    bool pageShown = false;
    starter.OnStart = [&] { EXPECT_TRUE(pageShown) << "page before the read"; };
    EXPECT_TRUE(commands.Button163_Click([&] { pageShown = true; }));
    EXPECT_EQ(std::get<0>(OnlyStart()), 5);
}

// What a click sends from the controls: its request, or a warning and nothing. The clock keeps
// its correction for nonsense; an alarm raises the flag first; each event line is cut or padded
// to twenty code page bytes, then turned into screen codes.
TEST_F(SettingsCommandsTest, sendsWhatTheControlsHoldOrWarnsAndSendsNothing) {
    namespace Command = protocol::Command;
    const Frame clock("\x01\x5A\x5E\x05\x03\x09\x0E\x07\x09", 9);
    const Frame privet = pelta::testing::Bytes({0xA8, 0x70, 0xB8, 0xB3, 0x65, 0xBF});  // "Привет"
    const std::map<std::int16_t, std::function<void()>> clicks = {
        {Command::SetClock, [&] { commands.Button166_Click(); }},
        {Command::WriteAlarm1, [&] { commands.Button167_Click(0); }},
        {Command::WriteAlarm2, [&] { commands.Button167_Click(1); }},
        {Command::WriteEventLine2, [&] { commands.Button168_Click(); }}};
    // The controls set; the last command of the click; its first request, none if it warns.
    const std::tuple<std::map<QString, QString>, std::int16_t, Frame> cases[] = {
        {{{"Check4", "1"}, {"Combo2", "4"}}, Command::SetClock, clock + Frame("\x01\x00\x05", 3)},
        {{{"Check4", "0"}, {"Combo2", "6"}}, Command::SetClock, clock + Frame("\x01\xFF\x07")},
        {{{"Check4", "2"}, {"Combo2", "-1"}}, Command::SetClock, clock + Frame("\x01\xFF\x00", 3)},
        {{{"Text3", "много"}}, Command::SetClock, clock + Frame("\x11\x00\x05", 3)},
        {{{"Text3", "-40000"}}, Command::SetClock, {}},
        {{{"DateTime3(0)", "ab:cd"}}, Command::WriteAlarm1, {}},
        {{{"DateTime3(0)", "12:60"}}, Command::WriteAlarm1, {}},
        {{{"DateTime3(1)", "6:45"}, {"Combo1(1)", "8"}},
         Command::WriteAlarm2,
         pelta::testing::Bytes({0x01, 0x5A, 0x60, 0xFF, 6, 45, 9})},
        {{{"Text2(1)", "это очень длинная вторая строка"}},
         Command::WriteEventLine2,
         Frame("\x01\x5A\x64\x00\x0C\x18\x12", 7) + privet + Frame(14, ' ')},
    };
    for (const auto& [controls, last, request] : cases) {
        const std::string row = controls.begin()->second.toStdString();
        window = {};
        state = {};
        state.ClockCorrection = 17;
        starter.Starts.clear();
        starter.FlagsSet.clear();
        for (const auto& [name, value] : controls) {
            window.In[name] = value;
        }
        clicks.at(last)();
        EXPECT_EQ(std::get<2>(OnlyStart()), request) << row;
        EXPECT_EQ(std::get<1>(OnlyStart()), request.empty() ? 0 : last) << row;
        EXPECT_EQ(window.Messages.size(), request.empty() ? 1U : 0U) << row;
        const bool alarm = last == Command::WriteAlarm1 || last == Command::WriteAlarm2;
        EXPECT_EQ(starter.FlagsSet, std::vector<std::int16_t>(alarm ? 1 : 0, -1)) << row;
    }
    EXPECT_EQ(state.EventLine2, rep(QString::fromUtf8("это очень длинная вт")));
}

TEST_F(SettingsCommandsTest, codesTheCorrectionAsFortyMinusAPositiveOrTheNegatedNegative) {
    const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
        {"-1", 1},         {"0", 40},   {"30", 10},   {"2,5", 38},       {"1,5", 38},
        {"-2,5", 2},       {"-3,5", 4}, {"100", -60}, {"-32767", 32767}, {"abc", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [text, code] : cases) {
        EXPECT_EQ(ClockCorrectionFrom(QString::fromUtf8(text)), code) << text;
    }
    for (const char* tooLarge : {"-40000", "-32767,5"}) {
        EXPECT_THROW(ClockCorrectionFrom(QString::fromLatin1(tooLarge)), protocol::RunTimeError);
    }
}

TEST_F(SettingsCommandsTest, keepsTheClockCodesWhenTheClockIsSentAgainAfterAnAlarm) {
    window.In["Combo2"] = QStringLiteral("2");  // Tuesday, season change on
    commands.Button166_Click();
    commands.Button167_Click(1);  // alarm 2 off, all days
    starter.Starts.clear();
    commands.Command7_Click();
    const Frame request = std::get<2>(OnlyStart());
    ASSERT_EQ(request.size(), 12U);
    EXPECT_EQ(request[10], '\x00') << "season flag of the clock, not the alarm's 255";
    EXPECT_EQ(request[11], '\x03') << "weekday of the clock, not the alarm's day set 10";
}

TEST_F(SettingsCommandsTest, warnsWhenTheExchangeFails) {
    starter.FailWith = "Переполнение: AlarmHour";
    for (auto action : std::initializer_list<std::function<void()>>{
             [&] { commands.Command5_Click(); }, [&] { commands.Button168_Click(); },
             [&] { commands.Command7_Click(); }, [&] { commands.Button163_Click([] {}); }}) {
        window.Messages.clear();
        action();
        ASSERT_EQ(window.Messages.size(), 1U);
        EXPECT_EQ(window.Messages[0].second, link::MessageIcon::Exclamation);
    }
}

}  // namespace
}  // namespace pelta::device
