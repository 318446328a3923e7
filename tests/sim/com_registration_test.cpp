#include "tools/sim/com_registration.h"

#include "link/serial_map.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pelta::sim {
namespace {

namespace fs = std::filesystem;

class RegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pelta-sim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        folder_ = root_ + "/pelta/serialcomm";
    }
    void TearDown() override { fs::remove_all(root_); }

    void Link(int n, const std::string& target) {
        ASSERT_TRUE(PreparePrivateFolder(folder_, &error_)) << error_;
        fs::create_symlink(target, folder_ + "/COM" + std::to_string(n));
    }

    std::string root_;
    std::string folder_;
    std::string error_;
};

TEST_F(RegistrationTest, CreatesPrivateFolderAndRemovesLinkAtEnd) {
    {
        auto reg = ComRegistration::Create(folder_, std::nullopt, "/dev/null", &error_);
        ASSERT_TRUE(reg) << error_;
        EXPECT_EQ(reg->Number(), 1);
        EXPECT_EQ(fs::read_symlink(reg->LinkPath()), "/dev/null");
        struct stat st {};
        ASSERT_EQ(stat(folder_.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700U);
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder_ + "/COM1")));
}

TEST_F(RegistrationTest, ChoosesNumber) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> existing;
        std::optional<int> asked;
        std::optional<int> expected;  // nothing: refused
    };
    const Case cases[] = {
        {"lowest free skips live and stale links", {{1, "/dev/null"}, {2, "/nonexistent"}}, {}, 3},
        {"gap is reused", {{2, "/dev/null"}}, {}, 1},
        {"named number is taken", {}, 7, 7},
        {"stale named link is replaced", {{4, "/nonexistent"}}, 4, 4},
        {"live named link is kept", {{4, "/dev/null"}}, 4, std::nullopt},
    };
    for (const Case& c : cases) {
        fs::remove_all(root_ + "/pelta");
        for (const auto& [n, target] : c.existing) {
            Link(n, target);
        }
        auto reg = ComRegistration::Create(folder_, c.asked, "/dev/zero", &error_);
        ASSERT_EQ(reg.has_value(), c.expected.has_value()) << c.name << ": " << error_;
        if (reg) {
            EXPECT_EQ(reg->Number(), *c.expected) << c.name;
            EXPECT_EQ(fs::read_symlink(reg->LinkPath()), "/dev/zero") << c.name;
        } else {
            EXPECT_NE(error_.find("live device"), std::string::npos) << error_;
            EXPECT_EQ(fs::read_symlink(folder_ + "/COM4"), "/dev/null") << c.name;
        }
    }
}

TEST_F(RegistrationTest, LeavesALinkSomeoneElseRepointed) {
    auto reg = ComRegistration::Create(folder_, 3, "/dev/zero", &error_);
    ASSERT_TRUE(reg) << error_;
    fs::remove(reg->LinkPath());
    fs::create_symlink("/dev/null", reg->LinkPath());
    reg->Remove();
    EXPECT_EQ(fs::read_symlink(folder_ + "/COM3"), "/dev/null");
}

TEST_F(RegistrationTest, RefusesFoldersThatAreNotOurOwnDirectories) {
    fs::create_directories(root_ + "/elsewhere");
    fs::create_directories(root_ + "/pelta");
    fs::create_directory_symlink(root_ + "/elsewhere", folder_);
    EXPECT_FALSE(ComRegistration::Create(folder_, std::nullopt, "/dev/zero", &error_));
    EXPECT_TRUE(fs::is_empty(root_ + "/elsewhere"));

    fs::remove(folder_);
    { std::ofstream(folder_) << "x"; }
    EXPECT_FALSE(PreparePrivateFolder(folder_, &error_));
}

TEST_F(RegistrationTest, WindowProgramFindsTheRegisteredPort) {
    auto reg = ComRegistration::Create(folder_, std::nullopt, "/dev/zero", &error_);
    ASSERT_TRUE(reg) << error_;
    const link::SerialMapRoots roots{folder_, root_ + "/no-sysfs", "/dev"};
    EXPECT_EQ(link::ResolveDeviceName("COM" + std::to_string(reg->Number()), roots),
              reg->LinkPath());
    reg->Remove();
    EXPECT_FALSE(link::ResolveDeviceName("COM1", roots));
}

}  // namespace
}  // namespace pelta::sim
