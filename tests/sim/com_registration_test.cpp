// pelta-sim as a process: a command-line mistake, and a map folder it refuses because other
// users may write the folder above it (its own private folder is used by every end-to-end run).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/run_program.h"

namespace pelta::sim {
namespace {

TEST(SimProcess, failsWithOneLineForABadOptionOrAMapFolderOthersMayWrite) {
    char scratch[] = "/tmp/pelta-registration-XXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    const std::string above = std::string(scratch) + "/pelta";
    ASSERT_EQ(::mkdir(above.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(above.c_str(), 0707), 0);
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;
    } cases[] = {
        {{"--bogus"}, 2, "pelta-sim: unknown option '--bogus' (try --help)\n"},
        {{}, 1, "pelta-sim: " + above + " is writable by other users; refusing to use it\n"},
    };
    for (const auto& c : cases) {
        const auto run = testing::RunProgram(PELTA_SIM, c.args, "", {{"XDG_RUNTIME_DIR", scratch}});
        EXPECT_EQ(run.Code, c.code) << c.err;
        EXPECT_EQ(run.Err, c.err);
    }
    std::filesystem::remove_all(scratch);
}

}  // namespace
}  // namespace pelta::sim
