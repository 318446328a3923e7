#include "link/private_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace pelta::link {
namespace {

namespace fs = std::filesystem;

FolderCheck CheckOne(const fs::path& path, uid_t owner) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        const int error = errno;
        return {error == ENOENT ? FolderTrust::Missing : FolderTrust::Unreadable, path.string(),
                error};
    }
    if (!S_ISDIR(info.st_mode)) {
        return {FolderTrust::NotADirectory, path.string(), 0};
    }
    if (info.st_uid != owner) {
        return {FolderTrust::ForeignOwner, path.string(), 0};
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return {FolderTrust::WritableByOthers, path.string(), 0};
    }
    return {};
}

// "a/./b/" -> "a/b": one spelling per folder, so the climb can stop at top.
fs::path Normal(const std::string& text) {
    fs::path path = fs::path(text).lexically_normal();
    return path.has_filename() || !path.has_parent_path() ? path : path.parent_path();
}

// top lies on folder's way to the root: /tmp/pelta-0 above /tmp/pelta-0/serialcomm.
bool IsAbove(const fs::path& top, const fs::path& folder) {
    const auto [topEnd, folderAt] =
        std::mismatch(top.begin(), top.end(), folder.begin(), folder.end());
    return topEnd == top.end() && folderAt != folder.end();
}

}  // namespace

FolderCheck CheckOwnFolder(const std::string& folder, const std::string& top, uid_t owner) {
    fs::path path = Normal(folder);
    const fs::path last = Normal(top);
    const bool climb = !top.empty() && IsAbove(last, path);
    for (;;) {
        const FolderCheck check = CheckOne(path, owner);
        if (check.Trust != FolderTrust::Own || !climb || path == last) {
            return check;
        }
        path = path.parent_path();
    }
}

}  // namespace pelta::link
