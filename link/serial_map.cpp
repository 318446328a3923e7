#include "link/serial_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "link/com_numbering.h"
#include "link/line_rules.h"
#include "link/port_url.h"
#include "link/xdg_folders.h"

namespace pelta::link {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view ComPrefix = "COM";
constexpr std::string_view LongPrefix = "\\\\.\\";

// "COM<n>" with n a COM number written with digits alone, without leading zeros.
std::optional<int> NumberAfterCom(std::string_view name) {
    if (name.substr(0, ComPrefix.size()) != ComPrefix) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(ComPrefix.size());
    if (digits.empty() || digits.front() < '1' || digits.front() > '9' ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return WholeNumberIn(digits, ComNumbers);
}

bool IsCharacterDevice(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// A link's target as it names it, made absolute against the link's folder.
std::string LinkTarget(const fs::path& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    if (error) {
        return link.string();  // not a link: the device node itself
    }
    return (target.is_absolute() ? target : link.parent_path() / target)
        .lexically_normal()
        .string();
}

std::vector<SerialMapEntry> MapFolderLinks(const std::string& folder) {
    std::vector<SerialMapEntry> links;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const auto number = NumberAfterCom(name);
        if (number && IsCharacterDevice(it->path())) {
            links.push_back({*number, LinkTarget(it->path()), {}});
        }
    }
    return links;
}

// Kernel serial devices: the family, then the number within it (ttyS2 before ttyS10).
struct KernelDevice {
    std::string Family;
    int Index = 0;
    std::string Name;
    bool operator<(const KernelDevice& other) const {
        return std::tie(Family, Index, Name) < std::tie(other.Family, other.Index, other.Name);
    }
};

// ttyS has a slot for every possible UART; only those with a known UART type exist.
bool UartTypeKnown(const fs::path& deviceFolder) {
    std::ifstream typeFile(deviceFolder / "type");
    std::string type;
    return static_cast<bool>(typeFile >> type) && type != "0";
}

std::optional<KernelDevice> AsKernelSerialDevice(const fs::path& deviceFolder) {
    static const std::string_view families[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA"};
    const std::string name = deviceFolder.filename().string();
    for (const std::string_view family : families) {
        if (name.size() <= family.size() || name.compare(0, family.size(), family) != 0) {
            continue;
        }
        const std::string_view digits = std::string_view(name).substr(family.size());
        int index = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (error != std::errc() || end != digits.data() + digits.size()) {
            continue;
        }
        if (family == "ttyS" && !UartTypeKnown(deviceFolder)) {
            return std::nullopt;
        }
        return KernelDevice{std::string(family), index, name};
    }
    return std::nullopt;
}

std::vector<KernelDevice> KernelSerialDevices(const std::string& sysfsTty) {
    std::vector<KernelDevice> devices;
    std::error_code error;
    for (fs::directory_iterator it(sysfsTty, error), end; !error && it != end;
         it.increment(error)) {
        if (auto device = AsKernelSerialDevice(it->path())) {
            devices.push_back(std::move(*device));
        }
    }
    std::sort(devices.begin(), devices.end());
    return devices;
}

std::string Canonical(const fs::path& path) {
    std::error_code error;
    const fs::path canonical = fs::canonical(path, error);
    return error ? std::string() : canonical.string();
}

// The udev links of one folder (by-id or by-path), by the device each resolves to. Where two
// links name one device the first name in order is kept.
std::map<std::string, std::string> UdevLinksByDevice(const std::string& folder) {
    std::map<std::string, std::string> links;
    if (folder.empty()) {
        return links;
    }
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string device = Canonical(it->path());
        const std::string name = it->path().filename().string();
        if (device.empty()) {
            continue;
        }
        auto [known, added] = links.emplace(device, name);
        if (!added && name < known->second) {
            known->second = name;
        }
    }
    return links;
}

struct DeviceIdentity {
    std::string Identity;
    std::string OpenPath;
};

// by-id where the kernel gives one, else by-path, else the kernel name itself.
DeviceIdentity IdentityOf(const std::string& name, const SerialMapRoots& roots,
                          const std::map<std::string, std::string>& byId,
                          const std::map<std::string, std::string>& byPath) {
    const fs::path node = fs::path(roots.DevFolder) / name;
    const std::string device = Canonical(node);
    const struct {
        const std::map<std::string, std::string>& links;
        const char* kind;
        const std::string& folder;
    } sources[] = {{byId, "by-id/", roots.ById}, {byPath, "by-path/", roots.ByPath}};
    for (const auto& source : sources) {
        const auto found = device.empty() ? source.links.end() : source.links.find(device);
        if (found != source.links.end()) {
            return {source.kind + found->second,
                    (fs::path(source.folder) / found->second).string()};
        }
    }
    return {name, node.string()};
}

std::string FolderAbove(const std::string& folder) {
    return fs::path(folder).lexically_normal().parent_path().string();
}

}  // namespace

std::string SerialMapFolder() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && *runtimeDir != '\0') {
        return std::string(runtimeDir) + "/pelta/serialcomm";
    }
    return "/tmp/pelta-" + std::to_string(::getuid()) + "/serialcomm";
}

