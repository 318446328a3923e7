// The list position opens the device it showed when the list was filled, whatever the tree
// does later; re-reading the list keeps the chosen port and each port's settings.

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>

#include "link/link_error.h"
#include "link/serial_link.h"
#include "link/termios_port_api.h"
#include "link_test_support.h"
#include "scratch_serial_tree.h"

namespace pelta::link {
namespace {

struct Pty {
    Pty() { ::openpty(&master, &slave, name, nullptr, nullptr); }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    // What arrived on the far end within a short wait.
    std::string Received() const {
        pollfd ready{master, POLLIN, 0};
        char bytes[64];
        if (::poll(&ready, 1, 1000) != 1) {
            return {};
        }
        const ssize_t count = ::read(master, bytes, sizeof bytes);
        return count > 0 ? std::string(bytes, static_cast<std::size_t>(count)) : std::string();
    }
    int master = -1;
    int slave = -1;
    char name[256] = {};
};

class FixedPortTest : public ::testing::Test {
  protected:
    LinkChoices ChoicesFor(std::int16_t port, std::int16_t speed) {
        LinkChoices choices;
        choices.PortNumber = port;
        choices.Speed = speed;
        return choices;
    }

    testing::ScratchSerialTree tree;
    testing::RecordingMessageSink messages;
    testing::RecordingErrorLog errorLog;
    PortDiscovery discovery{tree.Roots(), &errorLog};
};

TEST_F(FixedPortTest, shouldOpenTheDeviceThePositionNamedAndNeverOneThatTookItsNumberLater) {
    Pty a, b, c;
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
    EXPECT_EQ(b.Received(), "\x01\x32\xBE");

    link.OpenSelectedPort(0);
    EXPECT_EQ(channel.PortHandle, InvalidHandleValue);
    ASSERT_FALSE(messages.Shown.empty());
    EXPECT_EQ(
        messages.Shown.front(),
        std::make_pair(QString::fromUtf8("Ошибка открытия порта COM1"), MessageIcon::Critical));
    channel.OpenDevice(1, discovery.DeviceAt(0));
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ENOENT));
}

TEST_F(FixedPortTest, shouldKeepTheChosenPortAndEachPortsSettingsWhenTheListIsReadAgain) {
    MemoryPortApi api;
    SerialChannel channel(api, messages);
    LinkSettingsModel settings(channel, errorLog, messages);
    SerialLink link(channel, discovery, settings);
    tree.Plug("ttyUSB0", "usb-A");
    tree.Plug("ttyUSB1", "usb-B");
    discovery.ListSerialPorts();
    ASSERT_TRUE(settings.Apply(ChoicesFor(2, 7)));  // COM2, at position 1: 19200 bit/s
    ASSERT_TRUE(settings.Apply(ChoicesFor(1, 0)));  // COM1: 300 bit/s
    api.ExistingDevices = {tree.Path("dev/serial/by-id/usb-B")};

    const struct {
        const char* Change;
        std::function<void()> Act;
        std::int16_t ChosenBefore, ChosenAfter;
        QStringList Entries;
    } steps[] = {
        {"nothing changed", [] {}, 1, 1, {"COM 1", "COM 2"}},
        {"A pulled, C new",
         [&] {
             tree.Unplug("ttyUSB0");
             tree.Plug("ttyUSB7", "usb-C");
         },
         1,
         0,
         {"COM 2", "COM 3"}},
        {"none chosen", [] {}, -1, -1, {"COM 2", "COM 3"}},
        {"the chosen port pulled", [&] { tree.Unplug("ttyUSB1"); }, 0, -1, {"COM 3"}},
    };
    for (const auto& step : steps) {
        step.Act();
        EXPECT_EQ(discovery.RefreshKeeping(step.ChosenBefore), step.ChosenAfter) << step.Change;
        EXPECT_EQ(discovery.PortListEntries(), step.Entries) << step.Change;
        if (step.ChosenAfter >= 0) {
            api.ClearLog();
            link.OpenSelectedPort(step.ChosenAfter);
            link.ClosePort();
            EXPECT_EQ(api.Calls.at(2), "SetCommState 19200 8 0 0") << step.Change;
        }
    }
    EXPECT_TRUE(messages.Shown.empty());
}

}  // namespace
}  // namespace pelta::link
