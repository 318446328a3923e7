#pragma once
// Writes a file under a temporary name in the target's folder and puts it in the target's
// place only when it is complete: a failed write leaves the old file as it was.

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace pelta::cipher {

class ReplacingFile {
  public:
    // Creates the temporary file, readable by its owner only (it may hold deciphered data);
    // throws std::system_error when it cannot.
    explicit ReplacingFile(std::filesystem::path target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Throws std::system_error on a failed write.
    void Write(const std::uint8_t* data, std::size_t size);
    // Flushes the contents to disk and renames the file over the target; throws on failure.
    void Commit();

    const std::filesystem::path& TemporaryPath() const { return Temporary; }

  private:
    static mode_t ModeFromUmask();

    std::filesystem::path Target;
    std::filesystem::path Temporary;
    std::FILE* File = nullptr;
    bool Committed = false;
    bool Pending = false;  // holds the slot PendingTemporaryFile() reads
};

// The temporary file now being written, for a handler of SIGINT, SIGTERM or SIGHUP to unlink
// before the program ends; empty when there is none. It changes only while those signals are
// blocked, so such a handler always reads a whole path, and a file is never made or put in
// place unseen. One file at a time is watched: the first made while the slot is free.
const char* PendingTemporaryFile() noexcept;

}  // namespace pelta::cipher
