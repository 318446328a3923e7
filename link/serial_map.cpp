#include "link/serial_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

namespace pelta::link {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view ComPrefix = "COM";
constexpr std::string_view LongPrefix = "\\\\.\\";

// "COM<n>" with n a whole number from 1 written without leading zeros.
std::optional<int> NumberAfterCom(std::string_view name) {
    if (name.substr(0, ComPrefix.size()) != ComPrefix) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(ComPrefix.size());
    if (digits.empty() || digits.size() > 5 || digits.front() == '0') {
        return std::nullopt;
    }
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number > 32767) {
        return std::nullopt;
    }
    return number;
}

bool IsCharacterDevice(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

std::vector<SerialMapEntry> MapFolderLinks(const std::string& folder) {
    std::vector<SerialMapEntry> links;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const auto number = NumberAfterCom(name);
        if (number && IsCharacterDevice(it->path())) {
            links.push_back({*number, it->path().string()});
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

}  // namespace

std::string SerialMapFolder() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && *runtimeDir != '\0') {
        return std::string(runtimeDir) + "/pelta/serialcomm";
    }
    return "/tmp/pelta-" + std::to_string(::getuid()) + "/serialcomm";
}

SerialMapRoots DefaultSerialMapRoots() {
    return {SerialMapFolder(), "/sys/class/tty", "/dev"};
}

std::vector<SerialMapEntry> ReadSerialMap(const SerialMapRoots& roots) {
    std::vector<SerialMapEntry> entries = MapFolderLinks(roots.MapFolder);
    std::set<int> taken;
    for (const auto& entry : entries) {
        taken.insert(entry.Number);
    }
    int next = 1;
    for (const auto& device : KernelSerialDevices(roots.SysfsTty)) {
        while (taken.count(next) != 0) {
            ++next;
        }
        entries.push_back({next++, (fs::path(roots.DevFolder) / device.Name).string()});
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.Number < b.Number; });
    return entries;
}

std::optional<int> PortNumberOfDeviceName(std::string_view deviceName) {
    if (deviceName.substr(0, LongPrefix.size()) == LongPrefix) {
        deviceName.remove_prefix(LongPrefix.size());
    }
    return NumberAfterCom(deviceName);
}

std::optional<std::string> ResolveDeviceName(std::string_view deviceName,
                                             const SerialMapRoots& roots) {
    const auto number = PortNumberOfDeviceName(deviceName);
    if (!number) {
        return std::nullopt;
    }
    for (const auto& entry : ReadSerialMap(roots)) {
        if (entry.Number == *number) {
            return entry.DevicePath;
        }
    }
    return std::nullopt;
}

}  // namespace pelta::link
