// Which ports are offered: links in a scratch map folder plus a scratch sysfs tree, links only
// from a map folder nobody but the user controls.

#include "link/port_discovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include "link/private_folder.h"
#include "link_test_support.h"
#include "scratch_serial_tree.h"

namespace pelta::link {
namespace {

class PortList : public ::testing::Test {
  protected:
    void Link(const char* name, const char* target = "/dev/null") {
        ASSERT_EQ(::symlink(target, (Map() + "/" + name).c_str()), 0) << name;
    }
    std::string Map() const { return tree.Roots().MapFolder; }

    testing::ScratchSerialTree tree;
    testing::RecordingErrorLog errorLog;
};
using MapFolder = PortList;

TEST_F(PortList, offersLiveLinksAndKernelDevicesSortedAsText) {
    // Only the first four are live links of COM numbers.
    for (const char* name :
         {"COM3", "COM12", "COM123", "COM2", "COM0", "COM07", "COM", "com6", "COM8x", "COM99999"}) {
        Link(name);
    }
    Link("COM4", "/nonexistent/ttyUSB9");         // the device is gone
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
    // Folders that cannot be read give an empty list, not the last one.
    const std::string inside = tree.Path("run/pelta/serialcomm/COM9/serialcomm");
    for (const std::string& folder : {inside, tree.Path("missing")}) {
        PortDiscovery unread({folder, inside, "/dev"});
        unread.SetPorts({{5, "stale", {}}});
        unread.ListSerialPorts();
        EXPECT_TRUE(unread.PortNumbers().isEmpty()) << folder;
    }
}

// Another user's folder and one its group may write: the listing's refusals below.
TEST_F(MapFolder, isTrustedOnlyWhenOwnAndNobodyElseCanWriteUpToTheTop) {
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
        {"own, 0700",                  map,   top,              map, 0700, Own,              ""},
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
        EXPECT_EQ(check.Trust, c.Trust) << c.Why;
        EXPECT_EQ(check.Path, c.Failing) << c.Why;
        ::chmod(c.Loosened.c_str(), 0700);
    }
}

// The list is re-read at each opening: a refusal is logged once per run, again only when its
// reason changes or the folder was trusted in between.
TEST_F(MapFolder, givesNoLinksWhenOthersControlItAndSaysWhyOnce) {
    tree.Plug("ttyS0");
    tree.Link(5, "/dev/null");
    const struct {
        mode_t Mode;
        uid_t Owner;         // another user's only when we run as root, as here and in CI
        const char* Reason;  // empty: trusted
    } cases[] = {
        {0777, ::geteuid(), "открыта для записи другим пользователям"},
        {0700, 65534, "принадлежит другому пользователю"},
        {0700, ::geteuid(), ""},
        {0770, ::geteuid(), "открыта для записи другим пользователям"},
    };
    PortDiscovery discovery(tree.Roots(), &errorLog);
    for (const auto& c : cases) {
        if (c.Owner != ::geteuid() && ::geteuid() != 0) {
            continue;
        }
        errorLog.Entries.clear();
        ASSERT_EQ(::chmod(Map().c_str(), c.Mode), 0) << c.Reason;
        ASSERT_EQ(::chown(Map().c_str(), c.Owner, static_cast<gid_t>(-1)), 0) << c.Reason;
        for (int opening = 0; opening < 3; ++opening) {
            discovery.ListSerialPorts();
        }
        const bool trusted = *c.Reason == '\0';
        EXPECT_EQ(discovery.PortListEntries(),
                  trusted ? QStringList({"COM 1", "COM 5"}) : QStringList({"COM 1"}))
            << c.Reason;
        ASSERT_EQ(errorLog.Entries.size(), trusted ? 0U : 1U) << c.Reason;
        if (!trusted) {
            EXPECT_TRUE(errorLog.Entries[0].contains(QString::fromStdString(Map())) &&
                        errorLog.Entries[0].contains(QString::fromUtf8(c.Reason)))
                << errorLog.Entries[0].toStdString();
        }
    }
    EXPECT_EQ(::chown(Map().c_str(), ::geteuid(), static_cast<gid_t>(-1)), 0);
}

}  // namespace
}  // namespace pelta::link
