#pragma once
// The checks the file operations make before anything is read or written.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "cipher/file_failure.h"

namespace pelta::cipher::file_checks {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular, non-empty input file and gives its size; `decipher` asks for a size that
// enciphered data can have.
FileOutcome OpenInput(const std::filesystem::path& path, bool decipher, InputFile& file,
                      std::uint64_t& size);

// Only a regular file, a link to one or a dangling link may be replaced, and only with
// `overwrite`: a link is replaced itself, never what it points at.
FileOutcome CheckOutput(const std::filesystem::path& path, bool overwrite);

}  // namespace pelta::cipher::file_checks
