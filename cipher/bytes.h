#pragma once
// Little-endian word access to byte arrays, and the arithmetic gather of bit-bytes.

#include <bit>
#include <cstdint>
#include <cstring>

namespace pelta::cipher::bytes {

inline std::uint64_t LoadLE64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) {
        v = __builtin_bswap64(v);
    }
    return v;
}

inline void StoreLE64(std::uint8_t* p, std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::big) {
        v = __builtin_bswap64(v);
    }
    std::memcpy(p, &v, sizeof v);
}

inline std::uint32_t LoadLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void StoreLE32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// Bytes 0 to 5 of v are bit-bytes (0 or 1); returns them as bits 0 to 5. The multiplier
// moves byte i's bit to bit 56 + i, and no two partial products meet, so nothing carries.
inline unsigned GatherSixBits(std::uint64_t v) {
    return static_cast<unsigned>((v * 0x0102040810204080ull) >> 56) & 63u;
}

}  // namespace pelta::cipher::bytes
