#include "cipher/replacing_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "cipher/random_source.h"

namespace pelta::cipher {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target, unsigned attempt) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about "." + std::string.
    std::string name(1, '.');
    name.append(target.filename().string());
    name.append(1, '.');
    name.append(std::to_string(RandomHeaderValue()));
    name.append(1, '.');
    name.append(std::to_string(attempt));
    name.append(".tmp");
    return target.parent_path() / name;
}

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target) : Target(std::move(target)) {
    // "x": never open an existing file; a clash with another name just tries again.
    for (unsigned attempt = 0; attempt < 16 && File == nullptr; ++attempt) {
        Temporary = TemporaryBeside(Target, attempt);
        File = std::fopen(Temporary.c_str(), "wbx");
        if (File == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (File == nullptr) {
        Fail("create temporary file");
    }
}

ReplacingFile::~ReplacingFile() {
    if (File != nullptr) {
        std::fclose(File);
    }
    if (!Committed) {
        std::error_code ignored;
        std::filesystem::remove(Temporary, ignored);
    }
}

void ReplacingFile::Write(const std::uint8_t* data, std::size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, File) != size) {
        Fail("write");
    }
}

void ReplacingFile::Commit() {
    if (std::fflush(File) != 0 || ::fsync(::fileno(File)) != 0) {
        Fail("flush");
    }
    const int closed = std::fclose(File);
    File = nullptr;
    if (closed != 0) {
        Fail("close");
    }
    std::filesystem::rename(Temporary, Target);
    Committed = true;
}

}  // namespace pelta::cipher
