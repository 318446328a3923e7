#pragma once
// Command line of pelta-sim.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/sim/controller_model.h"
#include "tools/sim/faults.h"

namespace pelta::sim {

struct SimOptions {
    std::optional<int> com;  // COM number to register; lowest free one when absent
    std::uint8_t address = 1;
    Faults faults;
    ClimateValues climate;
    std::chrono::milliseconds gap{50};  // quiet time that ends an incomplete burst
    bool help = false;
};

struct ParsedOptions {
    std::optional<SimOptions> options;  // absent on error
    std::string error;                  // one line, for standard error
};

// Parses the arguments after the program name; accepts "--name value" and "--name=value".
ParsedOptions ParseOptions(std::span<const std::string_view> args);

std::string UsageText();

}  // namespace pelta::sim
