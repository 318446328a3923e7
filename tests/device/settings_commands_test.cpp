#include "device/settings_commands.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "device/display_char_map.h"
#include "fake_pages.h"
#include "protocol/command_table.h"
#include "protocol/run_time_error.h"

namespace pelta::device {
namespace {

using testing::RecordingMessages;

class FakeControls : public SettingsControls {
  public:
    QString Port = QStringLiteral("COM 3");
    QString DateTime1 = QStringLiteral("05.03.09");
    QString DateTime2 = QStringLiteral("14:07:09");
    std::int16_t Combo2 = 4;
    std::int16_t Check4 = 1;
    QString Text3 = QStringLiteral("-1");
    std::int16_t Check1[2] = {1, 0};
    QString DateTime3[2] = {QStringLiteral("07:05"), QStringLiteral("22:30")};
    std::int16_t Combo1[2] = {7, 9};
    std::int16_t Check2 = 1;
    QString Text2[2] = {QStringLiteral("Привет"), QStringLiteral("World")};
    QString DateTime4 = QStringLiteral("24.12.25");
    QString DateTime5 = QStringLiteral("18:30");

    QString cboPortText() const override { return Port; }
    QString DateTime1Text() const override { return DateTime1; }
    QString DateTime2Text() const override { return DateTime2; }
    std::int16_t Combo2ListIndex() const override { return Combo2; }
    std::int16_t Check4Value() const override { return Check4; }
    QString Text3Text() const override { return Text3; }
    std::int16_t Check1Value(int i) const override { return Check1[i]; }
    QString DateTime3Text(int i) const override { return DateTime3[i]; }
    std::int16_t Combo1ListIndex(int i) const override { return Combo1[i]; }
    std::int16_t Check2Value() const override { return Check2; }
    QString Text2Text(int i) const override { return Text2[i]; }
    QString DateTime4Text() const override { return DateTime4; }
    QString DateTime5Text() const override { return DateTime5; }
};

// Records each start with the request the cycle would build for its first command.
class FakeStarter : public protocol::ExchangeStarter {
  public:
    explicit FakeStarter(const ControllerState& state) : state_(state) {}
    struct StartRecord {
        std::int16_t First;
        std::int16_t Last;
        protocol::Frame FirstRequest;
    };
    std::vector<StartRecord> Starts;
    std::vector<std::int16_t> FlagsSet;
    std::string FailWith;
    std::vector<std::string>* Order = nullptr;

    void SetExchangeInProgress(std::int16_t flag) override { FlagsSet.push_back(flag); }
    void Start(std::int16_t first, std::int16_t last) override {
        if (Order != nullptr) {
            Order->push_back("start");
        }
        if (!FailWith.empty()) {
            throw protocol::RunTimeError(FailWith);
        }
        Starts.push_back({first, last, protocol::BuildRequest(first, 1, state_)});
    }

  private:
    const ControllerState& state_;
};

class SettingsCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    bool Started(std::int16_t first, std::int16_t last) const {
        return starter.Starts.size() == 1 && starter.Starts[0].First == first &&
               starter.Starts[0].Last == last;
    }

    FakeControls controls;
    ControllerState state;
    FakeStarter starter{state};
    RecordingMessages messages;
    SettingsCommands commands{controls, state, starter, messages};
};

TEST_F(SettingsCommandsTest, refreshNeedsAPort) {
    controls.Port.clear();
    commands.Command5_Click();
    EXPECT_TRUE(starter.Starts.empty());
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0].Text, QStringLiteral("Не выбран порт!"));
    EXPECT_EQ(messages.Shown[0].Icon, link::MessageIcon::None);

    controls.Port = QStringLiteral("COM 1");
    commands.Command5_Click();
    EXPECT_TRUE(Started(1, 1));
}

TEST_F(SettingsCommandsTest, settingsPageSwitchesBeforeReadingAndOnlyWithAPort) {
    std::vector<std::string> order;
    starter.Order = &order;
    controls.Port.clear();
    EXPECT_FALSE(commands.Button163_Click([&] { order.push_back("page"); }));
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(messages.Shown.size(), 1U);

    controls.Port = QStringLiteral("COM 1");
    EXPECT_TRUE(commands.Button163_Click([&] { order.push_back("page"); }));
    EXPECT_EQ(order, (std::vector<std::string>{"page", "start"}));
    EXPECT_TRUE(Started(5, 5));
}

