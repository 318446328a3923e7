#include "device/reply_decoder.h"

#include <QLocale>
#include <array>
#include <charconv>
#include <exception>
#include <utility>

#include "device/settings_lists.h"
#include "protocol/command_table.h"
#include "protocol/run_time_error.h"

namespace pelta::device {
namespace {

using protocol::Frame;
using protocol::RunTimeError;

[[noreturn]] void Fail(const QString& description) {
    throw RunTimeError(description.toStdString());
}

// Up to `count` bytes from 1-based `position`; fewer (or none) when the reply ends before.
std::string_view Field(const Frame& reply, std::size_t position, std::size_t count) {
    if (position > reply.size()) {
        return {};
    }
    return std::string_view(reply).substr(position - 1, count);
}

int ByteAt(const Frame& reply, std::size_t position) {
    if (position > reply.size()) {
        Fail(QStringLiteral("Ответ слишком короткий: в нём %1 байт, нет байта %2")
                 .arg(reply.size())
                 .arg(position));
    }
    return static_cast<unsigned char>(reply[position - 1]);
}

template <typename Number>
QString Shortest(Number value) {
    std::array<char, 64> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::fixed);
    QString text = QString::fromLatin1(digits.data(), result.ptr - digits.data());
    if (text == QLatin1String("-0")) {
        text = QStringLiteral("0");
    }
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint())
        .replace(QLatin1Char('-'), QLocale().negativeSign());
}

float Temperature(std::string_view bytes) {
    float value = static_cast<float>(ReplyNumber(bytes));
    value = (value - 100.0F) / 10.0F;
    return value;
}

QString TemperatureText(float value) {
    return QStringLiteral("Температура: ") + ShortestDecimal(value) + QStringLiteral(" °C");
}

// An hour and a minute byte as the schedule and alarm fields show them; 255 means not set.
QString TimeText(int hour, int minute) {
    if (hour == 255) {
        hour = 0;
    }
    if (minute == 255) {
        minute = 0;
    }
    if (hour > 23 || minute > 59) {
        return QStringLiteral("%1:%2").arg(hour).arg(minute);
    }
    return QStringLiteral("%1:%2")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'));
}

QString TimeAt(const Frame& reply, std::size_t hourPosition, std::size_t minutePosition) {
    const int hour = ByteAt(reply, hourPosition);
    const int minute = ByteAt(reply, minutePosition);
    return TimeText(hour, minute);
}

// A list code selects position code - 1; code 0 clears the selection.
template <std::size_t N>
std::int16_t ListPosition(int code, const std::array<const char*, N>& list, const char* combo) {
    if (code > static_cast<int>(list.size())) {
        Fail(QStringLiteral("Недопустимое значение: код %1 вне списка %2 (1-%3)")
                 .arg(code)
                 .arg(QString::fromUtf8(combo))
                 .arg(N));
    }
    return static_cast<std::int16_t>(code - 1);
}

constexpr int kUnsetByte = 255;

}  // namespace

std::uint32_t ReplyNumber(std::string_view bytes) {
    if (bytes.empty()) {
        Fail(QStringLiteral("Нет байтов числа в ответе"));
    }
    if (bytes.size() > 4) {
        Fail(QStringLiteral("Переполнение: число из %1 байт не умещается в 32 бита")
                 .arg(bytes.size()));
    }
    std::uint32_t value = 0;
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
        value = (value << 8) | static_cast<unsigned char>(*it);
    }
    return value;
}

QDateTime ReplyDateTime(std::string_view bytes) {
    if (bytes.size() < 6) {
        Fail(QStringLiteral("Нет даты и времени в ответе: %1 байт из 6").arg(bytes.size()));
    }
    auto at = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(bytes[i])); };
    const int day = at(0);
    const int month = at(1);
    int year = at(2);
    if (year < 30) {
        year += 2000;
    } else if (year < 100) {
        year += 1900;
    }
    const QTime time(at(3), at(4), at(5));
    if (!time.isValid()) {
        Fail(QStringLiteral("Недопустимое время в ответе: %1:%2:%3")
                 .arg(at(3))
                 .arg(at(4))
                 .arg(at(5)));
    }
    // Months and days beyond their range roll over, as the platform's date-from-parts does.
    const QDate date = QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
    return QDateTime(date, time);
}

QString ClockDriftText(std::int64_t seconds) {
    const bool ahead = seconds >= 0;
    const std::uint64_t magnitude =
        ahead ? static_cast<std::uint64_t>(seconds) : 0U - static_cast<std::uint64_t>(seconds);
    const std::uint64_t hours = magnitude / 3600;
    const auto minutes = static_cast<int>(magnitude % 3600 / 60);
    const auto secs = static_cast<int>(magnitude % 60);
    return QStringLiteral("Уход часов: ") + (ahead ? QStringLiteral("+ ") : QStringLiteral("- ")) +
           QString::number(hours) + QStringLiteral(" ч. ") +
           QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0')) + QStringLiteral(" мин. ") +
           QStringLiteral("%1").arg(secs, 2, 10, QLatin1Char('0')) + QStringLiteral(" сек");
}

