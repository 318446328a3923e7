// File operations of clsDES. They stream through a bounded buffer, so a file of any size
// needs the same memory, and give the bytes and Progress events of EncryptByte/DecryptByte
// on the whole file.

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "cipher/cbc_run.h"
#include "cipher/des.h"
#include "cipher/layout.h"
#include "cipher/replacing_file.h"

namespace pelta::cipher {

namespace {

constexpr std::size_t kChunkSize = layout::kFileChunkSize;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

void ReadExactly(std::FILE* in, std::uint8_t* into, std::size_t size) {
    if (std::fread(into, 1, size, in) != size) {
        throw std::runtime_error("input file changed or could not be read");
    }
}

}  // namespace

bool clsDES::PathExists(const std::filesystem::path& path) {
    std::error_code error;
    static_cast<void>(std::filesystem::file_size(path, error));
    return !error;
}

bool clsDES::EncryptFile(const std::filesystem::path& InFile, const std::filesystem::path& OutFile,
                         bool Overwrite, const std::string& key) {
    return RunFileOperation(InFile, OutFile, Overwrite, key, false);
}

bool clsDES::DecryptFile(const std::filesystem::path& InFile, const std::filesystem::path& OutFile,
                         bool Overwrite, const std::string& key) {
    return RunFileOperation(InFile, OutFile, Overwrite, key, true);
}

bool clsDES::RunFileOperation(const std::filesystem::path& InFile,
                              const std::filesystem::path& OutFile, bool Overwrite,
                              const std::string& key, bool decipher) {
    try {
        if (!PathExists(InFile)) {
            return false;
        }
        if (PathExists(OutFile) && !Overwrite) {
            return false;
        }
        ApplyKey(key);
        const InputFile in(std::fopen(InFile.c_str(), "rb"));
        if (!in) {
            return false;
        }
        const std::uint64_t size = std::filesystem::file_size(InFile);
        if (size == 0) {
            return false;
        }
        return decipher ? StreamDecrypt(in.get(), size, OutFile)
                        : StreamEncrypt(in.get(), size, OutFile);
    } catch (...) {
        // Whatever went wrong, the caller gets false and OutFile is as it was.
        return false;
    }
}

bool clsDES::StreamEncrypt(std::FILE* in, std::uint64_t size,
                           const std::filesystem::path& outFile) {
    if (size > layout::kMaxDataSize) {
        return false;
    }
    std::vector<std::uint8_t> buffer(kChunkSize);
    layout::WriteHeader(buffer.data(), static_cast<std::uint32_t>(size));
    std::size_t pending = layout::kHeaderSize;
    std::uint64_t remaining = size;
    ReplacingFile out(outFile);
    CbcRun run(*this, layout::EncipheredSize(size), false);
    for (;;) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize - pending, remaining));
        ReadExactly(in, buffer.data() + pending, want);
        pending += want;
        remaining -= want;
        if (remaining == 0) {
            const std::size_t padded = (pending + 7) / 8 * 8;
            std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(pending),
                      buffer.begin() + static_cast<std::ptrdiff_t>(padded), std::uint8_t{0});
            run.Process(buffer.data(), padded);
            out.Write(buffer.data(), padded);
            break;
        }
        const std::size_t whole = pending / 8 * 8;
        run.Process(buffer.data(), whole);
        out.Write(buffer.data(), whole);
        std::memmove(buffer.data(), buffer.data() + whole, pending - whole);
        pending -= whole;
    }
    if (std::fgetc(in) != EOF) {
        return false;  // the file grew while it was read
    }
    run.Finish();
    out.Commit();
    return true;
}

bool clsDES::StreamDecrypt(std::FILE* in, std::uint64_t size,
                           const std::filesystem::path& outFile) {
    if (!layout::IsPlausibleTotal(size)) {
        return false;
    }
    std::vector<std::uint8_t> buffer(kChunkSize);
    auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, size));
    ReadExactly(in, buffer.data(), chunk);
    CbcRun run(*this, size, true);
    run.Process(buffer.data(), chunk);
    // Checked before anything is written: a wrong key or corrupt data leaves OutFile alone.
    std::uint64_t unwritten = layout::ReadDataSize(buffer.data(), size);
    ReplacingFile out(outFile);
    std::size_t first = layout::kHeaderSize;
    std::uint64_t read = chunk;
    for (;;) {
        const auto take =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk - first, unwritten));
        out.Write(buffer.data() + first, take);
        unwritten -= take;
        if (read == size) {
            break;
        }
        chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, size - read));
        ReadExactly(in, buffer.data(), chunk);
        run.Process(buffer.data(), chunk);
        read += chunk;
        first = 0;
    }
    run.Finish();
    out.Commit();
    return true;
}

}  // namespace pelta::cipher
