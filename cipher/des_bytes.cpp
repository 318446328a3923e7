// Byte-array and text operations of clsDES.

#include <cstring>
#include <stdexcept>

#include "cipher/cbc_run.h"
#include "cipher/des.h"
#include "cipher/layout.h"

namespace pelta::cipher {

void clsDES::EncryptByte(ByteArray& byteArray, const std::string& key) {
    ApplyKey(key);
    const std::uint64_t size = byteArray.size();
    if (size > layout::kMaxDataSize) {
        throw std::length_error("DES data larger than its 32-bit size descriptor");
    }
    const std::uint64_t total = layout::EncipheredSize(size);
    byteArray.resize(total);
    std::memmove(byteArray.data() + layout::kHeaderSize, byteArray.data(), size);
    layout::WriteHeader(byteArray.data(), static_cast<std::uint32_t>(size));
    CbcRun run(*this, total, false);
    run.Process(byteArray.data(), total);
    run.Finish();
}

void clsDES::DecryptByte(ByteArray& byteArray, const std::string& key) {
    ApplyKey(key);
    const std::uint64_t total = byteArray.size();
    if (total == 0) {
        return;
    }
    CbcRun run(*this, total, true);
    // A trailing partial block is left as it is: no valid layout has one, and ReadDataSize
    // reports it.
    run.Process(byteArray.data(), total - total % layout::kBlockSize);
    const std::uint32_t size = layout::ReadDataSize(byteArray.data(), total);
    std::memmove(byteArray.data(), byteArray.data() + layout::kHeaderSize, size);
    byteArray.resize(size);
    run.Finish();
}

std::string clsDES::EncryptString(const std::string& Text, const std::string& key,
                                  bool OutputInHex) {
    ByteArray data(Text.begin(), Text.end());
    EncryptByte(data, key);
    std::string result(data.begin(), data.end());
    return OutputInHex ? HexEncode(result) : result;
}

std::string clsDES::DecryptString(const std::string& Text, const std::string& key,
                                  bool IsTextInHex) {
    const std::string raw = IsTextInHex ? HexDecode(Text) : Text;
    ByteArray data(raw.begin(), raw.end());
    DecryptByte(data, key);
    return std::string(data.begin(), data.end());
}

std::string clsDES::HexEncode(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    TextBuffer.Reset();
    for (const char c : text) {
        const auto value = static_cast<unsigned char>(c);
        const char pair[2] = {kDigits[value >> 4], kDigits[value & 15]};
        TextBuffer.Append(std::string_view(pair, 2));
    }
    std::string result = TextBuffer.Read();
    TextBuffer.Reset();
    return result;
}

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string clsDES::HexDecode(std::string_view text) {
    TextBuffer.Reset();
    for (std::size_t at = 0; at < text.size(); at += 2) {
        // Reading stops at the first character that is no hexadecimal digit.
        int value = 0;
        for (const char c : text.substr(at, 2)) {
            const int digit = HexDigitValue(c);
            if (digit < 0) {
                break;
            }
            value = value * 16 + digit;
        }
        const char byte = static_cast<char>(value);
        TextBuffer.Append(std::string_view(&byte, 1));
    }
    std::string result = TextBuffer.Read();
    TextBuffer.Reset();
    return result;
}

}  // namespace pelta::cipher
