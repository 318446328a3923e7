#include "tools/ctl/command_orders.h"

#include <QLocale>
#include <QTime>
#include <map>

#include "device/field_dates.h"
#include "device/settings_lists.h"
#include "link/link_settings.h"
#include "link/port_url.h"
#include "tools/ctl/address_list.h"
#include "tools/ctl/display_text.h"

namespace pelta::ctl {
namespace {

constexpr link::WholeRange kEventHours{0, 23};
constexpr int kEventLineLength = 20;
constexpr int kLargestCorrection = 30;

// The day sets a script may name, by their entries in the window's list.
const std::map<QString, const char*>& DaySets() {
    static const std::map<QString, const char*> kDaySets{
        {QStringLiteral("weekdays"), "Будни дни"},
        {QStringLiteral("weekends"), "Выходные"},
        {QStringLiteral("all"), "Все дни"},
    };
    return kDaySets;
}

// The position in a fixed list of the entry the text names, compared without regard to case.
std::int16_t ListPosition(const QString& text, const QStringList& entries, const char* what) {
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries.at(i).compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
            return static_cast<std::int16_t>(i);
        }
    }
    throw CommandLineError(
        QStringLiteral("%1 \"%2\" не из списка: %3")
            .arg(QString::fromUtf8(what), text, entries.join(QStringLiteral(", "))));
}

int WholeNumber(const QString& text, link::WholeRange range, const char* what) {
    const auto value = link::WholeNumberIn(text, range);
    if (!value) {
        throw CommandLineError(QStringLiteral("%1 \"%2\" должно быть целым числом от %3 до %4")
                                   .arg(QString::fromUtf8(what), text)
                                   .arg(range.Lowest)
                                   .arg(range.Highest));
    }
    return *value;
}

std::optional<QString> ValueOf(const QCommandLineParser& parser, const char* name) {
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option)) {
        return std::nullopt;
    }
    return parser.value(option);
}

QString Required(const QCommandLineParser& parser, const char* name, const char* command) {
    const auto value = ValueOf(parser, name);
    if (!value) {
        throw CommandLineError(QStringLiteral("команде %1 нужен параметр --%2")
                                   .arg(QString::fromLatin1(command), QString::fromLatin1(name)));
    }
    return *value;
}

bool OnOrOff(const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("on")) && parser.isSet(QStringLiteral("off"))) {
        throw CommandLineError(QStringLiteral("укажите либо --on, либо --off, но не оба"));
    }
    return !parser.isSet(QStringLiteral("off"));
}

// The correction as the window's field holds it, in whole seconds within the range its caption
// gives ("+/- 30 sek"); the byte sent is 40 - V from 0 up and -V below 0.
QString CorrectionText(const QString& text) {
    bool ok = false;
    const int seconds = text.trimmed().toInt(&ok, 10);
    if (!ok || seconds < -kLargestCorrection || seconds > kLargestCorrection) {
        throw CommandLineError(
            QStringLiteral("коррекция времени \"%1\" должна быть целым числом секунд от %2 до %3")
                .arg(text)
                .arg(-kLargestCorrection)
                .arg(kLargestCorrection));
    }
    return QLocale().toString(seconds);
}

QString EventLine(const QCommandLineParser& parser, const char* name) {
    const QString line = ValueOf(parser, name).value_or(QString());
    if (const QString refused = FirstCharacterNotShown(line); !refused.isEmpty()) {
        throw CommandLineError(
            QStringLiteral("--%1: символ %2 табло не показывает (можно латиницу, "
                           "цифры, знаки ASCII, пробел и русские буквы)")
                .arg(QString::fromLatin1(name), CharacterName(refused)));
    }
    if (line.size() > kEventLineLength) {
        throw CommandLineError(QStringLiteral("--%1 длиннее 20 символов: \"%2\"")
                                   .arg(QString::fromLatin1(name), line));
    }
    return line;
}

}  // namespace

