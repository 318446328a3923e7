#pragma once
// The four commands of pelta-des. Each returns the process exit code and reports a failure as
// one line on `err`.

#include <cstdio>

#include "tools/des/command_line.h"

namespace pelta::des_tool {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int RunCommand(const Arguments& args, std::FILE* out, std::FILE* err);

}  // namespace pelta::des_tool
