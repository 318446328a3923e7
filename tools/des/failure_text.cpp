#include "tools/des/failure_text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace pelta::des_tool {

namespace {

using cipher::FileFailure;

std::string FolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

bool IsDiskFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

std::string NotCreatedText(int error, const std::string& out) {
    if (IsDiskFull(error)) {
        return "disk full: no room for " + out;
    }
    if (error == ENOENT || error == ENOTDIR) {
        return "output folder does not exist: " + FolderOf(out);
    }
    return "output folder is not writable: " + FolderOf(out) + " (" + std::strerror(error) + ")";
}

std::string NotWrittenText(int error, const std::string& out) {
    const std::string unchanged = "; " + out + " was not changed";
    if (IsDiskFull(error)) {
        return "disk full while writing " + out + unchanged;
    }
    if (error == EFBIG) {
        return "file size limit reached while writing " + out + unchanged;
    }
    return "could not write " + out + ": " + std::strerror(error) + unchanged;
}

}  // namespace

std::string FileFailureText(const cipher::FileOutcome& outcome, bool decipher,
                            const std::string& in, const std::string& out) {
    switch (outcome.Failure) {
        case FileFailure::None:
            return {};
        case FileFailure::InputMissing:
            return "input file not found: " + in;
        case FileFailure::InputNotRegular:
            return "input is not a regular file: " + in;
        case FileFailure::InputUnreadable:
            return "cannot read input file " + in + ": " + std::strerror(outcome.Errno);
        case FileFailure::InputEmpty:
            return "input file is empty: " + in;
        case FileFailure::InputTooLarge:
            return decipher ? "input file is too large to be encrypted data: " + in
                            : "input file is too large (at most 2147483647 bytes): " + in;
        case FileFailure::InputNotWholeBlocks:
            return "not encrypted data, or cut short (not whole 8-byte blocks): " + in;
        case FileFailure::InputChanged:
            return "input file changed while it was read: " + in;
        case FileFailure::OutputExists:
            return "output file exists (use --overwrite to replace it): " + out;
        case FileFailure::OutputNotRegular:
            return "output is not a regular file (a directory, device or FIFO): " + out;
        case FileFailure::OutputNotCreated:
            return NotCreatedText(outcome.Errno, out);
        case FileFailure::OutputNotWritten:
            return NotWrittenText(outcome.Errno, out);
        case FileFailure::WrongKeyOrDamagedHeader:
            return "could not decrypt " + in + ": wrong key, or its header is damaged";
    }
    return "failed";
}

}  // namespace pelta::des_tool