LinkOverrides ReadLink(const QCommandLineParser& parser) {
    LinkOverrides link;
    if (parser.isSet(QStringLiteral("port")) && parser.isSet(QStringLiteral("device"))) {
        throw CommandLineError(QStringLiteral("укажите либо --port, либо --device, но не оба"));
    }
    const auto port = ValueOf(parser, "port");
    if (port && link::IsNetworkPortName(port->toStdString())) {
        link.PortUrl = CheckedPortUrl(*port);
    } else if (port) {
        link.PortNumber = ParsePortNumber(*port);
        if (!link.PortNumber) {
            throw CommandLineError(
                QStringLiteral("порт \"%1\" не похож на \"COM 7\", COM7 или 7").arg(*port));
        }
    }
    link.DevicePath = ValueOf(parser, "device").value_or(QString());
    if (const auto text = ValueOf(parser, "speed")) {
        link.Line.Speed = ListPosition(*text, link::SpeedEntries(), "скорость");
    }
    if (const auto text = ValueOf(parser, "parity")) {
        link.Line.Parity = ListPosition(*text, link::ParityEntries(), "чётность");
    }
    if (const auto text = ValueOf(parser, "data-bits")) {
        link.Line.DataBits = ListPosition(*text, link::DataBitsEntries(), "число битов данных");
    }
    if (const auto text = ValueOf(parser, "stop-bits")) {
        link.Line.StopBits = ListPosition(*text, link::StopBitsEntries(), "число стоповых битов");
    }
    if (const auto text = ValueOf(parser, "timeout")) {
        link.ReplyTimeout = QString::number(WholeNumber(*text, link::ReplyTimeoutsMs, "таймаут"));
    }
    if (const auto text = ValueOf(parser, "attempts")) {
        link.Attempts =
            QString::number(WholeNumber(*text, link::AttemptCounts, "количество попыток"));
    }
    if (const auto text = ValueOf(parser, "address")) {
        AddressList list = ParseAddressList(*text);
        if (!list.Error.isEmpty()) {
            throw CommandLineError(list.Error);
        }
        link.Addresses = std::move(list.Addresses);
    }
    return link;
}

ClockOrder ReadClock(const QCommandLineParser& parser) {
    ClockOrder clock;
    if (const auto text = ValueOf(parser, "correction")) {
        clock.Correction = CorrectionText(*text);
    }
    if (const auto text = ValueOf(parser, "season-change")) {
        if (*text != QStringLiteral("on") && *text != QStringLiteral("off")) {
            throw CommandLineError(
                QStringLiteral("--season-change принимает on или off, а не \"%1\"").arg(*text));
        }
        clock.SeasonChange = *text == QStringLiteral("on");
    }
    return clock;
}

AlarmOrder ReadAlarm(const QCommandLineParser& parser, const QStringList& operands) {
    if (operands.size() != 2 ||
        (operands[1] != QStringLiteral("1") && operands[1] != QStringLiteral("2"))) {
        throw CommandLineError(
            QStringLiteral("команде alarm нужен номер будильника: alarm 1 или alarm 2"));
    }
    AlarmOrder alarm;
    alarm.Index = operands[1].toInt() - 1;
    const QString timeText = Required(parser, "time", "alarm");
    const QTime time = QTime::fromString(timeText.trimmed(), QStringLiteral("H:mm"));
    if (!time.isValid()) {
        throw CommandLineError(
            QStringLiteral("время будильника \"%1\" должно быть ЧЧ:ММ").arg(timeText));
    }
    alarm.Time = time.toString(QStringLiteral("hh:mm"));
    const QString days = Required(parser, "days", "alarm");
    const auto daySet = DaySets().find(days);
    if (daySet == DaySets().end()) {
        throw CommandLineError(
            QStringLiteral("дни будильника \"%1\": weekdays, weekends или all").arg(days));
    }
    for (std::size_t i = 0; i < device::kDaySetNames.size(); ++i) {
        if (QString::fromUtf8(device::kDaySetNames[i]) == QString::fromUtf8(daySet->second)) {
            alarm.DaySetPosition = static_cast<int>(i);
        }
    }
    alarm.On = OnOrOff(parser);
    return alarm;
}

EventOrder ReadEvent(const QCommandLineParser& parser) {
    EventOrder event;
    event.Line1 = EventLine(parser, "line1");
    event.Line2 = EventLine(parser, "line2");
    const QString dateText = Required(parser, "date", "event");
    const QDate date = device::DateFromText(dateText);
    if (!date.isValid() || dateText.trimmed().size() != 8) {
        throw CommandLineError(
            QStringLiteral("дата события \"%1\" должна быть дд.мм.гг").arg(dateText));
    }
    event.Date = device::DateText(date);
    const int hour = WholeNumber(Required(parser, "hour", "event"), kEventHours, "час события");
    event.Time = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
    event.On = OnOrOff(parser);
    return event;
}

}  // namespace pelta::ctl
