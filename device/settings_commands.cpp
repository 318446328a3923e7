#include "device/settings_commands.h"

#include <QLocale>
#include <QTime>
#include <cmath>
#include <exception>
#include <limits>

#include "device/display_char_map.h"
#include "protocol/code_page.h"
#include "protocol/command_table.h"
#include "protocol/run_time_error.h"

namespace pelta::device {
namespace {

constexpr std::size_t kEventLineLength = 20;
constexpr std::int16_t kChecked = 1;

QString OnOffCodeFor(std::int16_t checkValue) {
    // Only a ticked box is "on"; unticked and greyed both send "off".
    return checkValue == kChecked ? QStringLiteral("0") : QStringLiteral("255");
}

QString CodeFromListIndex(std::int16_t position) {
    return QString::number(position + 1);
}

QTime AlarmTime(const QString& text) {
    for (const char* format : {"H:mm", "H:mm:ss", "H:m", "H:m:s"}) {
        const QTime time = QTime::fromString(text.trimmed(), QString::fromLatin1(format));
        if (time.isValid()) {
            return time;
        }
    }
    throw protocol::RunTimeError(
        QStringLiteral("Несоответствие типа: \"%1\" не является временем").arg(text).toStdString());
}

}  // namespace

std::optional<std::int16_t> ClockCorrectionFrom(const QString& text) {
    bool ok = false;
    const double v = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v)) {
        return std::nullopt;
    }
    const double code = std::nearbyint(v >= 0 ? 40.0 - v : -v);  // half to even
    if (code < std::numeric_limits<std::int16_t>::min() ||
        code > std::numeric_limits<std::int16_t>::max()) {
        throw protocol::RunTimeError(
            QStringLiteral("Переполнение: коррекция времени %1 не умещается в 16 бит")
                .arg(text)
                .toStdString());
    }
    return static_cast<std::int16_t>(code);
}

std::string EventLineFrom(const QString& text) {
    // Cut and padded as bytes, so that a character outside the code page cannot change the length.
    std::string line = protocol::ToWindows1251(text).substr(0, kEventLineLength);
    line.resize(kEventLineLength, ' ');
    return rep(line);
}

SettingsCommands::SettingsCommands(SettingsControls& controls, ControllerState& state,
                                   protocol::ExchangeStarter& exchange, link::MessageSink& messages)
    : controls_(controls), state_(state), exchange_(exchange), messages_(messages) {}

void SettingsCommands::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& failure) {
        messages_.ShowMessage(QString::fromStdString(failure.what()),
                              link::MessageIcon::Exclamation);
    }
}

bool SettingsCommands::PortChosen() {
    if (controls_.cboPortText().isEmpty()) {
        messages_.ShowMessage(QString::fromUtf8(kNoPortChosen), link::MessageIcon::None);
        return false;
    }
    return true;
}

void SettingsCommands::ReadMeasurements() {
    Guarded([this] {
        if (PortChosen()) {
            exchange_.Start(protocol::Command::ReadState, protocol::Command::ReadState);
        }
    });
}

bool SettingsCommands::ReadSettings(const std::function<void()>& beforeReading) {
    bool chosen = false;
    Guarded([&] {
        chosen = PortChosen();
        if (chosen) {
            beforeReading();
            exchange_.Start(protocol::Command::ReadSettings, protocol::Command::ReadSettings);
        }
    });
    return chosen;
}

void SettingsCommands::StageClock() {
    state_.ClockDate = controls_.DateTime1Text();
    state_.ClockTime = controls_.DateTime2Text();
    state_.ClockDayCode = CodeFromListIndex(controls_.Combo2ListIndex());
    state_.ClockOnOffCode = OnOffCodeFor(controls_.Check4Value());
    if (const auto correction = ClockCorrectionFrom(controls_.Text3Text())) {
        state_.ClockCorrection = *correction;
    }
}

void SettingsCommands::SendClock() {
    Guarded([this] {
        StageClock();
        exchange_.Start(protocol::Command::SetClock, protocol::Command::SetClock);
    });
}

void SettingsCommands::StageAlarm(int index) {
    state_.DayCode = CodeFromListIndex(controls_.Combo1ListIndex(index));
    state_.OnOffCode = OnOffCodeFor(controls_.Check1Value(index));
    const QTime time = AlarmTime(controls_.DateTime3Text(index));
    state_.AlarmHour = QString::number(time.hour());
    state_.AlarmMinute = QString::number(time.minute());
}

void SettingsCommands::SendAlarm(int index) {
    exchange_.SetExchangeInProgress(-1);
    Guarded([this, index] {
        StageAlarm(index);
        const std::int16_t command =
            index == 0 ? protocol::Command::WriteAlarm1 : protocol::Command::WriteAlarm2;
        exchange_.Start(command, command);
    });
}

void SettingsCommands::StageEvent() {
    state_.EventMode = controls_.Check2Value() == kChecked ? 0 : 255;
    state_.EventLine1 = EventLineFrom(controls_.Text2Text(0));
    state_.EventLine2 = EventLineFrom(controls_.Text2Text(1));
    state_.EventDate = controls_.DateTime4Text();
    state_.EventTime = controls_.DateTime5Text();
}

void SettingsCommands::SendEvent() {
    Guarded([this] {
        StageEvent();
        exchange_.Start(protocol::Command::WriteEvent, protocol::Command::WriteEventLine2);
    });
}

void SettingsCommands::ResendClock() {
    Guarded([this] { exchange_.Start(protocol::Command::SetClock, protocol::Command::SetClock); });
}

}  // namespace pelta::device
