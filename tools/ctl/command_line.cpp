#include "tools/ctl/command_line.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <map>
#include <set>
#include <stdexcept>

#include "device/field_dates.h"
#include "device/settings_commands.h"
#include "device/settings_lists.h"
#include "link/link_settings.h"
#include "tools/ctl/address_list.h"

namespace pelta::ctl {
namespace {

constexpr int kLongestTimeoutMs = 600000;
constexpr int kMostAttempts = 10;
constexpr int kEventLineLength = 20;

// Thrown inside the parse to leave with one line of explanation.
struct UsageError : std::runtime_error {
    explicit UsageError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

const std::map<QString, CommandKind>& Commands() {
    static const std::map<QString, CommandKind> kCommands{
        {QStringLiteral("read"), CommandKind::Read},
        {QStringLiteral("settings"), CommandKind::Settings},
        {QStringLiteral("sync-clock"), CommandKind::SyncClock},
        {QStringLiteral("scan"), CommandKind::Scan},
        {QStringLiteral("alarm"), CommandKind::Alarm},
        {QStringLiteral("event"), CommandKind::Event},
    };
    return kCommands;
}

// Options that belong to one command only.
const std::map<QString, CommandKind>& CommandOptions() {
    static const std::map<QString, CommandKind> kOwners{
        {QStringLiteral("correction"), CommandKind::SyncClock},
        {QStringLiteral("season-change"), CommandKind::SyncClock},
        {QStringLiteral("time"), CommandKind::Alarm},
        {QStringLiteral("days"), CommandKind::Alarm},
        {QStringLiteral("line1"), CommandKind::Event},
        {QStringLiteral("line2"), CommandKind::Event},
        {QStringLiteral("date"), CommandKind::Event},
        {QStringLiteral("hour"), CommandKind::Event},
    };
    return kOwners;
}

// The day sets a script may name, by their entries in the window's list.
const std::map<QString, const char*>& DaySets() {
    static const std::map<QString, const char*> kDaySets{
        {QStringLiteral("weekdays"), "Будни дни"},
        {QStringLiteral("weekends"), "Выходные"},
        {QStringLiteral("all"), "Все дни"},
    };
    return kDaySets;
}

QList<QCommandLineOption> OptionList() {
    auto value = [](const char* name, const char* description, const char* valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                                  QString::fromUtf8(valueName));
    };
    auto flag = [](const QStringList& names, const char* description) {
        return QCommandLineOption(names, QString::fromUtf8(description));
    };
    return {
        value("port", "порт, как в списке окна: \"COM 7\", COM7 или 7", "COM n"),
        value("device", "устройство последовательного порта (путь)", "PATH"),
        value("address", "адреса контроллеров: 1,3,5-9 (для scan по умолчанию 0-255)", "LIST"),
        value("speed", "скорость, бит/с: 300 ... 19200", "N"),
        value("parity", "чётность: None, Odd, Even, Mark, Space", "P"),
        value("data-bits", "битов данных: 4 ... 8", "N"),
        value("stop-bits", "стоповых битов: 1, 1.5, 2", "S"),
        value("timeout", "таймаут ожидания ответа, мс", "MS"),
        value("attempts", "количество попыток, 1 ... 10", "N"),
        flag({QStringLiteral("json")}, "вывод в JSON: один объект на адрес в строке"),
        value("correction", "sync-clock: коррекция времени, с (по умолчанию -1)", "V"),
        value("season-change", "sync-clock: смена сезонов on|off (по умолчанию off)", "on|off"),
        value("time", "alarm: время будильника ЧЧ:ММ", "HH:MM"),
        value("days", "alarm: дни weekdays|weekends|all", "DAYS"),
        value("line1", "event: 1-я строка (до 20 символов)", "TEXT"),
        value("line2", "event: 2-я строка (до 20 символов)", "TEXT"),
        value("date", "event: дата запуска дд.мм.гг", "dd.mm.yy"),
        value("hour", "event: час запуска 0 ... 23", "H"),
        flag({QStringLiteral("on")}, "alarm, event: включить (по умолчанию)"),
        flag({QStringLiteral("off")}, "alarm, event: отключить"),
        flag({QStringLiteral("h"), QStringLiteral("help")}, "показать эту справку"),
        flag({QStringLiteral("v"), QStringLiteral("version")}, "показать версию"),
    };
}

const char* kDescription =
    "Читает и настраивает контроллеры табло по последовательной линии: один адрес или много.\n"
    "Значения линии, не заданные здесь, берутся из настроек окна (pelta.conf).\n"
    "\n"
    "Команды:\n"
    "  read        дата, время, уход часов, температура, влажность, давление\n"
    "  settings    будильники, расписания экрана и ночника, лунный календарь\n"
    "  sync-clock  установить часы по компьютеру; уход часов до и после\n"
    "  scan        какие контроллеры на линии (советуем короткий таймаут: --timeout 100)\n"
    "  alarm 1|2   записать будильник: --time ЧЧ:ММ --days weekdays|weekends|all [--on|--off]\n"
    "  event       записать событие: --line1 ТЕКСТ --line2 ТЕКСТ --date дд.мм.гг --hour Ч\n"
    "              [--on|--off]\n"
    "\n"
    "Код выхода: 0 все адреса ответили верно, 1 хотя бы один нет, 2 ошибка в командной строке.";

QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text.replace(QStringLiteral("Usage:"), QStringLiteral("Использование:"));
    text.replace(QStringLiteral("[options]"), QStringLiteral("[параметры]"));
    text.replace(QStringLiteral("Options:"), QStringLiteral("Параметры:"));
    text.replace(QStringLiteral("Arguments:"), QStringLiteral("Аргументы:"));
    return text;
}

// QCommandLineParser explains in English; the three kinds of its complaints, in Russian.
QString ParserError(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().constFirst();
        return QStringLiteral("неизвестный параметр %1%2")
            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    const QString text = parser.errorText();
    const QString option = quoted.match(text).captured(1);
    if (text.startsWith(QStringLiteral("Missing value"))) {
        return QStringLiteral("у параметра %1 нет значения").arg(option);
    }
    return QStringLiteral("параметр %1 не принимает значения").arg(option);
}

// The entry of a fixed list that the text names, compared without regard to case.
QString ListEntry(const QString& text, const QStringList& entries, const char* what) {
    for (const QString& entry : entries) {
        if (entry.compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    throw UsageError(QStringLiteral("%1 \"%2\" не из списка: %3")
                         .arg(QString::fromUtf8(what), text, entries.join(QStringLiteral(", "))));
}

int WholeNumber(const QString& text, int lowest, int highest, const char* what) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < lowest || value > highest) {
        throw UsageError(QStringLiteral("%1 \"%2\" должно быть целым числом от %3 до %4")
                             .arg(QString::fromUtf8(what), text)
                             .arg(lowest)
                             .arg(highest));
    }
    return value;
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
        throw UsageError(QStringLiteral("команде %1 нужен параметр --%2")
                             .arg(QString::fromLatin1(command), QString::fromLatin1(name)));
    }
    return *value;
}

