#pragma once
// Test seam into clsDES and the OpenSSL reference DES.

#define OPENSSL_SUPPRESS_DEPRECATED  // single DES is the reference here, deprecated or not
#include <openssl/des.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/des.h"

namespace pelta::cipher {

struct clsDESTestAccess {
    static void Run(clsDES& des, std::array<std::uint8_t, 8>& block, bool decipher) {
        decipher ? des.DecipherBlock(block) : des.EncipherBlock(block);
    }
    static std::string HexDecode(clsDES& des, std::string_view text) { return des.HexDecode(text); }
};

}  // namespace pelta::cipher

namespace pelta::cipher::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes FromHex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(
            static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

// OpenSSL's DES, the reference: CBC with a zero IV over whole blocks, the key text zero-padded
// or cut to eight bytes.
inline Bytes ReferenceCbc(std::string_view keyText, const Bytes& data, bool encipher) {
    DES_cblock key = {0, 0, 0, 0, 0, 0, 0, 0};
    std::copy_n(keyText.begin(), std::min<std::size_t>(8, keyText.size()), key);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    DES_cblock iv = {0, 0, 0, 0, 0, 0, 0, 0};
    Bytes out(data.size());
    DES_ncbc_encrypt(data.data(), out.data(), static_cast<long>(data.size() / 8 * 8), &schedule,
                     &iv, encipher ? DES_ENCRYPT : DES_DECRYPT);
    return out;
}

// Random bytes from a fixed seed, so that failures repeat.
inline Bytes SeededBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes out(size);
    std::generate(out.begin(), out.end(), [&] { return static_cast<std::uint8_t>(generator()); });
    return out;
}

// The layout EncryptByte makes before enciphering, built independently.
inline Bytes PlainLayout(std::int32_t sizeField, const Bytes& data) {
    Bytes out = {0x12, 0x34, 0x56, 0x07, 0x65, 0x43, 0x21, 0x00};
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(sizeField) >> (8 * i)));
    }
    out.insert(out.end(), data.begin(), data.end());
    out.resize((out.size() + 7) / 8 * 8);
    return out;
}

}  // namespace pelta::cipher::testing