TEST_F(SettingsCommandsTest, sendClockStagesTheClockAndRunsCommand4) {
    commands.Button166_Click();
    ASSERT_TRUE(Started(4, 4));
    EXPECT_EQ(state.ClockDate, QStringLiteral("05.03.09"));
    EXPECT_EQ(state.ClockTime, QStringLiteral("14:07:09"));
    EXPECT_EQ(state.ClockDayCode, QStringLiteral("5"));
    EXPECT_EQ(state.ClockOnOffCode, QStringLiteral("0"));
    EXPECT_EQ(state.ClockCorrection, 1);
    const protocol::Frame expected("\x01\x5A\x5E\x05\x03\x09\x0E\x07\x09\x01\x00\x05", 12);
    EXPECT_EQ(starter.Starts[0].FirstRequest, expected);
}

TEST_F(SettingsCommandsTest, sendClockCodesFromTheControls) {
    const struct {
        std::int16_t check4;
        std::int16_t combo2;
        const char* onOff;
        const char* day;
    } cases[] = {
        {1, 0, "0", "1"},
        {0, 6, "255", "7"},
        {2, -1, "255", "0"},
    };
    for (const auto& c : cases) {
        controls.Check4 = c.check4;
        controls.Combo2 = c.combo2;
        commands.Button166_Click();
        EXPECT_EQ(state.ClockOnOffCode, QString::fromLatin1(c.onOff)) << c.check4;
        EXPECT_EQ(state.ClockDayCode, QString::fromLatin1(c.day)) << c.combo2;
    }
}

TEST(ClockCorrectionFrom, fortyMinusAPositiveOrTheNegatedNegativeRoundedHalfToEven) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const struct {
        const char* text;
        std::optional<std::int16_t> code;
    } cases[] = {
        {"-1", 1},          {"0", 40},   {"30", 10},  {"-30", 30},  {"2,5", 38},
        {"1,5", 38},        {"-2,5", 2}, {"-3,5", 4}, {"100", -60}, {"abc", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockCorrectionFrom(QString::fromUtf8(c.text)), c.code) << c.text;
    }
    EXPECT_THROW(ClockCorrectionFrom(QStringLiteral("-40000")), protocol::RunTimeError);
    EXPECT_THROW(ClockCorrectionFrom(QStringLiteral("-32767,5")), protocol::RunTimeError)
        << "rounds to 32768";
    EXPECT_EQ(ClockCorrectionFrom(QStringLiteral("-32767")), std::int16_t{32767});
    QLocale::setDefault(QLocale::c());
}

TEST_F(SettingsCommandsTest, correctionThatIsNotANumberKeepsThePreviousCode) {
    state.ClockCorrection = 17;
    controls.Text3 = QStringLiteral("много");
    commands.Button166_Click();
    EXPECT_EQ(state.ClockCorrection, 17);
    EXPECT_TRUE(Started(4, 4));
}

TEST_F(SettingsCommandsTest, correctionTooLargeWarnsAndSendsNothing) {
    controls.Text3 = QStringLiteral("-40000");
    commands.Button166_Click();
    EXPECT_TRUE(starter.Starts.empty());
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0].Icon, link::MessageIcon::Exclamation);
    EXPECT_EQ(state.ClockDate, QStringLiteral("05.03.09")) << "staged before the failure";
}

TEST_F(SettingsCommandsTest, sendAlarmStagesCodesWithoutLeadingZeros) {
    const struct {
        int index;
        std::int16_t command;
        const char* hour;
        const char* minute;
        const char* onOff;
        const char* day;
    } cases[] = {
        {0, 6, "7", "5", "0", "8"},
        {1, 7, "22", "30", "255", "10"},
    };
    for (const auto& c : cases) {
        starter.Starts.clear();
        commands.Button167_Click(c.index);
        EXPECT_TRUE(Started(c.command, c.command)) << c.index;
        EXPECT_EQ(state.AlarmHour, QString::fromLatin1(c.hour));
        EXPECT_EQ(state.AlarmMinute, QString::fromLatin1(c.minute));
        EXPECT_EQ(state.OnOffCode, QString::fromLatin1(c.onOff));
        EXPECT_EQ(state.DayCode, QString::fromLatin1(c.day));
    }
    EXPECT_EQ(starter.Starts[0].FirstRequest, protocol::Frame("\x01\x5A\x60\xFF\x16\x1E\x0A"));
}

