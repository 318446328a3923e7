#pragma once
// Test seam into clsDES and the OpenSSL reference DES.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/des.h"

namespace pelta::cipher {

struct clsDESTestAccess {
    static void Encipher(clsDES& des, std::array<std::uint8_t, 8>& block) {
        des.EncipherBlock(block);
    }
    static void Decipher(clsDES& des, std::array<std::uint8_t, 8>& block) {
        des.DecipherBlock(block);
    }
    static void UseShuffles(clsDES& des, bool on) { des.UseShuffles = on; }
    static auto& SubKeys(clsDES& des) { return des.SubKeys; }
    static const auto& SBoxBits(const clsDES& des) { return des.SBoxBits; }
    static const auto& IP(const clsDES& des) { return des.IP; }
    static const auto& IPInverse(const clsDES& des) { return des.IPInverse; }
    static void Unpack(const std::uint8_t* bytes, std::size_t n, std::uint8_t* bits) {
        clsDES::UnpackBits(bytes, n, bits);
    }
    static void Pack(const std::uint8_t* bits, std::size_t n, std::uint8_t* bytes) {
        clsDES::PackBits(bits, n, bytes);
    }
    static std::string HexEncode(clsDES& des, std::string_view text) { return des.HexEncode(text); }
    static std::string HexDecode(clsDES& des, std::string_view text) { return des.HexDecode(text); }
    static GrowingTextBuffer& TextBuffer(clsDES& des) { return des.TextBuffer; }
    static bool PathExists(const std::filesystem::path& path) { return clsDES::PathExists(path); }
};

}  // namespace pelta::cipher

namespace pelta::cipher::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(std::string_view hex);
std::string ToHex(const Bytes& bytes);
Bytes ToBytes(std::string_view text);
// The key text as DES key bytes: zero-padded or cut to eight.
std::array<std::uint8_t, 8> KeyBytes(std::string_view keyText);

// OpenSSL's DES, the reference: CBC with a zero IV and no padding (data in whole blocks).
Bytes ReferenceCbcEncrypt(std::string_view keyText, const Bytes& data);
Bytes ReferenceCbcDecrypt(std::string_view keyText, const Bytes& data);

// Random bytes from a fixed seed, so that failures repeat.
Bytes SeededBytes(std::size_t size, std::uint32_t seed);

// The layout EncryptByte makes before enciphering, built independently.
Bytes PlainLayout(std::uint32_t random1, std::uint32_t random2, std::int32_t sizeField,
                  const Bytes& data);

// Records every Progress event of one instance.
struct ProgressRecorder {
    std::vector<std::int32_t> Events;
    void Attach(clsDES& des) {
        des.Progress = [this](std::int32_t percent) { Events.push_back(percent); };
    }
};

}  // namespace pelta::cipher::testing
