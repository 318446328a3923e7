#pragma once
// One run of pelta-ctl: the port and line values chosen, then the command at each address in
// turn on that one port. Returns the exit code: 0 every address answered with good replies,
// 1 any did not (the others are still done), 2 no port was named at all.

#include "tools/ctl/command_line.h"

namespace pelta::ctl {

inline constexpr int kExitAllGood = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

int RunSession(const CtlOptions& options);

// One line on standard error, "pelta-ctl: <text>".
void PrintError(const QString& text);

}  // namespace pelta::ctl
