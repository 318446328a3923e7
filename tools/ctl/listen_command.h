#pragma once
// `pelta-ctl listen`: a passive monitor of a line that another master drives. The port is opened
// and set to the line values, then only read: nothing is written and no modem line is touched
// beyond what opening does. Each frame is printed with the time it ended, request or reply, its
// CRC verdict and, for a state reply, the values in it; --json gives one object a line.
// SIGINT or SIGTERM ends it with exit 0.

#include "link/link_settings.h"
#include "tools/ctl/command_line.h"
#include "tools/ctl/ctl_core.h"
#include "tools/ctl/watch/frame_splitter.h"

namespace pelta::ctl {

int RunListen(const CtlOptions& options, CtlCore& core, const link::LinkChoices& choices);

// One frame as listen prints it, without a line end; `values` is the decoded state reply or
// nothing.
QByteArray ListenLine(const QDateTime& at, const watch::SplitFrame& frame,
                      const std::optional<device::Readings>& values, bool json);

}  // namespace pelta::ctl
