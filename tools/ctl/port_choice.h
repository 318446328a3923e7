#pragma once
// Which port pelta-ctl opens: a COM number from --port or from the window's remembered choice,
// looked up in the user's serial-device map; or a device path from --device or a network port's
// URL from --port, offered as the only port and opened by that path or URL.

#include <QString>
#include <optional>
#include <string>

#include "link/remembered_settings.h"
#include "link/serial_map.h"
#include "tools/ctl/command_line.h"

namespace pelta::ctl {

struct PortChoice {
    link::SerialMapRoots Roots;  // nothing is read for a --device
    int PortNumber = 0;
    std::string DevicePath;  // --device, as an absolute path; --port URL, as given
    std::optional<link::LineValues> Remembered;  // the line values last applied to it
    QString Error;                               // one line when no port can be chosen
    bool NoPortNamed = false;                    // nothing named a port at all
};

PortChoice ChoosePort(const LinkOverrides& given, const link::RememberedSettings& remembered);

// Why the port list has no such COM number: where the links were looked for, and, without
// XDG_RUNTIME_DIR (cron), that a desktop session's links are not seen from here.
QString PortNotFoundText(int portNumber);

}  // namespace pelta::ctl
