// pelta-des: enciphers and deciphers files and texts with clsDES from the command line.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/des/command_line.h"
#include "tools/des/commands.h"
#include "tools/des/interruption.h"

int main(int argc, char** argv) {
    using namespace pelta::des_tool;
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto parsed = ParseArguments(args, error);
    if (!parsed) {
        std::fprintf(stderr, "pelta-des: %s (see pelta-des --help)\n", error.c_str());
        return kExitUsage;
    }
    RemoveTemporaryFileOnEndingSignals();
    try {
        return RunCommand(*parsed, stdout, stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pelta-des: %s\n", e.what());
        return kExitFailure;
    }
}
