#pragma once
// Which port pelta-ctl opens: a COM number from --port or from the window's remembered choice,
// looked up in the user's serial-device map; or a device path from --device, offered through a
// private one-entry map so that the core opens it exactly as it opens a COM port.

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "link/remembered_settings.h"
#include "link/serial_map.h"
#include "tools/ctl/command_line.h"

namespace pelta::ctl {

struct PortChoice {
    link::SerialMapRoots Roots;
    int PortNumber = 0;
    std::optional<link::RememberedPort> Remembered;  // the line values last applied to it
    std::unique_ptr<QTemporaryDir> PrivateMap;       // holds the --device entry while in use
    QString Error;                                   // one line when no port can be chosen
    bool UsageError = false;                         // nothing named a port at all
};

PortChoice ChoosePort(const LinkOverrides& given, const link::RememberedSettings& remembered);

}  // namespace pelta::ctl
