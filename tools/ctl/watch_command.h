#pragma once
// `pelta-ctl watch`: every address read once per interval, round after round, into the
// Prometheus file, the CSV log, MQTT and --json lines, until SIGINT or SIGTERM.

#include <vector>

#include "link/link_settings.h"
#include "tools/ctl/command_line.h"
#include "tools/ctl/ctl_core.h"

namespace pelta::ctl {

// Returns 0 when stopped by a signal, 2 when an output cannot be set up (a bad --mqtt).
int RunWatch(const CtlOptions& options, CtlCore& core, const link::LinkChoices& choices,
             const std::vector<int>& addresses);

}  // namespace pelta::ctl