QString ShortestDecimal(double value) {
    return Shortest(value);
}

QString ShortestDecimal(float value) {
    return Shortest(value);
}

ControllerReplyDecoder::ControllerReplyDecoder(ControllerState& state,
                                               MeasurementsView& measurements,
                                               SettingsView& settings, link::MessageSink& messages,
                                               NowSource now)
    : state_(state),
      measurements_(measurements),
      settings_(settings),
      messages_(messages),
      now_(std::move(now)) {}

void ControllerReplyDecoder::ReplyDecoder(std::int16_t command, const protocol::Frame& reply) {
    if (command == protocol::Command::ReadState) {
        ShowMeasurements(reply);
    } else if (command == protocol::Command::ReadSettings && !reply.empty()) {
        ShowSettings(reply);
    }
}

void ControllerReplyDecoder::ShowMeasurements(const protocol::Frame& reply) {
    try {
        DecodeMeasurements(reply);
    } catch (const std::exception&) {
        // A garbled reply leaves the rest of the page as it was; the monitor already shows it.
    }
}

void ControllerReplyDecoder::DecodeMeasurements(const protocol::Frame& reply) {
    state_.ControllerClock = ReplyDateTime(Field(reply, 4, 6));
    QDateTime now = now_();
    now = now.addMSecs(-now.time().msec());  // whole seconds, as the controller's clock
    const qint64 drift = now.secsTo(state_.ControllerClock);
    state_.IndoorTemperature = Temperature(Field(reply, 10, 2));
    state_.OutdoorTemperature = Temperature(Field(reply, 12, 2));

    measurements_.SetLabel3(
        QLocale().toString(state_.ControllerClock.date(), QStringLiteral("dd MMMM yyyy")));
    measurements_.SetLabel7(state_.ControllerClock.time().toString(QStringLiteral("HH:mm:ss")));
    measurements_.SetLabel5(TemperatureText(state_.IndoorTemperature));
    measurements_.SetLabel15_0(TemperatureText(state_.OutdoorTemperature));
    const int humidity = ByteAt(reply, 14);
    measurements_.SetLabel6(QStringLiteral("Влажность: ") + QString::number(humidity) +
                            QStringLiteral("%"));
    const double pressure = ReplyNumber(Field(reply, 15, 4)) / 100.0;
    measurements_.SetLabel14_0(QStringLiteral("Давление: ") + ShortestDecimal(pressure) +
                               QStringLiteral(" мм Рт"));
    measurements_.SetLabel4(ClockDriftText(drift));
    measurements_.ShowReadings({state_.ControllerClock, drift, state_.IndoorTemperature,
                                state_.OutdoorTemperature, humidity, pressure});
}

void ControllerReplyDecoder::ShowSettings(const protocol::Frame& reply) {
    try {
        DecodeSettings(reply);
    } catch (const std::exception& failure) {
        messages_.ShowMessage(QString::fromStdString(failure.what()),
                              link::MessageIcon::Exclamation);
    }
}

void ControllerReplyDecoder::DecodeSettings(const protocol::Frame& reply) {
    settings_.SetDateTime3Text(0, TimeAt(reply, 4, 5));
    settings_.SetCombo1ListIndex(0, ListPosition(ByteAt(reply, 6), kDaySetNames, "Combo1(0)"));
    settings_.SetCheck1(0, ByteAt(reply, 7) != kUnsetByte);
    settings_.SetCheck1(1, ByteAt(reply, 8) != kUnsetByte);
    settings_.SetDateTime3Text(1, TimeAt(reply, 9, 10));
    settings_.SetCombo1ListIndex(1, ListPosition(ByteAt(reply, 11), kDaySetNames, "Combo1(1)"));
    settings_.SetCombo4ListIndex(ListPosition(ByteAt(reply, 12), kScreenModeNames, "Combo4"));
    settings_.SetDateTime6Text(2, TimeAt(reply, 13, 15));
    settings_.SetCombo5ListIndex(ByteAt(reply, 14) == kUnsetByte ? 1 : 0);
    settings_.SetDateTime6Text(3, TimeAt(reply, 16, 17));
    // The lunar-calendar byte reads the other way round: 255 means on.
    settings_.SetCheck3(ByteAt(reply, 18) == kUnsetByte);
    settings_.SetCombo3ListIndex(ListPosition(ByteAt(reply, 19), kNightLightModeNames, "Combo3"));
    settings_.SetDateTime6Text(0, TimeAt(reply, 20, 21));
    settings_.SetDateTime6Text(1, TimeAt(reply, 22, 23));
}

}  // namespace pelta::device
