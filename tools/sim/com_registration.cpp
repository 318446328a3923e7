#include "tools/sim/com_registration.h"

#include "link/line_rules.h"
#include "link/private_folder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace pelta::sim {

namespace {

std::string ErrnoText(int code) {
    return std::strerror(code);
}

std::string DistrustText(const link::FolderCheck& check) {
    switch (check.Trust) {
        case link::FolderTrust::Own:
            return {};
        case link::FolderTrust::Missing:
        case link::FolderTrust::Unreadable:
            return check.Path + ": " + ErrnoText(check.Error);
        case link::FolderTrust::NotADirectory:
            return check.Path + " is not a directory; refusing to use it";
        case link::FolderTrust::ForeignOwner:
            return check.Path + " belongs to another user; refusing to use it";
        case link::FolderTrust::WritableByOthers:
            return check.Path + " is writable by other users; refusing to use it";
    }
    return check.Path + ": unknown state";
}

bool IsLiveDevice(const std::string& linkPath) {
    struct stat st {};
    return stat(linkPath.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

std::string ReadLink(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    return ec ? std::string() : target.string();
}

std::string LinkPathFor(const std::string& folder, int number) {
    return folder + "/COM" + std::to_string(number);
}

// Takes a number that the caller named: a stale link is replaced, anything live is kept.
bool LinkNamedNumber(const std::string& linkPath, const std::string& target, std::string* error) {
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = linkPath + " exists and is not a link; not replacing it";
            return false;
        }
        if (IsLiveDevice(linkPath)) {
            *error = linkPath + " already links to " + ReadLink(linkPath) +
                     ", a live device; not replacing it";
            return false;
        }
        unlink(linkPath.c_str());
    }
    if (symlink(target.c_str(), linkPath.c_str()) != 0) {
        *error = linkPath + ": " + ErrnoText(errno);
        return false;
    }
    return true;
}

// Finds the lowest number with no link yet; symlink() itself is the test, so two simulators
// starting together cannot take the same number.
std::optional<int> LinkLowestFree(const std::string& folder, const std::string& target,
                                  std::string* error) {
    for (int n = link::ComNumbers.Lowest; n <= link::ComNumbers.Highest; ++n) {
        const std::string linkPath = LinkPathFor(folder, n);
        if (symlink(target.c_str(), linkPath.c_str()) == 0) {
            return n;
        }
        if (errno != EEXIST) {
            *error = linkPath + ": " + ErrnoText(errno);
            return std::nullopt;
        }
    }
    *error = folder + ": no free COM number";
    return std::nullopt;
}

}  // namespace

bool PreparePrivateFolder(const std::string& folder, std::string* error) {
    const std::filesystem::path path(folder);
    std::filesystem::path partial;
    for (const auto& part : path) {
        partial /= part;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = partial.string() + ": " + ErrnoText(errno);
            return false;
        }
    }
    const link::FolderCheck check =
        link::CheckOwnFolder(folder, path.parent_path().string(), geteuid());
    *error = DistrustText(check);
    return check.Trust == link::FolderTrust::Own;
}

std::optional<ComRegistration> ComRegistration::Create(const std::string& folder,
                                                       std::optional<int> number,
                                                       const std::string& target,
                                                       std::string* error) {
    if (!PreparePrivateFolder(folder, error)) {
        return std::nullopt;
    }
    if (number) {
        const std::string linkPath = LinkPathFor(folder, *number);
        if (!LinkNamedNumber(linkPath, target, error)) {
            return std::nullopt;
        }
        return ComRegistration(*number, linkPath, target);
    }
    const std::optional<int> free = LinkLowestFree(folder, target, error);
    if (!free) {
        return std::nullopt;
    }
    return ComRegistration(*free, LinkPathFor(folder, *free), target);
}

ComRegistration::ComRegistration(int number, std::string linkPath, std::string target)
    : number_(number), linkPath_(std::move(linkPath)), target_(std::move(target)) {}

ComRegistration::ComRegistration(ComRegistration&& other) noexcept
    : number_(other.number_),
      linkPath_(std::exchange(other.linkPath_, {})),
      target_(std::exchange(other.target_, {})) {}

ComRegistration& ComRegistration::operator=(ComRegistration&& other) noexcept {
    if (this != &other) {
        Remove();
        number_ = other.number_;
        linkPath_ = std::exchange(other.linkPath_, {});
        target_ = std::exchange(other.target_, {});
    }
    return *this;
}

ComRegistration::~ComRegistration() {
    Remove();
}

void ComRegistration::Remove() {
    if (linkPath_.empty()) {
        return;
    }
    // Someone may have re-pointed the link at another device since; leave theirs alone.
    if (ReadLink(linkPath_) == target_) {
        unlink(linkPath_.c_str());
    }
    linkPath_.clear();
}

}  // namespace pelta::sim
