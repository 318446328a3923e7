// Which ports are offered: links in a scratch map folder plus a scratch sysfs tree.

#include "link/port_discovery.h"

#include <unistd.h>

#include "scratch_serial_tree.h"

namespace pelta::link {
namespace {

class PortDiscoveryTest : public ::testing::Test {
  protected:
    void Link(const char* name, const char* target = "/dev/null") {
        const std::string at = tree.Roots().MapFolder + "/" + name;
        ASSERT_EQ(::symlink(target, at.c_str()), 0) << name;
    }
    testing::ScratchSerialTree tree;
};

TEST_F(PortDiscoveryTest, shouldOfferLiveLinksAndKernelDevicesSortedAsText) {
    for (const char* name : {"COM3", "COM12", "COM123", "COM2"}) {
        Link(name);
    }
    Link("COM4", "/nonexistent/ttyUSB9");  // the device is gone
    for (const char* name : {"COM0", "COM07", "COM", "com6", "COM8x", "COM99999"}) {
        Link(name);
    }
    tree.Write("run/pelta/serialcomm/COM9", "");  // a regular file, not a device
    for (const char* name : {"ttyS0", "ttyS10", "ttyS2", "tty1"}) {
        tree.Plug(name);
    }
    tree.Write("sys/ttyS0/type", "0\n");  // a UART slot with no UART behind it
    tree.Write("sys/tty1/type", "4\n");
    const SerialMapRoots roots = tree.Roots();
    PortDiscovery discovery(roots);
    discovery.ListSerialPorts();
    EXPECT_EQ(discovery.PortListEntries(),
              QStringList({"COM 1", "COM 12", "COM 123", "COM 2", "COM 3", "COM 4"}));
    // Kernel devices take the numbers no live link holds, ttyS2 before ttyS10.
    EXPECT_EQ(ResolveDeviceName("COM1", roots), tree.Path("dev/ttyS2"));
    EXPECT_EQ(ResolveDeviceName("\\\\.\\COM4", roots), tree.Path("dev/ttyS10"));
    EXPECT_EQ(ResolveDeviceName("\\\\.\\COM12", roots), "/dev/null");  // what the link names
    EXPECT_EQ(ResolveDeviceName("COM 3", roots), std::nullopt);
}

TEST_F(PortDiscoveryTest, shouldGiveAnEmptyListForAnUnreadableFolder) {
    tree.Write("file", "");
    const std::string inside = tree.Path("file/serialcomm");
    for (const std::string& folder : {inside, tree.Path("missing")}) {
        PortDiscovery discovery({folder, inside, "/dev"});
        discovery.SetPorts({{5, "stale", {}}});
        discovery.ListSerialPorts();
        EXPECT_TRUE(discovery.PortNumbers().isEmpty()) << folder;
    }
}

}  // namespace
}  // namespace pelta::link
