#include "tools/des/whole_data.h"

#include <cerrno>
#include <new>
#include <optional>
#include <system_error>

#include "cipher/file_checks.h"
#include "cipher/layout.h"
#include "cipher/replacing_file.h"

namespace pelta::des_tool {

namespace {

using cipher::ByteArray;
using cipher::FileFailure;
using cipher::FileOutcome;

struct Failed {
    FileOutcome Outcome;
};

ByteArray ReadAll(std::FILE* in, std::uint64_t limit) {
    ByteArray data;
    ByteArray chunk(std::size_t{1} << 16);
    std::size_t got = 0;
    do {
        got = std::fread(chunk.data(), 1, chunk.size(), in);
        data.insert(data.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
        if (data.size() > limit) {
            throw Failed{{FileFailure::InputTooLarge}};
        }
    } while (got == chunk.size());
    if (std::ferror(in)) {
        throw Failed{{FileFailure::InputUnreadable, errno}};
    }
    return data;
}

// Made before standard input is read, so that an output that cannot be written is said at
// once, not after all the data has come.
std::optional<cipher::ReplacingFile> PrepareOutput(const std::string& out, bool overwrite) {
    if (out == "-") {
        return std::nullopt;
    }
    if (const FileOutcome checked = cipher::file_checks::CheckOutput(out, overwrite);
        checked.Failure != FileFailure::None) {
        throw Failed{checked};
    }
    try {
        return std::optional<cipher::ReplacingFile>(std::in_place, out);
    } catch (const std::system_error& error) {
        throw Failed{{FileFailure::OutputNotCreated, error.code().value()}};
    }
}

FileOutcome Run(cipher::clsDES& des, const std::string& key, bool decipher, const std::string& in,
                const std::string& out, bool overwrite, std::FILE* standardInput,
                std::FILE* standardOutput) {
    cipher::file_checks::InputFile file;
    std::uint64_t size = 0;
    if (in != "-") {
        const FileOutcome opened = cipher::file_checks::OpenInput(in, decipher, file, size);
        // No enciphered data is empty, but empty data enciphers to a header of its own.
        if (opened.Failure != FileFailure::None &&
            (decipher || opened.Failure != FileFailure::InputEmpty)) {
            return opened;
        }
    }
    std::optional<cipher::ReplacingFile> output = PrepareOutput(out, overwrite);
    const std::uint64_t limit = decipher
                                    ? cipher::layout::EncipheredSize(cipher::layout::kMaxDataSize)
                                    : cipher::layout::kMaxDataSize;
    ByteArray data = ReadAll(file ? file.get() : standardInput, limit);
    if (file && data.size() != size) {
        return {FileFailure::InputChanged};
    }
    if (decipher && !cipher::layout::IsPlausibleTotal(data.size())) {
        return {FileFailure::InputNotWholeBlocks};
    }
    decipher ? des.DecryptByte(data, key) : des.EncryptByte(data, key);
    if (output) {
        output->Write(data.data(), data.size());
        output->Commit();
    } else {
        std::fwrite(data.data(), 1, data.size(), standardOutput);  // its caller checks it
    }
    return {};
}

}  // namespace

FileOutcome CipherWholeData(cipher::clsDES& des, const std::string& key, bool decipher,
                            const std::string& in, const std::string& out, bool overwrite,
                            std::FILE* standardInput, std::FILE* standardOutput) {
    try {
        return Run(des, key, decipher, in, out, overwrite, standardInput, standardOutput);
    } catch (const Failed& failed) {
        return failed.Outcome;
    } catch (const cipher::DesError&) {
        return {FileFailure::WrongKeyOrDamagedHeader};
    } catch (const std::system_error& error) {
        return {FileFailure::OutputNotWritten, error.code().value()};
    } catch (const std::bad_alloc&) {
        return {FileFailure::OutputNotWritten, ENOMEM};
    }
}

}  // namespace pelta::des_tool
