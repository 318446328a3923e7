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

const std::string Conf = "config/pelta/ports.conf";

class PortNumbers : public ::testing::Test {
  protected:
    // "1 ttyS0, 2 by-id/usb-A": COM number and device, within the tree's dev/serial.
    std::string Listed(const PortDiscovery& discovery) const {
        std::string listed;
        for (std::int16_t i = 0; i < discovery.PortNumbers().size(); ++i) {
            std::string device = tree.Relative(discovery.DeviceAt(i));
            for (const char* folder : {"dev/serial/", "dev/"}) {
                device = device.starts_with(folder) ? device.substr(strlen(folder)) : device;
            }
            listed += (i ? ", " : "") + std::to_string(discovery.NumberAt(i)) + " " + device;
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
    const std::string ours = "1 ttyS0, 2 by-id/usb-A, 3 by-path/pci-2";
    // clang-format off
    const std::pair<std::function<void()>, std::string> steps[] = {
        // The first fill names by-id, else by-path, else the kernel name.
        {[&] { tree.Plug("ttyUSB0", "usb-A", "pci-1"); tree.Plug("ttyUSB1", "", "pci-2");
               tree.Plug("ttyS0"); }, ours},
        {[&] { tree.Unplug("ttyUSB0"); tree.Plug("ttyUSB2", "usb-A", "pci-1"); }, ours},
        {restart, ours},
        // A pulled: a new C takes the lowest number nobody holds.
        {[&] { tree.Unplug("ttyUSB2"); tree.Plug("ttyUSB0", "usb-C"); },
         "1 ttyS0, 3 by-path/pci-2, 4 by-id/usb-C"},
        // A back while a link holds COM2; the link gone, restarted.
        {[&] { tree.Plug("ttyUSB3", "usb-A"); tree.Link(2, "/dev/null"); },
         "1 ttyS0, 2 /dev/null, 3 by-path/pci-2, 4 by-id/usb-C, 5 by-id/usb-A"},
        {[&] { tree.Unlink(2); restart(); }, ours + ", 4 by-id/usb-C"},
        // A network port given COM5 in ports.conf; a new D passes its number over.
        {[&] { tree.Write(Conf, tree.Read(Conf) + "COM5 rfc2217://[::1]:4001\n");
               tree.Plug("ttyUSB4", "usb-D"); },
         ours + ", 4 by-id/usb-C, 5 rfc2217://[::1]:4001, 6 by-id/usb-D"},
        // A link on COM5 wins over the network port.
        {[&] { tree.Link(5, "/dev/null"); }, ours + ", 4 by-id/usb-C, 5 /dev/null, 6 by-id/usb-D"},
    };
    // clang-format on
    for (const auto& [change, expected] : steps) {
        change();
        discovery->ListSerialPorts();
        EXPECT_EQ(Listed(*discovery), expected);
    }
    const RememberedPorts remembered = {{"by-id/usb-A", 2},          {"by-id/usb-C", 4},
                                        {"by-id/usb-D", 6},          {"by-path/pci-2", 3},
                                        {"rfc2217://[::1]:4001", 5}, {"ttyS0", 1}};
    EXPECT_EQ(ParseRememberedPorts(tree.Read(Conf)), remembered);
    EXPECT_TRUE(errorLog.Entries.empty());
}

// A damaged file is written afresh; one that cannot be written still gives the list, logged.
TEST_F(PortNumbers, startAfreshFromADamagedPortsFileAndListWhenItCannotBeWritten) {
    tree.Plug("ttyS0");
    tree.Plug("ttyUSB0", "usb-A");
    const std::string fresh = "1 ttyS0, 2 by-id/usb-A";
    const RememberedPorts freshFile = {{"ttyS0", 1}, {"by-id/usb-A", 2}};
    const std::string sound = "# mine\nCOM7 ttyS0\nCOM8 by-id/usb-A\n";
    const std::pair<std::string, std::string> cases[] = {
        {sound, "7 ttyS0, 8 by-id/usb-A"},  // holds every device present: left as it is
        {"COM7 ttyS0\ngarbage\n", fresh},          {"COM7 ttyS0\nCOM7 by-id/usb-A\n", fresh},
        {"COM7 ttyS0\nCOM8 ttyS0\n", fresh},       {"COM0 ttyS0\n", fresh},
        {std::string("\xff\xfe\0\x01", 4), fresh}, {"", fresh},  // last: a folder in its place
    };
    for (const auto& [text, expected] : cases) {
        if (text.empty()) {
            ::unlink(tree.Path(Conf).c_str());
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(tree.Path(Conf))));
        } else {
            tree.Write(Conf, text);
        }
        PortDiscovery discovery(tree.Roots(), &errorLog);
        discovery.ListSerialPorts();
        EXPECT_EQ(Listed(discovery), expected) << text;
        const std::string after = tree.Read(Conf);
        EXPECT_TRUE(text.empty() ||
                    (text == sound ? after == sound : ParseRememberedPorts(after) == freshFile))
            << text;
    }
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
    EXPECT_EQ(messages.Shown.front().first, QString::fromUtf8("Ошибка открытия порта COM1"));
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
