#pragma once
// `pelta-ctl ports`: the ports the window lists (COM number, device or URL, identity), and COM
// numbers for network ports, kept in ports.conf beside the real devices' numbers:
// `ports add URL [--com N]` (the lowest free number by default), `ports remove N`.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

#include "link/serial_map.h"

namespace pelta::ctl {

struct PortsOrder {
    enum class Action { List, Add, Remove } What = Action::List;
    QString Url;                // add
    std::optional<int> Number;  // add --com N; remove N
};

// The network port name given, when it is one (port_url.h); throws CommandLineError otherwise.
QString CheckedPortUrl(const QString& text);

// `operands` are the positional arguments: "ports" and what follows. Throws CommandLineError.
PortsOrder ReadPortsOrder(const QCommandLineParser& parser, const QStringList& operands);

struct PortsOutcome {
    QString Output;  // for standard output: the list, or the port added or removed
    QString Error;   // one line when nothing was done
};

// The map and ports.conf read from roots; ports.conf is written only when the order changes it.
PortsOutcome RunPortsOrder(const PortsOrder& order, const link::SerialMapRoots& roots);

// Runs the order on the user's ports and returns pelta-ctl's exit code.
int RunPortsCommand(const PortsOrder& order);

}  // namespace pelta::ctl
