#include "cipher/file_checks.h"

#include <sys/stat.h>

#include <cerrno>

#include "cipher/layout.h"

namespace pelta::cipher::file_checks {

namespace {

namespace fs = std::filesystem;

FileOutcome Failed(FileFailure failure, int error = 0) {
    return {failure, error};
}

FileOutcome CheckInputSize(std::uint64_t size, bool decipher) {
    if (size == 0) {
        return Failed(FileFailure::InputEmpty);
    }
    if (!decipher) {
        return Failed(size > layout::kMaxDataSize ? FileFailure::InputTooLarge : FileFailure::None);
    }
    if (size > layout::EncipheredSize(layout::kMaxDataSize)) {
        return Failed(FileFailure::InputTooLarge);
    }
    return Failed(layout::IsPlausibleTotal(size) ? FileFailure::None
                                                 : FileFailure::InputNotWholeBlocks);
}

}  // namespace

FileOutcome OpenInput(const fs::path& path, bool decipher, InputFile& file, std::uint64_t& size) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return Failed(FileFailure::InputMissing);
    }
    if (error) {
        return Failed(FileFailure::InputUnreadable, error.value());
    }
    if (!fs::is_regular_file(status)) {
        return Failed(FileFailure::InputNotRegular);
    }
    file.reset(std::fopen(path.c_str(), "rbe"));
    struct stat opened {};
    if (!file || ::fstat(::fileno(file.get()), &opened) != 0) {
        return Failed(FileFailure::InputUnreadable, errno);
    }
    if (!S_ISREG(opened.st_mode)) {
        return Failed(FileFailure::InputNotRegular);  // swapped for something else meanwhile
    }
    size = static_cast<std::uint64_t>(opened.st_size);
    return CheckInputSize(size, decipher);
}

FileOutcome CheckOutput(const fs::path& path, bool overwrite) {
    std::error_code error;
    const fs::file_status own = fs::symlink_status(path, error);
    if (own.type() == fs::file_type::not_found) {
        return {};
    }
    if (error) {
        return Failed(FileFailure::OutputNotCreated, error.value());
    }
    if (fs::is_symlink(own)) {
        // A dangling link (or one that loops) is an existing output all the same.
        const fs::file_status target = fs::status(path, error);
        if (fs::exists(target) && !fs::is_regular_file(target)) {
            return Failed(FileFailure::OutputNotRegular);
        }
    } else if (!fs::is_regular_file(own)) {
        return Failed(FileFailure::OutputNotRegular);
    }
    return Failed(overwrite ? FileFailure::None : FileFailure::OutputExists);
}

}  // namespace pelta::cipher::file_checks
