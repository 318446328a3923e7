#pragma once
// The values of pelta-ctl's options, read from the parsed command line and checked: link values
// against the window's lists, addresses, and each command's own orders. A value that does not
// fit throws CommandLineError with one line that says why.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <stdexcept>

#include "tools/ctl/command_line.h"

namespace pelta::ctl {

struct CommandLineError : std::runtime_error {
    explicit CommandLineError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

LinkOverrides ReadLink(const QCommandLineParser& parser);
ClockOrder ReadClock(const QCommandLineParser& parser);
// `operands` are the positional arguments: "alarm" and the alarm's number.
AlarmOrder ReadAlarm(const QCommandLineParser& parser, const QStringList& operands);
EventOrder ReadEvent(const QCommandLineParser& parser);

}  // namespace pelta::ctl
