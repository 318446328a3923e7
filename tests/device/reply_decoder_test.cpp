#include "device/reply_decoder.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "fake_pages.h"
#include "protocol/command_table.h"
#include "protocol/run_time_error.h"

namespace pelta::device {
namespace {

using protocol::Frame;
using testing::FakeMeasurements;
using testing::FakeSettings;
using testing::RecordingMessages;

Frame Bytes(std::initializer_list<int> values) {
    Frame frame;
    for (const int v : values) {
        frame += static_cast<char>(v);
    }
    return frame;
}

const QDateTime kNow(QDate(2009, 3, 5), QTime(14, 7, 0, 700));

// A state reply: header, clock, two temperatures, humidity, pressure, two spare bytes, CRC.
Frame StateReply(Frame clock = Bytes({5, 3, 9, 14, 7, 0}), Frame indoor = Bytes({0x2C, 0x01}),
                 Frame outdoor = Bytes({0xF5, 0x00}), int humidity = 45,
                 Frame pressure = Bytes({0x2A, 0x25, 0x01, 0x00})) {
    const Frame body = Bytes({0x01, 0x32, 0xBE}) + clock + indoor + outdoor +
                       Frame(1, static_cast<char>(humidity)) + pressure + Bytes({0, 0});
    return protocol::WithCrc(body);
}

// A settings reply with positions 4-23 given.
Frame SettingsReply(std::initializer_list<int> positions4to23) {
    Frame body = Bytes({0x01, 0x32, 0xC0}) + Bytes(positions4to23);
    return protocol::WithCrc(body);
}

const std::initializer_list<int> kSettings = {
    7,   30,  8,  0,  // alarm 1 07:30, "Будни дни", on
    255,              // alarm 2 off
    6,   5,   10,     // alarm 2 06:05, "Все дни"
    3,                // screen "Включать по:"
    22,  0,   15,     // screen from 22:15, following the schedule
    7,   0,           // screen to 07:00
    255,              // lunar calendar scrolls
    2,                // night-light "Отключена всегда"
    255, 255,         // night-light from: not set
    23,  59};         // night-light to 23:59

class DecoderTest : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    ControllerState state;
    FakeMeasurements measurements;
    FakeSettings settings;
    RecordingMessages messages;
    QDateTime now = kNow;
    ControllerReplyDecoder decoder{state, measurements, settings, messages, [this] { return now; }};
};

TEST_F(DecoderTest, stateReplyFillsTheMeasurementsPage) {
    decoder.ReplyDecoder(protocol::Command::ReadState, StateReply());
    const std::map<QString, QString> expected = {
        {"Label3", "05 марта 2009"},
        {"Label7", "14:07:00"},
        {"Label4", "Уход часов: + 0 ч. 00 мин. 00 сек"},
        {"Label5", "Температура: 20 °C"},
        {"Label15(0)", "Температура: 14,5 °C"},
        {"Label6", "Влажность: 45%"},
        {"Label14(0)", "Давление: 750,5 мм Рт"},
    };
    EXPECT_EQ(measurements.Labels, expected);
    EXPECT_EQ(state.ControllerClock, QDateTime(QDate(2009, 3, 5), QTime(14, 7, 0)));
    EXPECT_FLOAT_EQ(state.IndoorTemperature, 20.0F);
    EXPECT_FLOAT_EQ(state.OutdoorTemperature, 14.5F);
}

TEST_F(DecoderTest, temperaturesInShortestDecimalForm) {
    const struct {
        Frame raw;
        const char* label;
    } cases[] = {
        {Bytes({0x2C, 0x01}), "Температура: 20 °C"},  {Bytes({0xF5, 0x00}), "Температура: 14,5 °C"},
        {Bytes({0x00, 0x00}), "Температура: -10 °C"}, {Bytes({0x2D, 0x01}), "Температура: 20,1 °C"},
        {Bytes({0x64, 0x00}), "Температура: 0 °C"},   {Bytes({0x63, 0x00}), "Температура: -0,1 °C"},
    };
    for (const auto& c : cases) {
        decoder.ShowMeasurements(StateReply(Bytes({5, 3, 9, 14, 7, 0}), c.raw));
        EXPECT_EQ(measurements.Labels["Label5"], QString::fromUtf8(c.label));
    }
}

TEST_F(DecoderTest, driftAgainstTheComputerClock) {
    const struct {
        QDateTime computer;
        const char* label;
    } cases[] = {
        {QDateTime(QDate(2009, 3, 5), QTime(14, 5, 55, 999)), "Уход часов: + 0 ч. 01 мин. 05 сек"},
        {QDateTime(QDate(2009, 3, 5), QTime(14, 7, 3)), "Уход часов: - 0 ч. 00 мин. 03 сек"},
        // Far beyond 16 bits of seconds: the true drift is still shown.
        {QDateTime(QDate(2009, 3, 6), QTime(0, 7, 0)), "Уход часов: - 10 ч. 00 мин. 00 сек"},
        {QDateTime(QDate(2009, 3, 1), QTime(14, 7, 0)), "Уход часов: + 96 ч. 00 мин. 00 сек"},
    };
    for (const auto& c : cases) {
        now = c.computer;
        measurements.Labels.erase("Label4");
        decoder.ShowMeasurements(StateReply());
        EXPECT_EQ(measurements.Labels["Label4"], QString::fromUtf8(c.label));
    }
}

TEST(ClockDriftText, formatsHoursWithoutLimit) {
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {0, "Уход часов: + 0 ч. 00 мин. 00 сек"},
        {65, "Уход часов: + 0 ч. 01 мин. 05 сек"},
        {-3, "Уход часов: - 0 ч. 00 мин. 03 сек"},
        {32768, "Уход часов: + 9 ч. 06 мин. 08 сек"},
        {-100000, "Уход часов: - 27 ч. 46 мин. 40 сек"},
        {3599, "Уход часов: + 0 ч. 59 мин. 59 сек"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockDriftText(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
    }
}

TEST_F(DecoderTest, brokenStateRepliesChangeOnlyWhatWasShownBeforeTheFailure) {
    const struct {
        const char* name;
        Frame reply;
        QStringList shown;
    } cases[] = {
        {"empty", Frame(), {}},
        {"eleven bytes", StateReply().substr(0, 11), {}},
        {"hour 24", StateReply(Bytes({5, 3, 9, 24, 7, 0})), {}},
        {"second 60", StateReply(Bytes({5, 3, 9, 14, 7, 60})), {}},
        {"thirteen bytes: no humidity",
         StateReply().substr(0, 13),
         {"Label3", "Label7", "Label5", "Label15(0)"}},
        {"fourteen bytes: no pressure",
         StateReply().substr(0, 14),
         {"Label3", "Label7", "Label5", "Label15(0)", "Label6"}},
    };
    for (const auto& c : cases) {
        measurements.Labels.clear();
        decoder.ReplyDecoder(protocol::Command::ReadState, c.reply);
        QStringList shown;
        for (const auto& [label, text] : measurements.Labels) {
            shown << label;
        }
        QStringList expected = c.shown;
        expected.sort();
        shown.sort();
        EXPECT_EQ(shown, expected) << c.name;
    }
    EXPECT_TRUE(messages.Shown.empty()) << "the measurements decoder stays silent";
}

TEST_F(DecoderTest, pressureReadFromTheBytesPresent) {
    decoder.ShowMeasurements(StateReply().substr(0, 15));
    EXPECT_EQ(measurements.Labels["Label14(0)"], QStringLiteral("Давление: 0,42 мм Рт"));
    EXPECT_EQ(measurements.Labels["Label4"], QStringLiteral("Уход часов: + 0 ч. 00 мин. 00 сек"));
}

TEST(ReplyNumber, readsLittleEndianBytes) {
    const struct {
        Frame bytes;
        std::uint32_t value;
    } cases[] = {
        {Bytes({0x2C, 0x01}), 300},   {Bytes({0x2A, 0x25, 0x01, 0x00}), 75050},
        {Bytes({0x07}), 7},           {Bytes({0xFF, 0xFF}), 65535},
        {Bytes({0x00, 0x80}), 32768}, {Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 4294967295U},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplyNumber(c.bytes), c.value);
    }
    EXPECT_THROW(ReplyNumber(""), protocol::RunTimeError);
    EXPECT_THROW(ReplyNumber(Bytes({1, 2, 3, 4, 5})), protocol::RunTimeError);
}

TEST(ReplyDateTime, buildsTheDateByTheTwoDigitWindowAndRollsOver) {
    const struct {
        Frame bytes;
        QDateTime expected;
    } cases[] = {
        {Bytes({5, 3, 9, 14, 7, 0}), QDateTime(QDate(2009, 3, 5), QTime(14, 7, 0))},
        {Bytes({1, 1, 30, 0, 0, 0}), QDateTime(QDate(1930, 1, 1), QTime(0, 0))},
        {Bytes({31, 12, 29, 23, 59, 59}), QDateTime(QDate(2029, 12, 31), QTime(23, 59, 59))},
        {Bytes({1, 1, 99, 0, 0, 0}), QDateTime(QDate(1999, 1, 1), QTime(0, 0))},
        {Bytes({0, 3, 24, 0, 0, 0}), QDateTime(QDate(2024, 2, 29), QTime(0, 0))},
        {Bytes({32, 1, 10, 0, 0, 0}), QDateTime(QDate(2010, 2, 1), QTime(0, 0))},
        {Bytes({1, 13, 10, 0, 0, 0}), QDateTime(QDate(2011, 1, 1), QTime(0, 0))},
        {Bytes({1, 0, 10, 0, 0, 0}), QDateTime(QDate(2009, 12, 1), QTime(0, 0))},
        {Bytes({31, 2, 10, 0, 0, 0}), QDateTime(QDate(2010, 3, 3), QTime(0, 0))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplyDateTime(c.bytes), c.expected) << c.expected.toString().toStdString();
    }
    for (const Frame& bad : {Bytes({5, 3, 9, 24, 0, 0}), Bytes({5, 3, 9, 0, 60, 0}),
                             Bytes({5, 3, 9, 14, 7}), Frame()}) {
        EXPECT_THROW(ReplyDateTime(bad), protocol::RunTimeError) << bad.size();
    }
}

TEST_F(DecoderTest, settingsReplyFillsTheSettingsPageInOrder) {
    decoder.ReplyDecoder(protocol::Command::ReadSettings, SettingsReply(kSettings));
    const QStringList expected = {
        "DateTime3(0)=07:30", "Combo1(0)=7",        "Check1(0)=on", "Check1(1)=off",
        "DateTime3(1)=06:05", "Combo1(1)=9",        "Combo4=2",     "DateTime6(2)=22:15",
        "Combo5=0",           "DateTime6(3)=07:00", "Check3=on",    "Combo3=1",
        "DateTime6(0)=00:00", "DateTime6(1)=23:59",
    };
    EXPECT_EQ(settings.Writes, expected);
    EXPECT_TRUE(messages.Shown.empty());
}

struct SettingsByteCase {
    const char* name;
    std::size_t position;
    int value;
    const char* write;  // the write that this byte causes
};

TEST_F(DecoderTest, settingsBytesAndTheirSpecialValues) {
    const SettingsByteCase cases[] = {
        {"screen source 0 is the schedule", 14, 0, "Combo5=0"},
        {"screen source 255 is the sensor", 14, 255, "Combo5=1"},
        {"lunar byte 255 is on", 18, 255, "Check3=on"},
        {"lunar byte 0 is off", 18, 0, "Check3=off"},
        {"alarm on any value but 255", 7, 1, "Check1(0)=on"},
        {"alarm off at 255", 8, 255, "Check1(1)=off"},
        {"code 0 clears the selection", 6, 0, "Combo1(0)=-1"},
        {"last day set", 11, 10, "Combo1(1)=9"},
        {"last screen mode", 12, 4, "Combo4=3"},
        {"hour 24 is shown unformatted", 4, 24, "DateTime3(0)=24:30"},
        {"hour 255 is taken as 0", 9, 255, "DateTime3(1)=00:05"},
    };
    for (const auto& c : cases) {
        std::vector<int> bytes(kSettings);
        bytes[c.position - 4] = c.value;
        Frame body = Bytes({0x01, 0x32, 0xC0});
        for (const int b : bytes) {
            body += static_cast<char>(b);
        }
        settings.Writes.clear();
        decoder.ShowSettings(protocol::WithCrc(body));
        EXPECT_TRUE(settings.Writes.contains(QString::fromUtf8(c.write)))
            << c.name << ": " << settings.Writes.join(", ").toStdString();
        EXPECT_EQ(settings.Writes.size(), 14) << c.name;
    }
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(DecoderTest, settingsFailureStopsAtTheFieldWithAWarning) {
    const struct {
        const char* name;
        std::size_t position;
        int value;
        std::size_t truncateTo;  // 0: full reply
        int writesBefore;
    } cases[] = {
        {"day set 255", 6, 255, 0, 1},
        {"day set 11", 11, 11, 0, 5},
        {"screen mode 5", 12, 5, 0, 6},
        {"night-light mode 4", 19, 4, 0, 11},
        {"reply ends before byte 12", 4, 7, 11, 6},
        {"reply ends before byte 23", 4, 7, 22, 13},
    };
    for (const auto& c : cases) {
        std::vector<int> bytes(kSettings);
        bytes[c.position - 4] = c.value;
        Frame body = Bytes({0x01, 0x32, 0xC0});
        for (const int b : bytes) {
            body += static_cast<char>(b);
        }
        Frame reply = protocol::WithCrc(body);
        if (c.truncateTo != 0) {
            reply.resize(c.truncateTo);
        }
        settings.Writes.clear();
        messages.Shown.clear();
        decoder.ReplyDecoder(protocol::Command::ReadSettings, reply);
        EXPECT_EQ(settings.Writes.size(), c.writesBefore) << c.name;
        ASSERT_EQ(messages.Shown.size(), 1U) << c.name;
        EXPECT_EQ(messages.Shown[0].Icon, link::MessageIcon::Exclamation) << c.name;
        EXPECT_FALSE(messages.Shown[0].Text.isEmpty()) << c.name;
    }
}

TEST_F(DecoderTest, otherRepliesAndEmptySettingsDoNothing) {
    for (std::int16_t command : {0, 2, 3, 4, 6, 7, 8, 14}) {
        decoder.ReplyDecoder(command, StateReply());
        decoder.ReplyDecoder(command, SettingsReply(kSettings));
    }
    decoder.ReplyDecoder(protocol::Command::ReadSettings, Frame());
    EXPECT_TRUE(measurements.Labels.empty());
    EXPECT_TRUE(settings.Writes.isEmpty());
    EXPECT_TRUE(messages.Shown.empty());
}

}  // namespace
}  // namespace pelta::device
