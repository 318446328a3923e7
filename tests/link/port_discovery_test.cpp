// Which ports are offered: links in a scratch map folder plus a scratch sysfs-like tree.

#include "link/port_discovery.h"

#include <unistd.h>

#include <QDir>
#include <QFile>

#include "link_test_support.h"

namespace pelta::link {
namespace {

using testing::PathIn;

class PortDiscoveryTest : public ::testing::Test {
  protected:
    QTemporaryDir map;
    QTemporaryDir sysfs;
    SerialMapRoots roots{map.path().toStdString(), sysfs.path().toStdString(), "/dev"};

    void Link(const char* name, const char* target = "/dev/null") {
        ASSERT_EQ(::symlink(target, PathIn(map, name).c_str()), 0) << name;
    }
    void KernelDevice(const char* name, const char* uartType) {
        ASSERT_TRUE(QDir(sysfs.path()).mkdir(QString::fromUtf8(name)));
        QFile type(sysfs.filePath(QString::fromUtf8(name) + QStringLiteral("/type")));
        ASSERT_TRUE(type.open(QIODevice::WriteOnly));
        type.write(QByteArray(uartType) + "\n");
    }
};

TEST_F(PortDiscoveryTest, shouldOfferLiveLinksAndKernelDevicesSortedAsText) {
    for (const char* name : {"COM3", "COM12", "COM123", "COM2"}) {
        Link(name);
    }
    Link("COM4", "/nonexistent/ttyUSB9");  // the device is gone
    for (const char* name : {"COM0", "COM07", "COM", "com6", "COM8x", "COM99999"}) {
        Link(name);
    }
    QFile plain(map.filePath(QStringLiteral("COM9")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));  // a regular file, not a device
    KernelDevice("ttyS0", "0");                     // a UART slot with no UART behind it
    KernelDevice("ttyS10", "4");
    KernelDevice("ttyS2", "4");
    KernelDevice("tty1", "4");
    PortDiscovery discovery(roots);
    discovery.ListSerialPorts();
    EXPECT_EQ(discovery.PortListEntries(),
              QStringList({"COM 1", "COM 12", "COM 123", "COM 2", "COM 3", "COM 4"}));
    // Kernel devices take the numbers no live link holds, ttyS2 before ttyS10.
    EXPECT_EQ(ResolveDeviceName("COM1", roots), "/dev/ttyS2");
    EXPECT_EQ(ResolveDeviceName("\\\\.\\COM4", roots), "/dev/ttyS10");
    EXPECT_EQ(ResolveDeviceName("\\\\.\\COM12", roots), "/dev/null");  // what the link names
    EXPECT_EQ(ResolveDeviceName("COM 3", roots), std::nullopt);
}

TEST_F(PortDiscoveryTest, shouldGiveAnEmptyListForAnUnreadableFolder) {
    QFile notAFolder(map.filePath(QStringLiteral("file")));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    const std::string inside = PathIn(map, "file") + "/serialcomm";
    for (const std::string& folder : {inside, PathIn(map, "missing")}) {
        PortDiscovery discovery({folder, inside, "/dev"});
        discovery.SetPorts({{5, "stale", {}}});
        discovery.ListSerialPorts();
        EXPECT_TRUE(discovery.PortNumbers().isEmpty()) << folder;
    }
}

}  // namespace
}  // namespace pelta::link
