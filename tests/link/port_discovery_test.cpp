// Which ports are offered: links in a scratch map folder plus a scratch sysfs-like tree.

#include "link/port_discovery.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdlib>

#include "link_test_support.h"

namespace pelta::link {
namespace {

using testing::PathIn;

class PortDiscoveryTest : public ::testing::Test {
  protected:
    QTemporaryDir map;
    QTemporaryDir sysfs;

    void SetUp() override { ASSERT_TRUE(map.isValid() && sysfs.isValid()); }

    void Link(const char* name, const char* target = "/dev/null") {
        ASSERT_EQ(::symlink(target, PathIn(map, name).c_str()), 0) << name;
    }
    void KernelDevice(const char* name, const char* uartType = nullptr) {
        ASSERT_TRUE(QDir(sysfs.path()).mkdir(QString::fromUtf8(name)));
        if (uartType != nullptr) {
            QFile type(sysfs.filePath(QString::fromUtf8(name) + QStringLiteral("/type")));
            ASSERT_TRUE(type.open(QIODevice::WriteOnly));
            type.write(QByteArray(uartType) + "\n");
        }
    }
    SerialMapRoots Roots() const {
        return {map.path().toStdString(), sysfs.path().toStdString(), "/dev"};
    }
    QStringList Discover() const {
        PortDiscovery discovery(Roots());
        discovery.ListSerialPorts();
        return discovery.PortNumbers;
    }
};

TEST_F(PortDiscoveryTest, shouldSortPortNumbersAsText) {
    for (const char* name : {"COM3", "COM1", "COM12", "COM10", "COM2", "COM11"}) {
        Link(name);
    }
    PortDiscovery discovery(Roots());
    discovery.ListSerialPorts();
    EXPECT_EQ(discovery.PortNumbers, QStringList({"1", "10", "11", "12", "2", "3"}));
    EXPECT_EQ(discovery.PortListEntries(),
              QStringList({"COM 1", "COM 10", "COM 11", "COM 12", "COM 2", "COM 3"}));
}

TEST_F(PortDiscoveryTest, shouldOfferASinglePortAtPositionZero) {
    Link("COM5");
    PortDiscovery discovery(Roots());
    discovery.ListSerialPorts();
    EXPECT_EQ(discovery.PortListEntries(), QStringList({"COM 5"}));
}

TEST_F(PortDiscoveryTest, shouldKeepEveryDigitOfAPortNumber) {
    Link("COM123");
    Link("COM4");
    EXPECT_EQ(Discover(), QStringList({"123", "4"}));
}

TEST_F(PortDiscoveryTest, shouldIgnoreEntriesThatAreNotPortsOfACharacterDevice) {
    Link("COM1", "/nonexistent/ttyUSB9");  // device gone
    Link("COM0");
    Link("COM07");
    Link("COM");
    Link("com6");
    Link("COM8x");
    Link("COM99999");
    QFile plain(map.filePath(QStringLiteral("COM9")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));  // a regular file, not a device
    Link("COM2");
    EXPECT_EQ(Discover(), QStringList({"2"}));
}

TEST_F(PortDiscoveryTest, shouldNumberKernelDevicesAroundTheLinks) {
    KernelDevice("ttyS0", "0");  // a UART slot with no UART behind it
    KernelDevice("ttyS1", "4");
    KernelDevice("ttyS10", "4");
    KernelDevice("ttyS2", "4");
    KernelDevice("ttyUSB0");
    KernelDevice("ttyACM0");
    KernelDevice("ttyAMA0");
    KernelDevice("tty1");
    KernelDevice("console");
    Link("COM2");
    const auto entries = ReadSerialMap(Roots());
    std::vector<std::pair<int, std::string>> found;
    for (const auto& entry : entries) {
        found.emplace_back(entry.Number, entry.DevicePath);
    }
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "/dev/ttyACM0"}, {2, PathIn(map, "COM2")}, {3, "/dev/ttyAMA0"}, {4, "/dev/ttyS1"},
        {5, "/dev/ttyS2"},   {6, "/dev/ttyS10"},       {7, "/dev/ttyUSB0"},
    };
    EXPECT_EQ(found, expected);
}

TEST_F(PortDiscoveryTest, shouldGiveAnEmptyListForAnUnreadableFolder) {
    QFile notAFolder(map.filePath(QStringLiteral("file")));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    const std::string inside = PathIn(map, "file") + "/serialcomm";
    for (const std::string& folder : {inside, PathIn(map, "missing")}) {
        PortDiscovery discovery({folder, inside, "/dev"});
        discovery.PortNumbers = QStringList({"stale"});
        discovery.ListSerialPorts();
        EXPECT_TRUE(discovery.PortNumbers.isEmpty()) << folder;
    }
}

TEST_F(PortDiscoveryTest, shouldResolveBothDeviceNameFormsThroughTheMap) {
    Link("COM8");
    Link("COM12");
    const SerialMapRoots roots = Roots();
    EXPECT_EQ(ResolveDeviceName("COM8", roots), PathIn(map, "COM8"));
    EXPECT_EQ(ResolveDeviceName("\\\\.\\COM12", roots), PathIn(map, "COM12"));
    for (const char* name : {"COM9", "\\\\.\\COM9", "COM 8", "LPT1", "\\\\.\\", "/dev/null"}) {
        EXPECT_EQ(ResolveDeviceName(name, roots), std::nullopt) << name;
    }
}

TEST(SerialMapFolderTest, shouldLiveInTheRuntimeFolderOrInTmpWithoutOne) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(SerialMapFolder(), "/run/user/4242/pelta/serialcomm");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SerialMapFolder(), "/tmp/pelta-" + std::to_string(::getuid()) + "/serialcomm");
    if (saved != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    }
}

}  // namespace
}  // namespace pelta::link
