// The simulator registers its port only in a map folder of its own, by the same check the
// window reads the folder with.

#include "tools/sim/com_registration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace pelta::sim {
namespace {

TEST(ComRegistration, RegistersOnlyInAFolderNobodyElseCanWrite) {
    char scratch[] = "/tmp/pelta-registration-XXXXXX";
    ASSERT_NE(::mkdtemp(scratch), nullptr);
    const std::string above = std::string(scratch) + "/pelta";
    const std::string folder = above + "/serialcomm";
    const struct {
        const char* Why;
        mode_t AboveMode;
        bool Registers;
    } cases[] = {
        {"private", 0700, true},
        {"others may write the folder above", 0707, false},
    };
    for (const auto& c : cases) {
        ::mkdir(above.c_str(), 0700);
        ASSERT_EQ(::chmod(above.c_str(), c.AboveMode), 0);
        std::string error;
        auto registration = ComRegistration::Create(folder, 4, "/dev/null", &error);
        EXPECT_EQ(registration.has_value(), c.Registers) << c.Why;
        if (!c.Registers) {
            EXPECT_EQ(error, above + " is writable by other users; refusing to use it") << c.Why;
        }
    }
    std::filesystem::remove_all(scratch);
}

}  // namespace
}  // namespace pelta::sim
