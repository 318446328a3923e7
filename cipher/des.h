#pragma once
// clsDES: a DES cipher (FIPS 46-3) for byte arrays, texts and files. Data is enciphered in CBC
// mode with an all-zero initial chaining value, behind a 12-byte header (two random values and
// the data size) and zero padding to whole 8-byte blocks. Texts are 8-bit strings in the
// program's code page (Windows-1251); keys are texts too.
//
// The block function works on 32-bit halves with tables built at compile time; the round keys
// are made once per key, so that a block costs no allocation.

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/des_core.h"
#include "cipher/des_error.h"
#include "cipher/file_failure.h"
#include "cipher/text_buffer.h"

namespace pelta::cipher {

using ByteArray = std::vector<std::uint8_t>;

class clsDES {
  public:
    clsDES();
    ~clsDES();
    clsDES(const clsDES&) = delete;
    clsDES& operator=(const clsDES&) = delete;

    // For every operation: an empty key keeps the key in force, any other is set first.

    // Enciphers in place: header, data, padding; the result is 8 * ceil((N + 12) / 8) bytes.
    void EncryptByte(ByteArray& byteArray, const std::string& key = {});
    // Deciphers in place and trims to the data. Throws DesError (the array then stays
    // deciphered and untrimmed) when the data holds no valid size descriptor: a wrong key,
    // corrupt data, fewer than 16 bytes or a length that is not a multiple of 8. Empty data
    // stays empty.
    void DecryptByte(ByteArray& byteArray, const std::string& key = {});
    // Whole-file operations; false on any failure, and then OutFile is left as it was.
    // OutFile must be a regular file, a link to one or a dangling link (replaced itself, never
    // what it points at), or not exist; LastFileOutcome() then says what failed.
    bool EncryptFile(const std::filesystem::path& InFile, const std::filesystem::path& OutFile,
                     bool Overwrite, const std::string& key = {});
    bool DecryptFile(const std::filesystem::path& InFile, const std::filesystem::path& OutFile,
                     bool Overwrite, const std::string& key = {});
    std::string EncryptString(const std::string& Text, const std::string& key = {},
                              bool OutputInHex = false);
    // Passes DesError on, like DecryptByte.
    std::string DecryptString(const std::string& Text, const std::string& key = {},
                              bool IsTextInHex = false);
    FileOutcome LastFileOutcome() const { return LastFile; }
    // Write-only key property; setting the text already in force does nothing.
    void key(const std::string& New_Value);

    // Progress event, 0 to 100, raised inside EncryptByte and DecryptByte (and so inside the
    // string and file operations).
    std::function<void(std::int32_t)> Progress;

  private:
    friend struct clsDESTestAccess;
    friend class CbcRun;

    void EncipherBlock(std::span<std::uint8_t, 8> block);
    void DecipherBlock(std::span<std::uint8_t, 8> block);
    void ApplyKey(const std::string& key);

    std::string HexEncode(std::string_view text);
    std::string HexDecode(std::string_view text);

    // Both throw on failure; the caller turns what they throw into a FileOutcome.
    void StreamEncrypt(std::FILE* in, std::uint64_t size, const std::filesystem::path& outFile);
    void StreamDecrypt(std::FILE* in, std::uint64_t size, const std::filesystem::path& outFile);
    FileOutcome RunFileOperation(const std::filesystem::path& InFile,
                                 const std::filesystem::path& OutFile, bool Overwrite,
                                 const std::string& key, bool decipher);

    std::string KeyText;
    core::KeySchedule Schedule;  // of KeyText; of the all-zero key until a key is set
    GrowingTextBuffer TextBuffer;
    FileOutcome LastFile;
};

}  // namespace pelta::cipher
