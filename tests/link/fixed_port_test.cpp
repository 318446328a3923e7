// The list position opens the device it showed when the list was filled, whatever the tree
// does later; re-reading the list keeps the chosen port by its COM number.

#include <cerrno>

#include "link/link_error.h"
#include "link/serial_link.h"
#include "link/termios_port_api.h"
#include "link_test_support.h"
#include "scratch_serial_tree.h"

namespace pelta::link {
namespace {

class FixedPortTest : public ::testing::Test {
  protected:
    testing::ScratchSerialTree tree;
    testing::RecordingMessageSink messages;
    testing::RecordingErrorLog errorLog;
    PortDiscovery discovery{tree.Roots(), &errorLog};
};

TEST_F(FixedPortTest, shouldOpenTheDeviceThePositionNamedAndNeverOneThatTookItsNumberLater) {
    testing::PtyPair a, b, c;
    tree.Plug("ttyUSB0", "usb-A", "", a.name);
    tree.Plug("ttyUSB1", "usb-B", "", b.name);
    discovery.ListSerialPorts();
    ASSERT_EQ(discovery.PortListEntries(), QStringList({"COM 1", "COM 2"}));
    // A is pulled; B comes back as ttyUSB0; C takes A's place and a link takes COM1.
    tree.Unplug("ttyUSB0");
    tree.Unplug("ttyUSB1");
    tree.Plug("ttyUSB0", "usb-B", "", b.name);
    tree.Plug("ttyUSB1", "usb-C", "", c.name);
    tree.Link(1, c.name);
    ASSERT_EQ(ResolveDeviceName("COM1", tree.Roots()), std::string(c.name));

    TermiosPortApi api(tree.Roots());
    SerialChannel channel(api, messages);
    LinkSettingsModel settings(channel, errorLog, messages);
    SerialLink link(channel, discovery, settings);
    link.OpenSelectedPort(1);
    ASSERT_TRUE(channel.IsOpen());
    channel.WritePort("\x01\x32\xBE");
    link.ClosePort();
    EXPECT_EQ(b.Received(3), "\x01\x32\xBE");

    link.OpenSelectedPort(0);
    EXPECT_EQ(channel.PortHandle, InvalidHandleValue);
    ASSERT_FALSE(messages.Shown.empty());
    EXPECT_EQ(
        messages.Shown.front(),
        std::make_pair(QString::fromUtf8("Ошибка открытия порта COM1"), MessageIcon::Critical));
    channel.OpenDevice(1, discovery.DeviceAt(0));
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ENOENT));
    for (const std::int16_t position : {std::int16_t{-1}, std::int16_t{2}}) {
        EXPECT_THROW(link.OpenSelectedPort(position), LinkError) << position;
    }
    // Read again, the chosen COM2 keeps its choice by number until its device leaves.
    EXPECT_EQ(discovery.RefreshKeeping(1), 1);
    EXPECT_EQ(discovery.PortListEntries(), QStringList({"COM 1", "COM 2", "COM 3"}));
    tree.Unplug("ttyUSB0");
    EXPECT_EQ(discovery.RefreshKeeping(1), -1);
}

}  // namespace
}  // namespace pelta::link
