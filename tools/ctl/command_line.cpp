#include "tools/ctl/command_line.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <algorithm>
#include <map>

#include "tools/ctl/command_orders.h"

namespace pelta::ctl {
namespace {

const std::map<QString, CommandKind>& Commands() {
    static const std::map<QString, CommandKind> kCommands{
        {QStringLiteral("read"), CommandKind::Read},
        {QStringLiteral("settings"), CommandKind::Settings},
        {QStringLiteral("sync-clock"), CommandKind::SyncClock},
        {QStringLiteral("scan"), CommandKind::Scan},
        {QStringLiteral("alarm"), CommandKind::Alarm},
        {QStringLiteral("event"), CommandKind::Event},
        {QStringLiteral("watch"), CommandKind::Read},
        {QStringLiteral("listen"), CommandKind::Read},
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

QList<QCommandLineOption> OptionList() {
    auto value = [](const char* name, const char* description, const char* valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                                  QString::fromUtf8(valueName));
    };
    auto flag = [](const QStringList& names, const char* description) {
        return QCommandLineOption(names, QString::fromUtf8(description));
    };
    return {
        value("port",
              "порт, как в списке окна: \"COM 7\", COM7 или 7; или сетевой: tcp://ХОСТ:ПОРТ, "
              "rfc2217://ХОСТ:ПОРТ",
              "COM n|URL"),
        value("device", "устройство последовательного порта (путь), открывается напрямую", "PATH"),
        value("address", "адреса контроллеров: 1,3,5-9 (для scan по умолчанию 0-255)", "LIST"),
        value("speed", "скорость, бит/с: 300 ... 19200", "N"),
        value("parity", "чётность: None, Odd, Even, Mark, Space", "P"),
        value("data-bits", "битов данных: 4 ... 8", "N"),
        value("stop-bits", "стоповых битов: 1, 1.5, 2", "S"),
        value("timeout", "таймаут ожидания ответа, мс", "MS"),
        value("attempts", "количество попыток, 1 ... 10", "N"),
        flag({QStringLiteral("json")}, "вывод в JSON: один объект на адрес в строке"),
        value("correction",
              "sync-clock: коррекция времени, целые секунды от -30 до 30 (по умолчанию -1); "
              "контроллер получает байт 40-V при V >= 0 и -V при V < 0",
              "V"),
        value("season-change", "sync-clock: смена сезонов on|off (по умолчанию off)", "on|off"),
        value("time", "alarm: время будильника ЧЧ:ММ", "HH:MM"),
        value("days", "alarm: дни weekdays|weekends|all", "DAYS"),
        value("line1",
              "event: 1-я строка, до 20 символов: латиница, цифры, знаки ASCII, пробел, русские "
              "буквы",
              "TEXT"),
        value("line2", "event: 2-я строка, как --line1", "TEXT"),
        value("date", "event: дата запуска дд.мм.гг", "dd.mm.yy"),
        value("hour", "event: час запуска 0 ... 23", "H"),
        value("com", "ports add: номер COM для сетевого порта (по умолчанию наименьший свободный)",
              "N"),
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
    "  settings    будильники, расписания экрана и ночника, лунный календарь (экран, ночник и\n"
    "              лунный календарь только читаются: записывающей их команды у контроллера нет)\n"
    "  sync-clock  установить часы по компьютеру; уход часов до и после\n"
    "  scan        какие контроллеры на линии (советуем короткий таймаут: --timeout 100)\n"
    "  alarm 1|2   записать будильник: --time ЧЧ:ММ --days weekdays|weekends|all [--on|--off]\n"
    "  event       записать событие: --line1 ТЕКСТ --line2 ТЕКСТ --date дд.мм.гг --hour Ч\n"
    "              [--on|--off]\n"
    "  watch       опрашивать адреса каждые --interval секунд, до SIGINT/SIGTERM: метрики\n"
    "              Prometheus (--prom), CSV (--csv), MQTT (--mqtt), установка часов\n"
    "              (--sync-clock-above)\n"
    "  listen      слушать линию, которую ведёт другой мастер (ничего не передаёт), до Ctrl-C\n"
    "  ports       порты, как их показывает окно: номер COM, устройство или URL, идентификатор;\n"
    "              ports add URL [--com N] даёт сетевому порту номер COM, ports remove N\n"
    "              его снимает (номера хранятся в ports.conf)\n"
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

void CheckOwnOptions(const QCommandLineParser& parser, CommandKind command,
                     const QString& commandName) {
    for (const auto& [option, owner] : CommandOptions()) {
        if (owner != command && parser.isSet(option)) {
            throw CommandLineError(
                QStringLiteral("параметр --%1 не относится к команде %2").arg(option, commandName));
        }
    }
    if (parser.isSet(QStringLiteral("com"))) {
        throw CommandLineError(
            QStringLiteral("параметр --com не относится к команде %1").arg(commandName));
    }
    const bool onOff = parser.isSet(QStringLiteral("on")) || parser.isSet(QStringLiteral("off"));
    if (onOff && command != CommandKind::Alarm && command != CommandKind::Event) {
        throw CommandLineError(QStringLiteral("--on и --off относятся только к alarm и event"));
    }
}

CtlOptions ReadOptions(const QCommandLineParser& parser) {
    const QStringList operands = parser.positionalArguments();
    if (operands.isEmpty()) {
        throw CommandLineError(QStringLiteral(
            "не указана команда (read, settings, sync-clock, scan, alarm, event, watch, "
            "listen, ports)"));
    }
    if (operands.front() == QStringLiteral("ports")) {
        for (const auto& owned : CommandOptions()) {
            if (parser.isSet(owned.first)) {
                throw CommandLineError(
                    QStringLiteral("параметр --%1 не относится к команде ports").arg(owned.first));
            }
        }
        CtlOptions options;
        options.Ports = ReadPortsOrder(parser, operands);
        return options;
    }
    const auto command = Commands().find(operands.front());
    if (command == Commands().end()) {
        throw CommandLineError(QStringLiteral("неизвестная команда \"%1\"").arg(operands.front()));
    }
    CtlOptions options;
    options.Command = command->second;
    if (command->first == QStringLiteral("watch")) {
        options.Long = LongRun::Watch;
    } else if (command->first == QStringLiteral("listen")) {
        options.Long = LongRun::Listen;
    }
    CheckOwnOptions(parser, options.Command, command->first);
    const QStringList watchNames = WatchOptionNames();
    const bool watchOption = std::any_of(watchNames.cbegin(), watchNames.cend(),
                                         [&](const QString& name) { return parser.isSet(name); });
    if (watchOption && options.Long != LongRun::Watch) {
        throw CommandLineError(
            QStringLiteral("параметры --interval, --prom, --csv, --mqtt, "
                           "--sync-clock-above относятся только к watch"));
    }
    if (options.Command != CommandKind::Alarm && operands.size() > 1) {
        throw CommandLineError(QStringLiteral("лишний аргумент \"%1\"").arg(operands[1]));
    }
    options.Link = ReadLink(parser);
    options.Json = parser.isSet(QStringLiteral("json"));
    if (options.Command == CommandKind::SyncClock) {
        options.Clock = ReadClock(parser);
    } else if (options.Command == CommandKind::Alarm) {
        options.Alarm = ReadAlarm(parser, operands);
    } else if (options.Command == CommandKind::Event) {
        options.Event = ReadEvent(parser);
    } else if (options.Long == LongRun::Watch) {
        options.Watch = ReadWatch(parser);
    }
    return options;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addOptions(OptionList());
    parser.addOptions(WatchOptionList());
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
    } catch (const CommandLineError& error) {
        result.Text = QString::fromStdString(error.what());
    }
    return result;
}

}  // namespace pelta::ctl
