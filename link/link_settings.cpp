#include "link/link_settings.h"

#include <array>
#include <string>

#include "link/link_error.h"

namespace pelta::link {
namespace {

struct ParityChoice {
    const char* Entry;
    std::uint8_t Code;
    const char* Letter;
};

// Each entry means what it says; the list keeps its long-standing order.
constexpr std::array<ParityChoice, 5> ParityChoices{{
    {"Even", ParityCode::Even, "e"},
    {"Odd", ParityCode::Odd, "o"},
    {"None", ParityCode::None, "n"},
    {"Mark", ParityCode::Mark, "m"},
    {"Space", ParityCode::Space, "s"},
}};

constexpr std::array<const char*, 8> Speeds{"300",  "600",  "1200",  "2400",
                                            "4800", "9600", "14400", "19200"};
constexpr std::array<const char*, 5> DataBits{"4", "5", "6", "7", "8"};
constexpr std::array<const char*, 3> StopBits{"1", "1.5", "2"};
constexpr std::array<const char*, 4> HandShakes{"None", "XOn/XOff", "RTS/CTS", "Both"};

const QString ComPortInitModule = QString::fromUtf8("Дривел1.Form2.ComPortInit");
const QString SetPortModule = QString::fromUtf8("Дривел1.Form1.SetPort");

template <std::size_t N>
QStringList ToList(const std::array<const char*, N>& entries) {
    QStringList list;
    for (const char* entry : entries) {
        list.append(QString::fromLatin1(entry));
    }
    return list;
}

// A stored position outside its list cannot be turned into a line value.
template <typename T, std::size_t N>
const T& At(const std::array<T, N>& entries, std::int16_t position, const char* listName) {
    if (position < 0 || static_cast<std::size_t>(position) >= N) {
        throw LinkError(std::string("Позиция ") + std::to_string(position) + " вне списка " +
                        listName);
    }
    return entries[static_cast<std::size_t>(position)];
}

QString PortOutsideList(std::int16_t portNumber) {
    return QString::fromUtf8("Номер порта %1 вне списка").arg(portNumber);
}

LinkSettings FromChoices(std::int16_t portNumber, const LinkChoices& choices) {
    LinkSettings entry;
    static_cast<LineValues&>(entry) = choices;
    entry.PortNumber = portNumber;
    entry.PortCaption = choices.PortText;
    return entry;
}

// Why the address, the time-out or the attempts are refused; empty when all three hold.
QString RangeRefusal(const LinkChoices& choices) {
    const struct {
        const QString& Text;
        WholeRange Range;
        const char* Rule;
    } fields[] = {
        {choices.AddressText, ControllerAddresses,
         "Адрес контроллера должен быть целым числом от %1 до %2"},
        {choices.ReplyTimeoutText, ReplyTimeoutsMs,
         "Таймаут ожидания ответа должен быть целым числом миллисекунд от %1 до %2"},
        {choices.AttemptsText, AttemptCounts,
         "Количество попыток должно быть целым числом от %1 до %2"},
    };
    for (const auto& field : fields) {
        if (!WholeNumberIn(field.Text, field.Range)) {
            return QString::fromUtf8(field.Rule).arg(field.Range.Lowest).arg(field.Range.Highest);
        }
    }
    return {};
}

}  // namespace

std::optional<int> WholeNumberIn(const QString& text, WholeRange range) {
    return WholeNumberIn(std::string_view(text.toStdString()), range);
}

QStringList SpeedEntries() {
    return ToList(Speeds);
}
QStringList DataBitsEntries() {
    return ToList(DataBits);
}
QStringList StopBitsEntries() {
    return ToList(StopBits);
}
QStringList HandShakeEntries() {
    return ToList(HandShakes);
}

QStringList ParityEntries() {
    QStringList list;
    for (const auto& choice : ParityChoices) {
        list.append(QString::fromLatin1(choice.Entry));
    }
    return list;
}

LinkSettingsModel::LinkSettingsModel(SerialChannel& channel, ErrorLogSink& errorLog,
                                     MessageSink& messages)
    : channel_(channel), errorLog_(errorLog), messages_(messages) {}

PropertyLists LinkSettingsModel::LoadPropertySettings() {
    PropertyLists lists;
    lists.DataBits = DataBitsEntries();
    lists.Parity = ParityEntries();
    lists.StopBits = StopBitsEntries();
    return lists;
}

bool LinkSettingsModel::Apply(const LinkChoices& choices) {
    if (choices.PortNumber < 1) {
        messages_.ShowMessage(QString::fromUtf8("Не выбран порт!"), MessageIcon::Exclamation);
        return false;
    }
    if (const QString refusal = RangeRefusal(choices); !refusal.isEmpty()) {
        messages_.ShowMessage(refusal, MessageIcon::Exclamation);
        return false;
    }
    ControllerAddress = *WholeNumberIn(choices.AddressText, ControllerAddresses);
    Attempts = *WholeNumberIn(choices.AttemptsText, AttemptCounts);
    PortTable[choices.PortNumber] = FromChoices(choices.PortNumber, choices);
    return true;
}

void LinkSettingsModel::SetPort(std::int16_t portNumber, const LinkChoices& choices) {
    if (portNumber < 1) {
        LogError(SetPortModule, PortOutsideList(portNumber));
        return;
    }
    PortTable[portNumber] = FromChoices(portNumber, choices);
}

LinkSettings LinkSettingsModel::EntryFor(std::int16_t portNumber) const {
    const auto found = PortTable.find(portNumber);
    if (found != PortTable.end()) {
        return found->second;
    }
    LinkSettings defaults;
    defaults.PortNumber = portNumber;
    return defaults;
}

QString LinkSettingsModel::ComPortInit(std::int16_t portNumber) {
    try {
        return ConfigureFromEntry(portNumber);
    } catch (const std::exception& error) {
        LogError(ComPortInitModule, QString::fromUtf8(error.what()));
        return {};
    }
}

QString LinkSettingsModel::ConfigureFromEntry(std::int16_t portNumber) {
    if (portNumber < 1) {
        throw LinkError(PortOutsideList(portNumber).toStdString());
    }
    const LinkSettings entry = EntryFor(portNumber);
    const std::string dataBits = At(DataBits, entry.DataBits, "битов данных");
    const ParityChoice& parity = At(ParityChoices, entry.Parity, "чётности");
    const std::string stopBits = At(StopBits, entry.StopBits, "стоповых битов");
    const std::string speed = At(Speeds, entry.Speed, "скоростей");
    channel_.ConfigurePort(std::stoi(speed), parity.Code,
                           static_cast<std::uint8_t>(std::stoi(dataBits)),
                           static_cast<std::uint8_t>(entry.StopBits));
    return QString::fromStdString(speed + "," + parity.Letter + "," + dataBits + "," + stopBits);
}

void LinkSettingsModel::LogError(const QString& module, const QString& description) {
    errorLog_.WriteErrorLog(QString::fromUtf8("Ошибка: ") + module + QStringLiteral(" =  ") +
                            description + QStringLiteral(": "));
    errorLog_.ReportDetail(
        1, QString::fromUtf8("Ошибка данных"), QString(),
        QStringLiteral("err.Description=") + description + QStringLiteral(" module = ") + module);
}

LineValues ResolveLineValues(const LineOverrides& given,
                             const std::optional<LineValues>& remembered) {
    LineValues values = remembered.value_or(LineValues{});
    values.DataBits = given.DataBits.value_or(values.DataBits);
    values.Parity = given.Parity.value_or(values.Parity);
    values.Speed = given.Speed.value_or(values.Speed);
    values.StopBits = given.StopBits.value_or(values.StopBits);
    return values;
}

}  // namespace pelta::link
