#include "tools/sim/sim_options.h"

#include <gtest/gtest.h>

namespace pelta::sim {
namespace {

ParsedOptions Parse(std::vector<std::string_view> args) {
    return ParseOptions(args);
}

TEST(SimOptions, Defaults) {
    const ParsedOptions p = Parse({});
    ASSERT_TRUE(p.options);
    EXPECT_FALSE(p.options->com);
    EXPECT_EQ(p.options->address, 1);
    EXPECT_FALSE(p.options->faults.silent);
    EXPECT_FALSE(p.options->faults.hangupAfter);
}

TEST(SimOptions, AcceptsEveryOption) {
    const ParsedOptions p =
        Parse({"--com", "7", "--address=200", "--silent", "--bad-crc", "--short", "--late", "300",
               "--hangup-after", "2", "--indoor", "-10", "--outdoor=25.5", "--humidity", "80",
               "--pressure", "760.25", "--gap", "20"});
    ASSERT_TRUE(p.options) << p.error;
    const SimOptions& o = *p.options;
    EXPECT_EQ(o.com, 7);
    EXPECT_EQ(o.address, 200);
    EXPECT_TRUE(o.faults.silent && o.faults.badCrc && o.faults.shortReply);
    EXPECT_EQ(o.faults.late.count(), 300);
    EXPECT_EQ(o.faults.hangupAfter, 2U);
    EXPECT_EQ(o.climate.indoorCelsius, -10.0);
    EXPECT_EQ(o.climate.outdoorCelsius, 25.5);
    EXPECT_EQ(o.climate.humidityPercent, 80);
    EXPECT_EQ(o.climate.pressureMm, 760.25);
    EXPECT_EQ(o.gap.count(), 20);
}

TEST(SimOptions, RejectsBadInputWithOneLine) {
    const std::vector<std::vector<std::string_view>> cases = {
        {"--bogus"},           {"--com"},           {"--com", "0"},          {"--com", "x"},
        {"--address", "256"},  {"--address", "-1"}, {"--late", "1e3"},       {"--indoor", "-10.1"},
        {"--humidity", "101"}, {"--silent=1"},      {"--hangup-after", "0"}, {"--pressure", "nan"},
        {"--com", "3junk"},    {"stray"},
    };
    for (const auto& args : cases) {
        const ParsedOptions p = Parse(args);
        EXPECT_FALSE(p.options) << args[0];
        EXPECT_NE(p.error.find("pelta-sim: "), std::string::npos) << args[0];
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << args[0];
    }
}

}  // namespace
}  // namespace pelta::sim