std::string PortsFilePath() {
    return ConfigFilePath("ports.conf");
}

SerialMapRoots DefaultSerialMapRoots() {
    const std::string folder = SerialMapFolder();
    return {folder,
            "/sys/class/tty",
            "/dev",
            FolderAbove(folder),
            "/dev/serial/by-id",
            "/dev/serial/by-path",
            PortsFilePath()};
}

SerialMap ReadSerialMap(const SerialMapRoots& roots) {
    SerialMap map;
    map.MapFolderCheck = CheckOwnFolder(roots.MapFolder, roots.MapFolderTop, ::geteuid());
    if (map.MapFolderCheck.Trust == FolderTrust::Own) {
        map.Entries = MapFolderLinks(roots.MapFolder);
    }
    std::set<int> linkNumbers;
    for (const auto& entry : map.Entries) {
        linkNumbers.insert(entry.Number);
    }
    const auto byId = UdevLinksByDevice(roots.ById);
    const auto byPath = UdevLinksByDevice(roots.ByPath);
    std::vector<DeviceIdentity> devices;
    std::vector<std::string> identities;
    for (const auto& device : KernelSerialDevices(roots.SysfsTty)) {
        devices.push_back(IdentityOf(device.Name, roots, byId, byPath));
        identities.push_back(devices.back().Identity);
    }
    RememberedPortsFile file;
    if (!roots.PortsFile.empty()) {
        file = ReadRememberedPorts(roots.PortsFile);
    }
    ComNumbering numbering = NumberDevices(identities, linkNumbers, file.Ports);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (numbering.Numbers[i] != 0) {
            map.Entries.push_back({numbering.Numbers[i], devices[i].OpenPath, devices[i].Identity});
        }
    }
    // Network ports are there whenever they are remembered; a link wins a clash, as for devices.
    for (const auto& [identity, number] : file.Ports) {
        if (IsNetworkPortName(identity) && linkNumbers.count(number) == 0) {
            map.Entries.push_back({number, identity, identity});
        }
    }
    std::sort(map.Entries.begin(), map.Entries.end(),
              [](const auto& a, const auto& b) { return a.Number < b.Number; });
    map.Remembered = std::move(numbering.Remembered);
    map.RememberedChanged =
        !roots.PortsFile.empty() && (numbering.RememberedChanged || !file.Sound);
    return map;
}

std::optional<int> PortNumberOfDeviceName(std::string_view deviceName) {
    if (deviceName.substr(0, LongPrefix.size()) == LongPrefix) {
        deviceName.remove_prefix(LongPrefix.size());
    }
    return NumberAfterCom(deviceName);
}

std::optional<std::string> ResolveDeviceName(std::string_view deviceName,
                                             const SerialMapRoots& roots) {
    if (deviceName.substr(0, 1) == "/") {
        return std::string(deviceName);
    }
    const auto number = PortNumberOfDeviceName(deviceName);
    if (!number) {
        return std::nullopt;
    }
    for (const auto& entry : ReadSerialMap(roots).Entries) {
        if (entry.Number == *number) {
            return entry.DevicePath;
        }
    }
    return std::nullopt;
}

}  // namespace pelta::link