TEST_F(SettingsCommandsTest, alarmTimeThatIsNotATimeWarnsAndLeavesTheFlagRaised) {
    for (const char* bad : {"ab:cd", "", "25:00", "12:60"}) {
        starter.FlagsSet.clear();
        messages.Shown.clear();
        controls.DateTime3[0] = QString::fromLatin1(bad);
        commands.Button167_Click(0);
        EXPECT_TRUE(starter.Starts.empty()) << bad;
        EXPECT_EQ(starter.FlagsSet, std::vector<std::int16_t>{-1}) << bad;
        ASSERT_EQ(messages.Shown.size(), 1U) << bad;
        EXPECT_EQ(messages.Shown[0].Icon, link::MessageIcon::Exclamation);
    }
}

TEST_F(SettingsCommandsTest, sendEventConvertsBothLinesAndRunsCommands2To3) {
    controls.Text2[0] = QStringLiteral("abcdefghijklmnopqrstuvwxy");  // 25 characters
    controls.Text2[1] = QString();
    controls.Check2 = 0;
    commands.Button168_Click();
    ASSERT_TRUE(Started(2, 3));
    EXPECT_EQ(state.EventMode, 255);
    EXPECT_EQ(state.EventLine1, "abcdefghijklmnopqrst");
    EXPECT_EQ(state.EventLine2, std::string(20, ' '));
    EXPECT_EQ(state.EventDate, QStringLiteral("24.12.25"));
    EXPECT_EQ(state.EventTime, QStringLiteral("18:30"));
    EXPECT_EQ(starter.Starts[0].FirstRequest.size(), 27U);
}

TEST(EventLineFrom, padsCutsAndConverts) {
    EXPECT_EQ(EventLineFrom(QStringLiteral("Привет")),
              rep(QStringLiteral("Привет")) + std::string(14, ' '));
    EXPECT_EQ(EventLineFrom(QStringLiteral("Привет")).substr(0, 2), "\xA8\x70");
    EXPECT_EQ(EventLineFrom(QString(30, QChar(0x0416))), std::string(20, '\xA3'));  // Ж
    EXPECT_EQ(EventLineFrom(QStringLiteral("😀")).size(), 20U) << "outside the code page";
}

TEST_F(SettingsCommandsTest, resendClockAfterAnAlarmKeepsTheClockCodes) {
    controls.Check4 = 1;  // season change on
    controls.Combo2 = 2;  // Tuesday
    commands.Button166_Click();
    controls.Check1[1] = 0;  // alarm 2 off, all days
    commands.Button167_Click(1);
    starter.Starts.clear();
    commands.Command7_Click();
    ASSERT_TRUE(Started(4, 4));
    const protocol::Frame request = starter.Starts[0].FirstRequest;
    ASSERT_EQ(request.size(), 12U);
    EXPECT_EQ(request[10], '\x00') << "season flag of the clock, not the alarm's 255";
    EXPECT_EQ(request[11], '\x03') << "weekday of the clock, not the alarm's day set 10";
}

TEST_F(SettingsCommandsTest, failureInsideTheExchangeComesBackAsAWarning) {
    starter.FailWith = "Переполнение: AlarmHour";
    for (auto action : std::initializer_list<std::function<void()>>{
             [&] { commands.Command5_Click(); }, [&] { commands.Button166_Click(); },
             [&] { commands.Button167_Click(0); }, [&] { commands.Button168_Click(); },
             [&] { commands.Command7_Click(); }, [&] { commands.Button163_Click([] {}); }}) {
        messages.Shown.clear();
        action();
        ASSERT_EQ(messages.Shown.size(), 1U);
        EXPECT_EQ(messages.Shown[0].Text, QStringLiteral("Переполнение: AlarmHour"));
        EXPECT_EQ(messages.Shown[0].Icon, link::MessageIcon::Exclamation);
    }
}

}  // namespace
}  // namespace pelta::device
