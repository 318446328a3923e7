#include "protocol/command_table.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>

#include "protocol/run_time_error.h"

namespace pelta::protocol {
namespace {

constexpr char kReadFunction = 0x32;
constexpr char kWriteFunction = 0x5A;
constexpr std::size_t kEventLineLength = 20;

[[noreturn]] void Fail(const QString& description) {
    throw RunTimeError(description.toStdString());
}

char ToByte(qint64 value, const char* what) {
    if (value < 0 || value > 255) {
        Fail(QStringLiteral("Переполнение: %1 = %2 не умещается в байт (0-255)")
                 .arg(QString::fromUtf8(what))
                 .arg(value));
    }
    return static_cast<char>(value);
}

char DecimalToByte(const QString& text, const char* what) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok) {
        Fail(QStringLiteral("Несоответствие типа: %1 = \"%2\" не является числом")
                 .arg(QString::fromUtf8(what), text));
    }
    return ToByte(value, what);
}

QStringList NumberGroups(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[^0-9]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

struct DateParts {
    int Day;
    int Month;
    int TwoDigitYear;
};

// "dd.mm.yy" (a four-digit year is also read); the date must exist.
DateParts ReadDate(const QString& text, const char* what) {
    const QStringList groups = NumberGroups(text);
    if (groups.size() == 3) {
        const int day = groups[0].toInt();
        const int month = groups[1].toInt();
        const int year = groups[2].toInt();
        const int twoDigit = year % 100;
        const int fullYear = groups[2].size() > 2 ? year : (twoDigit < 30 ? 2000 : 1900) + year;
        if (QDate(fullYear, month, day).isValid()) {
            return {day, month, twoDigit};
        }
    }
    Fail(QStringLiteral("Несоответствие типа: %1 = \"%2\" не является датой")
             .arg(QString::fromUtf8(what), text));
}

struct TimeParts {
    int Hour;
    int Minute;
    int Second;
};

// "hh:mm" or "hh:mm:ss"; the time of day must exist.
TimeParts ReadTime(const QString& text, const char* what) {
    const QStringList groups = NumberGroups(text);
    if (groups.size() == 2 || groups.size() == 3) {
        const TimeParts parts{groups[0].toInt(), groups[1].toInt(),
                              groups.size() == 3 ? groups[2].toInt() : 0};
        if (parts.Hour <= 23 && parts.Minute <= 59 && parts.Second <= 59) {
            return parts;
        }
    }
    Fail(QStringLiteral("Несоответствие типа: %1 = \"%2\" не является временем")
             .arg(QString::fromUtf8(what), text));
}

// The writer pads event lines to 20 characters; a line that is not 20 bytes is its fault and
// would shift every byte after it, so it is refused rather than sent.
const std::string& EventLine(const std::string& line, const char* what) {
    if (line.size() != kEventLineLength) {
        Fail(QStringLiteral("Строка события %1 имеет длину %2 вместо 20")
                 .arg(QString::fromUtf8(what))
                 .arg(line.size()));
    }
    return line;
}

Frame Header(std::int32_t address, char function, char command) {
    Frame frame;
    frame += ToByte(address, "адрес контроллера");
    frame += function;
    frame += command;
    return frame;
}

Frame WriteEventRequest(std::int32_t address, const StagedRequest& s) {
    const DateParts date = ReadDate(s.EventDate, "EventDate");
    const TimeParts time = ReadTime(s.EventTime, "EventTime");
    Frame frame = Header(address, kWriteFunction, 0x64);
    frame += ToByte(s.EventMode, "EventMode");
    frame += ToByte(date.Month, "месяц EventDate");
    frame += ToByte(date.Day, "день EventDate");
    frame += ToByte(time.Hour, "час EventTime");
    frame += EventLine(s.EventLine1, "EventLine1");
    return frame;
}

Frame SetClockRequest(std::int32_t address, const StagedRequest& s) {
    const DateParts date = ReadDate(s.ClockDate, "ClockDate");
    const TimeParts time = ReadTime(s.ClockTime, "ClockTime");
    Frame frame = Header(address, kWriteFunction, 0x5E);
    frame += ToByte(date.Day, "день ClockDate");
    frame += ToByte(date.Month, "месяц ClockDate");
    frame += ToByte(date.TwoDigitYear, "год ClockDate");
    frame += ToByte(time.Hour, "час ClockTime");
    frame += ToByte(time.Minute, "минута ClockTime");
    frame += ToByte(time.Second, "секунда ClockTime");
    frame += ToByte(s.ClockCorrection, "ClockCorrection");
    frame += DecimalToByte(s.ClockOnOffCode, "OnOffCode");
    frame += DecimalToByte(s.ClockDayCode, "DayCode");
    return frame;
}

Frame WriteAlarmRequest(std::int32_t address, char command, const StagedRequest& s) {
    Frame frame = Header(address, kWriteFunction, command);
    frame += DecimalToByte(s.OnOffCode, "OnOffCode");
    frame += DecimalToByte(s.AlarmHour, "AlarmHour");
    frame += DecimalToByte(s.AlarmMinute, "AlarmMinute");
    frame += DecimalToByte(s.DayCode, "DayCode");
    return frame;
}

}  // namespace

Frame BuildRequest(std::int16_t command, std::int32_t controllerAddress,
                   const StagedRequest& staged) {
    switch (command) {
        case Command::ReadState:
            return Header(controllerAddress, kReadFunction, static_cast<char>(0xBE));
        case Command::WriteEvent:
            return WriteEventRequest(controllerAddress, staged);
        case Command::WriteEventLine2:
            return Header(controllerAddress, kWriteFunction, 0x65) +
                   EventLine(staged.EventLine2, "EventLine2");
        case Command::SetClock:
            return SetClockRequest(controllerAddress, staged);
        case Command::ReadSettings:
            return Header(controllerAddress, kReadFunction, static_cast<char>(0xC0));
        case Command::WriteAlarm1:
            return WriteAlarmRequest(controllerAddress, 0x5F, staged);
        case Command::WriteAlarm2:
            return WriteAlarmRequest(controllerAddress, 0x60, staged);
        default:
            return {};
    }
}

void ReplyLengthTable::Fill() {
    lengths_ = {22, 3, 3, 3, 25, 3, 3, 3, 0, 0, 0, 0, 0, 0};
}

std::int16_t ReplyLengthTable::operator()(std::int16_t command) const {
    if (command < 1 || command > Command::Last) {
        return 0;
    }
    return lengths_[static_cast<std::size_t>(command - 1)];
}

}  // namespace pelta::protocol
