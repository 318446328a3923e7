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

class SettingsCommandsTest : public ::testing::Test {
  protected:
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
    EXPECT_TRUE(starter.Starts.empty());
    ASSERT_EQ(window.Messages.size(), 2U);
    EXPECT_EQ(window.Messages[0].first, QStringLiteral("Не выбран порт!"));

    window.In["cboPortText"] = QStringLiteral("COM 1");
    commands.Command5_Click();
    EXPECT_EQ(std::get<1>(OnlyStart()), 1);
    bool pageShown = false;
    starter.OnStart = [&] { EXPECT_TRUE(pageShown) << "page before the read"; };
    EXPECT_TRUE(commands.Button163_Click([&] { pageShown = true; }));
    EXPECT_EQ(std::get<0>(starter.Starts.at(1)), 5);
}

TEST_F(SettingsCommandsTest, stagesTheClockWithCodesFromTheControlsOnSendClock) {
    // Check4, Combo2; the correction, season flag and weekday sent
    const std::tuple<const char*, const char*, Frame> cases[] = {
        {"1", "4", Frame("\x01\x00\x05", 3)},
        {"0", "6", Frame("\x01\xFF\x07")},
        {"2", "-1", Frame("\x01\xFF\x00", 3)}};
    for (const auto& [check4, combo2, codes] : cases) {
        window.In["Check4"] = QString::fromLatin1(check4);
        window.In["Combo2"] = QString::fromLatin1(combo2);
        starter.Starts.clear();
        commands.Button166_Click();
        EXPECT_EQ(OnlyStart(),
                  std::make_tuple(std::int16_t{4}, std::int16_t{4},
                                  Frame("\x01\x5A\x5E\x05\x03\x09\x0E\x07\x09") + codes));
    }
}

TEST_F(SettingsCommandsTest, codesTheCorrectionAsFortyMinusAPositiveOrTheNegatedNegative) {
    const struct {
        const char* text;
        std::optional<std::int16_t> code;
    } cases[] = {
        {"-1", 1},         {"0", 40},   {"30", 10},   {"2,5", 38},       {"1,5", 38},
        {"-2,5", 2},       {"-3,5", 4}, {"100", -60}, {"-32767", 32767}, {"abc", std::nullopt},
        {"", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(ClockCorrectionFrom(QString::fromUtf8(c.text)), c.code) << c.text;
    }
    for (const char* tooLarge : {"-40000", "-32767,5"}) {
        EXPECT_THROW(ClockCorrectionFrom(QString::fromLatin1(tooLarge)), protocol::RunTimeError);
    }
}

TEST_F(SettingsCommandsTest, keepsTheCorrectionForNonsenseAndSendsNothingWhenTooLarge) {
    state.ClockCorrection = 17;
    window.In["Text3"] = QStringLiteral("много");
    commands.Button166_Click();
    EXPECT_EQ(state.ClockCorrection, 17);
    EXPECT_EQ(starter.Starts.size(), 1U);

    window.In["Text3"] = QStringLiteral("-40000");
    commands.Button166_Click();
    EXPECT_EQ(starter.Starts.size(), 1U);
    EXPECT_EQ(window.Messages.size(), 1U);
}

TEST_F(SettingsCommandsTest, warnsAndLeavesTheFlagRaisedWhenAnAlarmTimeIsNotATime) {
    for (const char* bad : {"ab:cd", "12:60"}) {
        starter.FlagsSet.clear();
        window.Messages.clear();
        window.In["DateTime3(0)"] = QString::fromLatin1(bad);
        commands.Button167_Click(0);
        EXPECT_TRUE(starter.Starts.empty()) << bad;
        EXPECT_EQ(starter.FlagsSet, std::vector<std::int16_t>{-1}) << bad;
        EXPECT_EQ(window.Messages.size(), 1U) << bad;
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

// Each line cut or padded to twenty code page bytes, then turned into screen codes.
TEST_F(SettingsCommandsTest, sendsTheEventAsTwoTwentyByteLinesOfScreenCodes) {
    window.In["Text2(1)"] = QString::fromUtf8("это очень длинная вторая строка");
    commands.Button168_Click();
    const Frame line1 = pelta::testing::Bytes({0xA8, 0x70, 0xB8, 0xB3, 0x65, 0xBF});  // "Привет"
    EXPECT_EQ(OnlyStart(),
              std::make_tuple(protocol::Command::WriteEvent, protocol::Command::WriteEventLine2,
                              Frame("\x01\x5A\x64\x00\x0C\x18\x12", 7) + line1 + Frame(14, ' ')));
    EXPECT_EQ(state.EventLine2, rep(QString::fromUtf8("это очень длинная вт")));
}

TEST_F(SettingsCommandsTest, warnsWhenTheExchangeFails) {
    starter.FailWith = "Переполнение: AlarmHour";
    for (auto action : std::initializer_list<std::function<void()>>{
             [&] { commands.Command5_Click(); }, [&] { commands.Button166_Click(); },
             [&] { commands.Button167_Click(0); }, [&] { commands.Button168_Click(); },
             [&] { commands.Command7_Click(); }, [&] { commands.Button163_Click([] {}); }}) {
        window.Messages.clear();
        action();
        ASSERT_EQ(window.Messages.size(), 1U);
        EXPECT_EQ(window.Messages[0].second, link::MessageIcon::Exclamation);
    }
}

}  // namespace
}  // namespace pelta::device
