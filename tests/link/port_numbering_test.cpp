// COM numbers that stay with their devices: remembered in ports.conf across re-plugging,
// restarts and a link's clash, network ports listed under theirs, and a damaged ports.conf
// survived. A list position opens the device it showed when the list was filled, whatever the
// tree does later.

#include <cerrno>
#include <functional>
#include <optional>

#include "link/link_error.h"
#include "link/port_discovery.h"
#include "link/serial_link.h"
#include "link/termios_port_api.h"
#include "link_test_support.h"
#include "scratch_serial_tree.h"

namespace pelta::link {
namespace {

class PortNumbers : public ::testing::Test {
  protected:
    using Listing = std::map<int, std::string>;  // COM number -> device, within the tree

    Listing Listed(const PortDiscovery& discovery) const {
        Listing listed;
        for (std::int16_t i = 0; i < discovery.PortNumbers().size(); ++i) {
            listed[discovery.NumberAt(i)] = tree.Relative(discovery.DeviceAt(i));
        }
        return listed;
    }

    testing::ScratchSerialTree tree;
    testing::RecordingErrorLog errorLog;
    testing::RecordingMessageSink messages;
};

TEST_F(PortNumbers, stayWithTheirDevicesAcrossReplugsRestartsAndLinks) {
    std::optional<PortDiscovery> discovery;
    auto restart = [&] { discovery.emplace(tree.Roots(), &errorLog); };
    restart();
    const std::string usbA = "dev/serial/by-id/usb-A";
    const std::string usbC = "dev/serial/by-id/usb-C";
    const std::string pci2 = "dev/serial/by-path/pci-2";
    const std::string usbD = "dev/serial/by-id/usb-D";
    const struct {
        const char* Step;
        std::function<void()> Change;
        Listing Expected;
    } steps[] = {
        {"first fill: by-id, else by-path, else the kernel name",
         [&] {
             tree.Plug("ttyUSB0", "usb-A", "pci-1");
             tree.Plug("ttyUSB1", "", "pci-2");
             tree.Plug("ttyS0");
         },
         {{1, "dev/ttyS0"}, {2, usbA}, {3, pci2}}},
        {"A re-plugged under another kernel name",
         [&] {
             tree.Unplug("ttyUSB0");
             tree.Plug("ttyUSB2", "usb-A", "pci-1");
         },
         {{1, "dev/ttyS0"}, {2, usbA}, {3, pci2}}},
        {"restart", restart, {{1, "dev/ttyS0"}, {2, usbA}, {3, pci2}}},
        {"A pulled, a new C takes the lowest number nobody holds",
         [&] {
             tree.Unplug("ttyUSB2");
             tree.Plug("ttyUSB0", "usb-C");
         },
         {{1, "dev/ttyS0"}, {3, pci2}, {4, usbC}}},
        {"A back while a link holds COM2",
         [&] {
             tree.Plug("ttyUSB3", "usb-A");
             tree.Link(2, "/dev/null");
         },
         {{1, "dev/ttyS0"}, {2, "/dev/null"}, {3, pci2}, {4, usbC}, {5, usbA}}},
        {"the link gone, restart",
         [&] {
             tree.Unlink(2);
             restart();
         },
         {{1, "dev/ttyS0"}, {2, usbA}, {3, pci2}, {4, usbC}}},
        {"a network port given COM5 in ports.conf; a new D passes its number over",
         [&] {
             tree.Write("config/pelta/ports.conf",
                        tree.Read("config/pelta/ports.conf") + "COM5 rfc2217://[::1]:4001\n");
             tree.Plug("ttyUSB4", "usb-D");
         },
         {{1, "dev/ttyS0"},
          {2, usbA},
          {3, pci2},
          {4, usbC},
          {5, "rfc2217://[::1]:4001"},
          {6, usbD}}},
        {"a link on COM5 wins over the network port",
         [&] { tree.Link(5, "/dev/null"); },
         {{1, "dev/ttyS0"}, {2, usbA}, {3, pci2}, {4, usbC}, {5, "/dev/null"}, {6, usbD}}},
    };
    for (const auto& step : steps) {
        step.Change();
        discovery->ListSerialPorts();
        EXPECT_EQ(Listed(*discovery), step.Expected) << step.Step;
    }
    EXPECT_EQ(ParseRememberedPorts(tree.Read("config/pelta/ports.conf")),
              (RememberedPorts{{"by-id/usb-A", 2},
                               {"by-id/usb-C", 4},
                               {"by-id/usb-D", 6},
                               {"by-path/pci-2", 3},
                               {"rfc2217://[::1]:4001", 5},
                               {"ttyS0", 1}}));
    EXPECT_TRUE(errorLog.Entries.empty());
}

TEST_F(PortNumbers, startAfreshFromADamagedPortsFile) {
    tree.Plug("ttyS0");
    tree.Plug("ttyUSB0", "usb-A");
    const std::string usbA = "dev/serial/by-id/usb-A";
    const Listing fresh = {{1, "dev/ttyS0"}, {2, usbA}};
    const RememberedPorts freshFile = {{"ttyS0", 1}, {"by-id/usb-A", 2}};
    const std::string sound = "# mine\nCOM7 ttyS0\nCOM8 by-id/usb-A\n";
    const struct {
        std::string Text;
        Listing Expected;
    } cases[] = {
        {sound, {{7, "dev/ttyS0"}, {8, usbA}}},  // holds every device present: left as it is
        {"COM7 ttyS0\ngarbage\n", fresh},
        {"COM7 ttyS0\nCOM7 by-id/usb-A\n", fresh},  // one number twice
        {"COM7 ttyS0\nCOM8 ttyS0\n", fresh},        // one device twice
        {"COM0 ttyS0\n", fresh},
        {std::string("\xff\xfe\0\x01", 4), fresh},
    };
    for (const auto& c : cases) {
        tree.Write("config/pelta/ports.conf", c.Text);
        PortDiscovery discovery(tree.Roots(), &errorLog);
        discovery.ListSerialPorts();
        EXPECT_EQ(Listed(discovery), c.Expected) << c.Text;
        const std::string after = tree.Read("config/pelta/ports.conf");
        if (c.Text == sound) {
            EXPECT_EQ(after, sound);
        } else {
            EXPECT_EQ(ParseRememberedPorts(after), freshFile) << c.Text;
        }
    }
    EXPECT_TRUE(errorLog.Entries.empty());
}

TEST_F(PortNumbers, areListedWhenThePortsFileCannotBeWritten) {
    tree.Plug("ttyS0");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(tree.Path("config/pelta/ports.conf"))));
    PortDiscovery discovery(tree.Roots(), &errorLog);
    discovery.ListSerialPorts();
    EXPECT_EQ(Listed(discovery), (Listing{{1, "dev/ttyS0"}}));
    ASSERT_EQ(errorLog.Entries.size(), 1U);
    EXPECT_TRUE(errorLog.Entries[0].contains("ports.conf")) << errorLog.Entries[0].toStdString();
}

TEST_F(PortNumbers, openTheDeviceTheListShowedNeverOneThatTookTheNumberLater) {
    PortDiscovery discovery{tree.Roots(), &errorLog};
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