LinkOverrides ReadLink(const QCommandLineParser& parser) {
    LinkOverrides link;
    if (parser.isSet(QStringLiteral("port")) && parser.isSet(QStringLiteral("device"))) {
        throw UsageError(QStringLiteral("укажите либо --port, либо --device, но не оба"));
    }
    if (const auto port = ValueOf(parser, "port")) {
        link.PortNumber = ParsePortNumber(*port);
        if (!link.PortNumber) {
            throw UsageError(
                QStringLiteral("порт \"%1\" не похож на \"COM 7\", COM7 или 7").arg(*port));
        }
    }
    link.DevicePath = ValueOf(parser, "device").value_or(QString());
    if (const auto text = ValueOf(parser, "speed")) {
        link.Speed = ListEntry(*text, link::SpeedEntries(), "скорость");
    }
    if (const auto text = ValueOf(parser, "parity")) {
        link.Parity = ListEntry(*text, link::ParityEntries(), "чётность");
    }
    if (const auto text = ValueOf(parser, "data-bits")) {
        link.DataBits = ListEntry(*text, link::DataBitsEntries(), "число битов данных");
    }
    if (const auto text = ValueOf(parser, "stop-bits")) {
        link.StopBits = ListEntry(*text, link::StopBitsEntries(), "число стоповых битов");
    }
    if (const auto text = ValueOf(parser, "timeout")) {
        link.ReplyTimeout = QString::number(WholeNumber(*text, 1, kLongestTimeoutMs, "таймаут"));
    }
    if (const auto text = ValueOf(parser, "attempts")) {
        link.Attempts = QString::number(WholeNumber(*text, 1, kMostAttempts, "количество попыток"));
    }
    if (const auto text = ValueOf(parser, "address")) {
        AddressList list = ParseAddressList(*text);
        if (!list.Error.isEmpty()) {
            throw UsageError(list.Error);
        }
        link.Addresses = std::move(list.Addresses);
    }
    return link;
}

bool OnOrOff(const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("on")) && parser.isSet(QStringLiteral("off"))) {
        throw UsageError(QStringLiteral("укажите либо --on, либо --off, но не оба"));
    }
    return !parser.isSet(QStringLiteral("off"));
}

// The correction as the window's field takes it, in the locale's form; a point is also taken.
QString CorrectionText(const QString& text) {
    QString localised = text.trimmed();
    bool ok = false;
    const double value = QLocale::c().toDouble(localised, &ok);
    if (ok) {
        localised = QLocale().toString(value, 'g', 15);
    }
    try {
        if (device::ClockCorrectionFrom(localised)) {
            return localised;
        }
    } catch (const std::exception&) {
    }
    throw UsageError(
        QStringLiteral("коррекция времени \"%1\" должна быть числом секунд").arg(text));
}

