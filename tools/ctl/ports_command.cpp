#include "tools/ctl/ports_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "link/line_rules.h"
#include "link/port_discovery.h"
#include "link/port_url.h"
#include "link/remembered_ports.h"
#include "tools/ctl/address_list.h"
#include "tools/ctl/command_orders.h"
#include "tools/ctl/session.h"

namespace pelta::ctl {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// As the window's list shows them: by number text, 1, 10, 2.
QString PortList(std::vector<link::SerialMapEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return std::to_string(a.Number) < std::to_string(b.Number);
    });
    QString text;
    for (const auto& entry : entries) {
        text += QStringLiteral("COM %1\t%2\t%3\n")
                    .arg(entry.Number)
                    .arg(Text(entry.DevicePath),
                         entry.Identity.empty() ? QStringLiteral("-") : Text(entry.Identity));
    }
    return text;
}

std::optional<int> LowestFree(const std::set<int>& held) {
    for (int number = link::ComNumbers.Lowest; number <= link::ComNumbers.Highest; ++number) {
        if (held.count(number) == 0) {
            return number;
        }
    }
    return std::nullopt;
}

// Every number the list shows or ports.conf keeps, with who holds it.
std::map<int, std::string> HeldNumbers(const link::SerialMap& map) {
    std::map<int, std::string> held;
    for (const auto& [identity, number] : map.Remembered) {
        held.emplace(number, identity);
    }
    for (const auto& entry : map.Entries) {
        held.emplace(entry.Number, entry.DevicePath);
    }
    return held;
}

PortsOutcome Add(const PortsOrder& order, link::RememberedPorts& ports,
                 const link::SerialMap& map) {
    const std::string url = order.Url.toStdString();
    if (const auto known = ports.find(url); known != ports.end()) {
        return {{}, QStringLiteral("%1 уже порт COM %2").arg(order.Url).arg(known->second)};
    }
    const auto held = HeldNumbers(map);
    std::set<int> numbers;
    for (const auto& entry : held) {
        numbers.insert(entry.first);
    }
    const std::optional<int> number = order.Number ? order.Number : LowestFree(numbers);
    if (!number) {
        return {{}, QStringLiteral("свободных номеров COM не осталось")};
    }
    if (const auto holder = held.find(*number); holder != held.end()) {
        return {
            {},
            QStringLiteral("номер COM %1 уже занят: %2").arg(*number).arg(Text(holder->second))};
    }
    ports.emplace(url, *number);
    return {QStringLiteral("COM %1\t%2\n").arg(*number).arg(order.Url), {}};
}

PortsOutcome Remove(const PortsOrder& order, link::RememberedPorts& ports) {
    const auto found = std::find_if(ports.begin(), ports.end(), [&](const auto& entry) {
        return entry.second == *order.Number && link::IsNetworkPortName(entry.first);
    });
    if (found == ports.end()) {
        return {{}, QStringLiteral("COM %1 не сетевой порт из ports.conf").arg(*order.Number)};
    }
    PortsOutcome outcome{
        QStringLiteral("COM %1\t%2 удалён\n").arg(*order.Number).arg(Text(found->first)), {}};
    ports.erase(found);
    return outcome;
}

int PortNumberOf(const QString& text) {
    const std::optional<int> number = ParsePortNumber(text);
    if (!number) {
        throw CommandLineError(
            QStringLiteral("номер порта \"%1\" не похож на \"COM 7\", COM7 или 7").arg(text));
    }
    return *number;
}

}  // namespace

QString CheckedPortUrl(const QString& text) {
    if (!link::ParsePortUrl(text.toStdString())) {
        throw CommandLineError(
            QStringLiteral("\"%1\" не похож на tcp://ХОСТ:ПОРТ или rfc2217://ХОСТ:ПОРТ").arg(text));
    }
    return text;
}

PortsOrder ReadPortsOrder(const QCommandLineParser& parser, const QStringList& operands) {
    const QString action = operands.value(1);
    const bool comGiven = parser.isSet(QStringLiteral("com"));
    PortsOrder order;
    if (operands.size() == 1 && !comGiven) {
        return order;
    }
    if (action == QStringLiteral("add") && operands.size() == 3) {
        order.What = PortsOrder::Action::Add;
        order.Url = CheckedPortUrl(operands[2]);
        if (comGiven) {
            order.Number = PortNumberOf(parser.value(QStringLiteral("com")));
        }
        return order;
    }
    if (action == QStringLiteral("remove") && operands.size() == 3 && !comGiven) {
        order.What = PortsOrder::Action::Remove;
        order.Number = PortNumberOf(operands[2]);
        return order;
    }
    throw CommandLineError(
        QStringLiteral("ports ждёт: ports, ports add URL [--com N] или ports remove N"));
}

PortsOutcome RunPortsOrder(const PortsOrder& order, const link::SerialMapRoots& roots) {
    link::SerialMap map = link::ReadSerialMap(roots);
    if (order.What == PortsOrder::Action::List) {
        return {PortList(map.Entries), {}};
    }
    if (roots.PortsFile.empty()) {
        return {{}, QStringLiteral("нет домашней папки: ports.conf негде хранить")};
    }
    std::error_code error;
    if (std::filesystem::exists(roots.PortsFile, error) &&
        !link::ReadRememberedPorts(roots.PortsFile).Sound) {
        return {{},
                QStringLiteral("%1 не читается или испорчен; исправьте или удалите его")
                    .arg(Text(roots.PortsFile))};
    }
    link::RememberedPorts ports = map.Remembered;
    PortsOutcome outcome =
        order.What == PortsOrder::Action::Add ? Add(order, ports, map) : Remove(order, ports);
    // Only a file that reads back as written is kept: one odd URL must not spoil every number.
    if (outcome.Error.isEmpty() &&
        link::ParseRememberedPorts(link::FormatRememberedPorts(ports)) != ports) {
        outcome = {{}, QStringLiteral("\"%1\" нельзя записать в ports.conf").arg(order.Url)};
    }
    if (outcome.Error.isEmpty()) {
        const QString failure = link::SaveRememberedPorts(roots.PortsFile, ports);
        if (!failure.isEmpty()) {
            outcome = {{}, QStringLiteral("не удалось сохранить ") + failure};
        }
    }
    return outcome;
}

int RunPortsCommand(const PortsOrder& order) {
    const PortsOutcome outcome = RunPortsOrder(order, link::DefaultSerialMapRoots());
    if (!outcome.Error.isEmpty()) {
        PrintError(outcome.Error);
        return kExitSomeFailed;
    }
    std::fputs(outcome.Output.toUtf8().constData(), stdout);
    return kExitAllGood;
}

}  // namespace pelta::ctl
