#include "device/reply_decoder.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "tests/support/fake_window.h"

namespace pelta::device {
namespace {

using pelta::testing::Bytes;
using protocol::Frame;

// A state reply: header, clock, two temperatures, humidity, pressure, two spare bytes, CRC.
Frame StateReply(Frame clock = Bytes({5, 3, 9, 14, 7, 0}), Frame indoor = Bytes({0x2C, 0x01})) {
    return protocol::WithCrc(Bytes({0x01, 0x32, 0xBE}) + clock + indoor +
                             Bytes({0xF5, 0x00, 45, 0x2A, 0x25, 0x01, 0x00, 0, 0}));
}

// A settings reply, with the byte at `position` (counted from 1) replaced by `value`.
Frame SettingsReply(std::size_t position = 0, int value = 0) {
    Frame body = Bytes({0x01, 0x32, 0xC0,      // header
                        7,    30,   8,    0,   // alarm 1 07:30, "Будни дни", on
                        255,  6,    5,    10,  // alarm 2 off, 06:05, "Все дни"
                        3,    22,   0,    15,  // screen "Включать по:" from 22:15, on the schedule
                        7,    0,    255,  // screen to 07:00; lunar calendar scrolls
                        2,    255,  255,  // night-light "Отключена всегда", from: not set
                        23,   59});       // night-light to 23:59
    if (position != 0) {
        body[position - 1] = static_cast<char>(value);
    }
    return protocol::WithCrc(body);
}

struct DecoderTest : ::testing::Test {
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    ControllerState state;
    pelta::testing::FakeWindow window;
    QDateTime now{QDate(2009, 3, 5), QTime(14, 7, 0, 700)};
    ControllerReplyDecoder decoder{state, window, window, window, [this] { return now; }};
};

// Each reply fills the whole page; temperatures in their shortest form, drift past an hour.
TEST_F(DecoderTest, fillsTheMeasurementsPageFromAStateReply) {
    const Frame indoor20 = Bytes({0x2C, 0x01});
    const std::tuple<Frame, QDateTime, const char*, const char*> cases[] = {
        {indoor20, now, "Label3", "05 марта 2009"},
        {indoor20, now, "Label7", "14:07:00"},
        {indoor20, now, "Label4", "Уход часов: + 0 ч. 00 мин. 00 сек"},
        {indoor20, now, "Label5", "Температура: 20 °C"},
        {indoor20, now, "Label15(0)", "Температура: 14,5 °C"},
        {indoor20, now, "Label6", "Влажность: 45%"},
        {indoor20, now, "Label14(0)", "Давление: 750,5 мм Рт"},
        {Bytes({0x00, 0x00}), now, "Label5", "Температура: -10 °C"},
        {Bytes({0x2D, 0x01}), now, "Label5", "Температура: 20,1 °C"},
        {Bytes({0x64, 0x00}), now, "Label5", "Температура: 0 °C"},
        {Bytes({0x63, 0x00}), now, "Label5", "Температура: -0,1 °C"},
        // The computer's clock at 14:05:55.999 (its fraction is dropped), then ten hours ahead.
        {indoor20, now.addMSecs(-64701), "Label4", "Уход часов: + 0 ч. 01 мин. 05 сек"},
        {indoor20, now.addSecs(36000), "Label4", "Уход часов: - 10 ч. 00 мин. 00 сек"},
    };
    for (const auto& [indoor, computer, label, text] : cases) {
        window.Shown.clear();
        now = computer;
        decoder.ReplyDecoder(protocol::Command::ReadState,
                             StateReply(Bytes({5, 3, 9, 14, 7, 0}), indoor));
        EXPECT_EQ(window.Shown.size(), 7U) << text;
        EXPECT_EQ(window.Shown[label], QString::fromUtf8(text));
    }
    EXPECT_EQ(ClockDriftText(-100000), QString::fromUtf8("Уход часов: - 27 ч. 46 мин. 40 сек"));
}

TEST_F(DecoderTest, showsOnlyWhatCameBeforeTheFailureForBrokenOrUnaskedReplies) {
    using protocol::Command::ReadState;
    // The command, its reply, how many captions it shows (thirteen bytes: date, time, both
    // temperatures).
    const std::tuple<std::int16_t, Frame, qsizetype> cases[] = {
        {ReadState, StateReply().substr(0, 11), 0},
        {ReadState, StateReply(Bytes({5, 3, 9, 24, 7, 0})), 0},  // hour 24
        {ReadState, StateReply().substr(0, 13), 4},
        {protocol::Command::ReadSettings, Frame(), 0},
        {8, SettingsReply(), 0},
    };
    for (const auto& [command, reply, shown] : cases) {
        window.Writes.clear();
        decoder.ReplyDecoder(command, reply);
        EXPECT_EQ(window.Writes.size(), shown) << command << " " << reply.size();
    }
    EXPECT_TRUE(window.Messages.empty()) << "these decoders stay silent";
}

TEST(ReplyDateTime, takesTwoDigitYearsFrom1930AndRollsOver) {
    const std::pair<Frame, QDateTime> cases[] = {
        {Bytes({1, 1, 30, 0, 0, 0}), QDateTime(QDate(1930, 1, 1), QTime(0, 0))},
        {Bytes({31, 12, 29, 23, 59, 59}), QDateTime(QDate(2029, 12, 31), QTime(23, 59, 59))},
        {Bytes({0, 3, 24, 0, 0, 0}), QDateTime(QDate(2024, 2, 29), QTime(0, 0))},
        {Bytes({1, 13, 10, 0, 0, 0}), QDateTime(QDate(2011, 1, 1), QTime(0, 0))},
        {Bytes({31, 2, 10, 0, 0, 0}), QDateTime(QDate(2010, 3, 3), QTime(0, 0))},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(ReplyDateTime(bytes), expected) << expected.toString().toStdString();
    }
}

// A bad byte or a short reply stops the page at that field with one warning.
TEST_F(DecoderTest, fillsTheSettingsPageInOrderAndStopsWithAWarningAtABadField) {
    decoder.ReplyDecoder(protocol::Command::ReadSettings, SettingsReply());
    const QStringList expected = {
        "DateTime3(0)=07:30", "Combo1(0)=7",        "Check1(0)=on", "Check1(1)=off",
        "DateTime3(1)=06:05", "Combo1(1)=9",        "Combo4=2",     "DateTime6(2)=22:15",
        "Combo5=0",           "DateTime6(3)=07:00", "Check3=on",    "Combo3=1",
        "DateTime6(0)=00:00", "DateTime6(1)=23:59",
    };
    EXPECT_EQ(window.Writes, expected);
    // The reply; a write it makes (nullptr: it stops with a warning); how many writes.
    const std::tuple<Frame, const char*, qsizetype> cases[] = {
        {SettingsReply(14, 255), "Combo5=1", 14},
        {SettingsReply(18, 0), "Check3=off", 14},
        {SettingsReply(7, 1), "Check1(0)=on", 14},
        {SettingsReply(6, 0), "Combo1(0)=-1", 14},
        {SettingsReply(12, 4), "Combo4=3", 14},
        {SettingsReply(4, 24), "DateTime3(0)=24:30", 14},
        {SettingsReply(9, 255), "DateTime3(1)=00:05", 14},
        {SettingsReply(6, 255), nullptr, 1},
        {SettingsReply(12, 5), nullptr, 6},
        {SettingsReply(19, 4), nullptr, 11},
        {SettingsReply().substr(0, 11), nullptr, 6},
        {SettingsReply().substr(0, 22), nullptr, 13},
    };
    for (int row = 0; const auto& [reply, write, writes] : cases) {
        window = {};
        decoder.ReplyDecoder(protocol::Command::ReadSettings, reply);
        EXPECT_EQ(window.Writes.size(), writes) << row;
        EXPECT_EQ(window.Messages.size(), write == nullptr ? 1U : 0U) << row;
        EXPECT_TRUE(write == nullptr || window.Writes.contains(QString::fromLatin1(write)))
            << row++;
    }
}

}  // namespace
}  // namespace pelta::device
