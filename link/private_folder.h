#pragma once
// Whether a folder is the user's own: it and every folder above it up to a top folder are real
// directories (not links) owned by the user and writable by nobody else. Only such a folder may
// hold COM<n> links: under /tmp another local user could create it first and point the links at
// devices of their choosing. Standard library and POSIX only: the simulator shares this file.

#include <sys/types.h>

#include <string>

namespace pelta::link {

enum class FolderTrust {
    Own,               // safe to use
    Missing,           // the folder does not exist
    Unreadable,        // lstat failed for another reason
    NotADirectory,     // a link, a file or anything but a directory
    ForeignOwner,      // owned by another user
    WritableByOthers,  // group or others may write to it
};

struct FolderCheck {
    FolderTrust Trust = FolderTrust::Own;
    std::string Path;  // the first folder that failed, empty when Own
    int Error = 0;     // errno of a failed lstat
};

// Checks folder, then each folder above it up to and including top (just folder itself when
// top is empty or not above it), as lstat sees them, against the expected owner.
FolderCheck CheckOwnFolder(const std::string& folder, const std::string& top, uid_t owner);

}  // namespace pelta::link
