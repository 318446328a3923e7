#pragma once
// pelta-ctl's command line, parsed with QCommandLineParser into what the run needs. Every
// check that can be made before the port is touched is made here, so a usage error never
// leaves half the addresses done.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "link/link_settings.h"
#include "tools/ctl/ports_command.h"
#include "tools/ctl/watch_options.h"

namespace pelta::ctl {

enum class CommandKind { Read, Settings, SyncClock, Scan, Alarm, Event };
// The long-running commands: watch reads (Command is Read) round after round; listen only
// listens.
enum class LongRun { None, Watch, Listen };

// Link values given on the command line; what is missing comes from the remembered settings.
struct LinkOverrides {
    std::optional<int> PortNumber;        // --port
    QString PortUrl;                      // --port tcp://... or rfc2217://..., opened directly
    QString DevicePath;                   // --device
    link::LineOverrides Line;             // list positions, already checked against the lists
    std::optional<QString> ReplyTimeout;  // milliseconds
    std::optional<QString> Attempts;
    std::optional<std::vector<int>> Addresses;
};

struct ClockOrder {
    QString Correction = QStringLiteral("-1");  // the window's start-up value, in its locale
    bool SeasonChange = false;
};

struct AlarmOrder {
    int Index = 0;           // 0 for alarm 1, 1 for alarm 2
    QString Time;            // "hh:mm"
    int DaySetPosition = 0;  // position in the day-set list
    bool On = true;
};

struct EventOrder {
    QString Line1;
    QString Line2;
    QString Date;  // "dd.mm.yy"
    QString Time;  // "hh:00"
    bool On = true;
};

struct CtlOptions {
    CommandKind Command = CommandKind::Read;
    LinkOverrides Link;
    bool Json = false;
    ClockOrder Clock;
    AlarmOrder Alarm;
    EventOrder Event;
    LongRun Long = LongRun::None;
    WatchOrder Watch;
    std::optional<PortsOrder> Ports;  // the ports command, which needs no port and no address
};

struct ParsedCommandLine {
    enum class Kind { Run, Help, Version, UsageError } What = Kind::UsageError;
    CtlOptions Options;
    QString Text;  // the help text, or the one line that says what is wrong
};

ParsedCommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace pelta::ctl
