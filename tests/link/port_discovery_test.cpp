// Which ports are offered: links in a scratch map folder (only from one nobody but the user
// controls) plus a scratch sysfs tree. COM numbers stay with their devices: remembered in
// ports.conf across re-plugging, restarts and a link's clash, network ports listed under theirs,
// and a damaged ports.conf survived. A list position opens the device it showed when the list
// was filled, whatever the tree does later.

#include "link/port_discovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "link/link_error.h"
#include "link/private_folder.h"
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
            std::string device = discovery.DeviceAt(i);
            for (const std::string& folder : {tree.Path("dev/serial/"), tree.Path("dev/")}) {
                device = device.starts_with(folder) ? device.substr(folder.size()) : device;
            }
            listed += (i ? ", " : "") + std::to_string(discovery.NumberAt(i)) + " " + device;
        }
        return listed;
    }

    std::string Map() const { return tree.Roots().MapFolder; }

    testing::ScratchSerialTree tree;
    testing::PtyPair pty;  // the character device links name, never one of the machine's
    const std::string own = pty.name;
    testing::RecordingErrorLog errorLog;
    testing::RecordingMessageSink messages;
};
using PortList = PortNumbers;
using MapFolder = PortNumbers;

TEST_F(PortList, offersLiveLinksAndKernelDevicesSortedAsText) {
    // Only the first four are live links of COM numbers.
    for (const char* name :
         {"COM3", "COM12", "COM123", "COM2", "COM0", "COM07", "COM", "com6", "COM8x", "COM99999"}) {
        tree.Link(name, own);
    }
    tree.Link("COM4", "/nonexistent/ttyUSB9");    // the device is gone
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
    EXPECT_EQ(ResolveDeviceName("\\\\.\\COM12", roots), own);  // what the link names
    EXPECT_EQ(ResolveDeviceName("COM 3", roots), std::nullopt);
    // Folders that cannot be read give an empty list, not the last one.
    const std::string inside = tree.Path("run/pelta/serialcomm/COM9/serialcomm");
    for (const std::string& folder : {inside, tree.Path("missing")}) {
        PortDiscovery unread({folder, inside, "/dev"});
        unread.SetPorts({{5, "stale", {}}});
        unread.ListSerialPorts();
        EXPECT_TRUE(unread.PortNumbers().isEmpty()) << folder;
    }
}

// A map folder is trusted only when own and nobody else can write it up to the top; another
// user's folder and one its group may write give no links, said once.
TEST_F(MapFolder, isTrustedOnlyWhenOwnAndNobodyElseCanWriteElseGivesNoLinksAndSaysWhyOnce) {
    using enum FolderTrust;
    const std::string map = Map(), top = tree.Roots().MapFolderTop, run = tree.Path("run");
    const std::string alias = tree.Path("run/alias"), none = map + "/none";
    ASSERT_EQ(::symlink(map.c_str(), alias.c_str()), 0);
    const struct {
        const char* Why;
        std::string Folder, Top, Loosened;  // Loosened: given Mode for this case, then 0700 again
        mode_t Mode;
        FolderTrust Trust;
        std::string Failing;
    } cases[] = {
        // clang-format off
        {"others may write the top",   map,   top,              top, 0707, WritableByOthers, top},
        {"above the top is not asked", map,   top,              run, 0777, Own,              ""},
        {"a link to an own folder",    alias, run,              map, 0700, NotADirectory,    alias},
        {"top not above: folder alone", map,  tree.Path("sys"), top, 0777, Own,              ""},
        {"missing",                    none,  top,              map, 0700, Missing,          none},
        // clang-format on
    };
    for (const auto& c : cases) {
        ASSERT_EQ(::chmod(c.Loosened.c_str(), c.Mode), 0) << c.Why;
        const FolderCheck check = CheckOwnFolder(c.Folder, c.Top, ::geteuid());
        EXPECT_EQ(std::pair(check.Trust, check.Path), std::pair(c.Trust, c.Failing)) << c.Why;
        ::chmod(c.Loosened.c_str(), 0700);
    }
    // The list is re-read at each opening: a refusal is logged once per run, again only when its
    // reason changes or the folder was trusted in between.
    tree.Plug("ttyS0");
    tree.Link(5, own);
    const struct {
        mode_t Mode;
        uid_t Owner;         // another user's only when we run as root, as here and in CI
        const char* Reason;  // empty: trusted
    } listings[] = {
        {0777, ::geteuid(), "открыта для записи другим пользователям"},
        {0700, ::geteuid(), ""},
        {0770, ::geteuid(), "открыта для записи другим пользователям"},
        {0700, 65534, "принадлежит другому пользователю"},
    };
    PortDiscovery discovery(tree.Roots(), &errorLog);
    for (const auto& c : listings) {
        if (c.Owner != ::geteuid() && ::geteuid() != 0) {
            continue;
        }
        errorLog.Entries.clear();
        ASSERT_EQ(::chmod(Map().c_str(), c.Mode), 0) << c.Reason;
        ASSERT_EQ(::chown(Map().c_str(), c.Owner, static_cast<gid_t>(-1)), 0) << c.Reason;
        for (int opening = 0; opening < 3; ++opening) {
            discovery.ListSerialPorts();
        }
        const QString refusal =
            QString::fromUtf8("log:Ссылки COM из папки %1 не предлагаются: %1 %2")
                .arg(QString::fromStdString(Map()), QString::fromUtf8(c.Reason));
        EXPECT_EQ(std::pair(discovery.PortListEntries(), errorLog.Entries),
                  *c.Reason == '\0'
                      ? std::pair(QStringList{"COM 1", "COM 5"}, std::vector<QString>{})
                      : std::pair(QStringList{"COM 1"}, std::vector{refusal}))
            << c.Reason;
    }
}

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
        {[&] { tree.Plug("ttyUSB3", "usb-A"); tree.Link(2, own); },
         "1 ttyS0, 2 " + own + ", 3 by-path/pci-2, 4 by-id/usb-C, 5 by-id/usb-A"},
        {[&] { ::unlink((Map() + "/COM2").c_str()); restart(); }, ours + ", 4 by-id/usb-C"},
        // A network port given COM5 in ports.conf; a new D passes its number over.
        {[&] { tree.Write(Conf, tree.Read(Conf) + "COM5 rfc2217://[::1]:4001\n");
               tree.Plug("ttyUSB4", "usb-D"); },
         ours + ", 4 by-id/usb-C, 5 rfc2217://[::1]:4001, 6 by-id/usb-D"},
        // A link on COM5 wins over the network port.
        {[&] { tree.Link(5, own); }, ours + ", 4 by-id/usb-C, 5 " + own + ", 6 by-id/usb-D"},
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
    ASSERT_FALSE(messages.Shown.empty());
    EXPECT_EQ(messages.Shown.front().first, QString::fromUtf8("Ошибка открытия порта COM1"));
    EXPECT_THROW(link.OpenSelectedPort(-1), LinkError);
    EXPECT_THROW(link.OpenSelectedPort(2), LinkError);
    // Read again, the chosen COM2 keeps its choice by number until its device leaves.
    EXPECT_EQ(discovery.RefreshKeeping(1), 1);
    EXPECT_EQ(discovery.PortListEntries(), QStringList({"COM 1", "COM 2", "COM 3"}));
    tree.Unplug("ttyUSB0");
    EXPECT_EQ(discovery.RefreshKeeping(1), -1);
}

}  // namespace
}  // namespace pelta::link
