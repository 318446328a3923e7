#define OPENSSL_SUPPRESS_DEPRECATED  // single DES is the reference here, deprecated or not
#include "des_test_support.h"

#include <openssl/des.h>

#include <random>
#include <stdexcept>

namespace pelta::cipher::testing {

Bytes FromHex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(
            static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

std::string ToHex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

Bytes ToBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

std::array<std::uint8_t, 8> KeyBytes(std::string_view keyText) {
    std::array<std::uint8_t, 8> key{};
    for (std::size_t i = 0; i < key.size() && i < keyText.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(keyText[i]);
    }
    return key;
}

namespace {

Bytes ReferenceCbc(std::string_view keyText, const Bytes& data, int direction) {
    if (data.size() % 8 != 0) {
        throw std::invalid_argument("reference CBC takes whole blocks");
    }
    DES_cblock keyBlock;
    const auto key = KeyBytes(keyText);
    std::copy(key.begin(), key.end(), keyBlock);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&keyBlock, &schedule);
    DES_cblock iv = {0, 0, 0, 0, 0, 0, 0, 0};
    Bytes out(data.size());
    if (!data.empty()) {
        DES_ncbc_encrypt(data.data(), out.data(), static_cast<long>(data.size()), &schedule, &iv,
                         direction);
    }
    return out;
}

}  // namespace

Bytes ReferenceCbcEncrypt(std::string_view keyText, const Bytes& data) {
    return ReferenceCbc(keyText, data, DES_ENCRYPT);
}

Bytes ReferenceCbcDecrypt(std::string_view keyText, const Bytes& data) {
    return ReferenceCbc(keyText, data, DES_DECRYPT);
}

Bytes SeededBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes out(size);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(generator());
    }
    return out;
}

Bytes PlainLayout(std::uint32_t random1, std::uint32_t random2, std::int32_t sizeField,
                  const Bytes& data) {
    Bytes out;
    for (const std::uint32_t v : {random1, random2, static_cast<std::uint32_t>(sizeField)}) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    out.insert(out.end(), data.begin(), data.end());
    while (out.size() % 8 != 0) {
        out.push_back(0);
    }
    return out;
}

}  // namespace pelta::cipher::testing
