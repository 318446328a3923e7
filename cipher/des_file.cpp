// File operations of clsDES. They stream through a bounded buffer, so a file of any size
// needs the same memory, and give the bytes and Progress events of EncryptByte/DecryptByte
// on the whole file.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

#include "cipher/cbc_run.h"
#include "cipher/des.h"
#include "cipher/file_checks.h"
#include "cipher/layout.h"
#include "cipher/replacing_file.h"

namespace pelta::cipher {

namespace {

constexpr std::size_t kChunkSize = layout::kFileChunkSize;

// Ends a streaming pass with the reason it failed.
struct FileOutcomeError {
    FileOutcome Outcome;
};

void ReadExactly(std::FILE* in, std::uint8_t* into, std::size_t size) {
    if (std::fread(into, 1, size, in) != size) {
        throw FileOutcomeError{std::ferror(in) ? FileOutcome{FileFailure::InputUnreadable, errno}
                                               : FileOutcome{FileFailure::InputChanged}};
    }
}

ReplacingFile CreateOutput(const std::filesystem::path& outFile) {
    try {
        return ReplacingFile(outFile);
    } catch (const std::system_error& error) {
        throw FileOutcomeError{{FileFailure::OutputNotCreated, error.code().value()}};
    }
}

}  // namespace

bool clsDES::EncryptFile(const std::filesystem::path& InFile, const std::filesystem::path& OutFile,
                         bool Overwrite, const std::string& key) {
    LastFile = RunFileOperation(InFile, OutFile, Overwrite, key, false);
    return LastFile.Failure == FileFailure::None;
}

bool clsDES::DecryptFile(const std::filesystem::path& InFile, const std::filesystem::path& OutFile,
                         bool Overwrite, const std::string& key) {
    LastFile = RunFileOperation(InFile, OutFile, Overwrite, key, true);
    return LastFile.Failure == FileFailure::None;
}

FileOutcome clsDES::RunFileOperation(const std::filesystem::path& InFile,
                                     const std::filesystem::path& OutFile, bool Overwrite,
                                     const std::string& key, bool decipher) {
    // Whatever goes wrong, OutFile is as it was and no temporary file stays behind.
    try {
        file_checks::InputFile in;
        std::uint64_t size = 0;
        if (const FileOutcome opened = file_checks::OpenInput(InFile, decipher, in, size);
            opened.Failure != FileFailure::None) {
            return opened;
        }
        if (const FileOutcome output = file_checks::CheckOutput(OutFile, Overwrite);
            output.Failure != FileFailure::None) {
            return output;
        }
        ApplyKey(key);
        decipher ? StreamDecrypt(in.get(), size, OutFile) : StreamEncrypt(in.get(), size, OutFile);
        return {};
    } catch (const FileOutcomeError& error) {
        return error.Outcome;
    } catch (const DesError&) {
        return {FileFailure::WrongKeyOrDamagedHeader};
    } catch (const std::system_error& error) {
        return {FileFailure::OutputNotWritten, error.code().value()};
    } catch (const std::bad_alloc&) {
        return {FileFailure::OutputNotWritten, ENOMEM};
    }
}

void clsDES::StreamEncrypt(std::FILE* in, std::uint64_t size,
                           const std::filesystem::path& outFile) {
    std::vector<std::uint8_t> buffer(kChunkSize);
    layout::WriteHeader(buffer.data(), static_cast<std::uint32_t>(size));
    std::size_t pending = layout::kHeaderSize;
    std::uint64_t remaining = size;
    ReplacingFile out = CreateOutput(outFile);
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
        throw FileOutcomeError{{FileFailure::InputChanged}};
    }
    run.Finish();
    out.Commit();
}

void clsDES::StreamDecrypt(std::FILE* in, std::uint64_t size,
                           const std::filesystem::path& outFile) {
    std::vector<std::uint8_t> buffer(kChunkSize);
    auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, size));
    ReadExactly(in, buffer.data(), chunk);
    CbcRun run(*this, size, true);
    run.Process(buffer.data(), chunk);
    // Checked before anything is written: a wrong key or corrupt data leaves OutFile alone.
    std::uint64_t unwritten = layout::ReadDataSize(buffer.data(), size);
    ReplacingFile out = CreateOutput(outFile);
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
}

}  // namespace pelta::cipher