ClockOrder ReadClock(const QCommandLineParser& parser) {
    ClockOrder clock;
    if (const auto text = ValueOf(parser, "correction")) {
        clock.Correction = CorrectionText(*text);
    }
    if (const auto text = ValueOf(parser, "season-change")) {
        if (*text != QStringLiteral("on") && *text != QStringLiteral("off")) {
            throw UsageError(
                QStringLiteral("--season-change принимает on или off, а не \"%1\"").arg(*text));
        }
        clock.SeasonChange = *text == QStringLiteral("on");
    }
    return clock;
}

AlarmOrder ReadAlarm(const QCommandLineParser& parser, const QStringList& operands) {
    if (operands.size() != 2 ||
        (operands[1] != QStringLiteral("1") && operands[1] != QStringLiteral("2"))) {
        throw UsageError(
            QStringLiteral("команде alarm нужен номер будильника: alarm 1 или alarm 2"));
    }
    AlarmOrder alarm;
    alarm.Index = operands[1].toInt() - 1;
    const QString timeText = Required(parser, "time", "alarm");
    const QTime time = QTime::fromString(timeText.trimmed(), QStringLiteral("H:mm"));
    if (!time.isValid()) {
        throw UsageError(QStringLiteral("время будильника \"%1\" должно быть ЧЧ:ММ").arg(timeText));
    }
    alarm.Time = time.toString(QStringLiteral("hh:mm"));
    const QString days = Required(parser, "days", "alarm");
    const auto daySet = DaySets().find(days);
    if (daySet == DaySets().end()) {
        throw UsageError(
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

QString EventLine(const QCommandLineParser& parser, const char* name) {
    const QString line = ValueOf(parser, name).value_or(QString());
    if (line.size() > kEventLineLength) {
        throw UsageError(QStringLiteral("--%1 длиннее 20 символов: \"%2\"")
                             .arg(QString::fromLatin1(name), line));
    }
    return line;
}

EventOrder ReadEvent(const QCommandLineParser& parser) {
    EventOrder event;
    event.Line1 = EventLine(parser, "line1");
    event.Line2 = EventLine(parser, "line2");
    const QString dateText = Required(parser, "date", "event");
    const QDate date = device::DateFromText(dateText);
    if (!date.isValid() || dateText.trimmed().size() != 8) {
        throw UsageError(QStringLiteral("дата события \"%1\" должна быть дд.мм.гг").arg(dateText));
    }
    event.Date = device::DateText(date);
    const int hour = WholeNumber(Required(parser, "hour", "event"), 0, 23, "час события");
    event.Time = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
    event.On = OnOrOff(parser);
    return event;
}

void CheckOwnOptions(const QCommandLineParser& parser, CommandKind command,
                     const QString& commandName) {
    for (const auto& [option, owner] : CommandOptions()) {
        if (owner != command && parser.isSet(option)) {
            throw UsageError(
                QStringLiteral("параметр --%1 не относится к команде %2").arg(option, commandName));
        }
    }
    const bool onOff = parser.isSet(QStringLiteral("on")) || parser.isSet(QStringLiteral("off"));
    if (onOff && command != CommandKind::Alarm && command != CommandKind::Event) {
        throw UsageError(QStringLiteral("--on и --off относятся только к alarm и event"));
    }
}

CtlOptions ReadOptions(const QCommandLineParser& parser) {
    const QStringList operands = parser.positionalArguments();
    if (operands.isEmpty()) {
        throw UsageError(
            QStringLiteral("не указана команда (read, settings, sync-clock, scan, alarm, event)"));
    }
    const auto command = Commands().find(operands.front());
    if (command == Commands().end()) {
        throw UsageError(QStringLiteral("неизвестная команда \"%1\"").arg(operands.front()));
    }
    CtlOptions options;
    options.Command = command->second;
    CheckOwnOptions(parser, options.Command, command->first);
    if (options.Command != CommandKind::Alarm && operands.size() > 1) {
        throw UsageError(QStringLiteral("лишний аргумент \"%1\"").arg(operands[1]));
    }
    options.Link = ReadLink(parser);
    options.Json = parser.isSet(QStringLiteral("json"));
    if (options.Command == CommandKind::SyncClock) {
        options.Clock = ReadClock(parser);
    } else if (options.Command == CommandKind::Alarm) {
        options.Alarm = ReadAlarm(parser, operands);
    } else if (options.Command == CommandKind::Event) {
        options.Event = ReadEvent(parser);
    }
    return options;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addOptions(OptionList());
    parser.addPositionalArgument(QStringLiteral("команда"), QStringLiteral("что сделать, см. выше"),
                                 QStringLiteral("COMMAND"));
    ParsedCommandLine result;
    if (!parser.parse(arguments)) {
        result.Text = ParserError(parser);
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return {ParsedCommandLine::Kind::Help, {}, HelpText(parser)};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return {ParsedCommandLine::Kind::Version, {}, {}};
    }
    try {
        result.Options = ReadOptions(parser);
        result.What = ParsedCommandLine::Kind::Run;
    } catch (const UsageError& error) {
        result.Text = QString::fromStdString(error.what());
    }
    return result;
}

}  // namespace pelta::ctl
