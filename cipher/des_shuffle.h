#pragma once
// The byte-shuffle (SSSE3) form of the DES block function. The masks are derived from the
// instance's permutation tables and the fixed E and P wiring when the instance is created;
// the block function itself is chosen at run time, so the program still runs on a processor
// without SSSE3.

#include <array>
#include <cstdint>

namespace pelta::cipher {

struct ShuffleMasks {
    // E for two S-box groups from a 16-byte window of R: 6 bytes then 2 zero bytes, twice.
    alignas(16) std::array<std::uint8_t, 16> Expansion{};
    // P: output half o takes lanes from S bytes 0-15 (Permutation[o][0]) and 16-31 ([o][1]).
    alignas(16) std::array<std::array<std::array<std::uint8_t, 16>, 2>, 2> Permutation{};
    // IP fused with unpacking: lane i of quarter q reads block byte Source and tests Bit.
    alignas(16) std::array<std::array<std::uint8_t, 16>, 4> InitialSource{};
    alignas(16) std::array<std::array<std::uint8_t, 16>, 4> InitialBit{};
    // IP^-1 fused with packing: output quarter q gathers from pre-output quarter s.
    alignas(16) std::array<std::array<std::array<std::uint8_t, 16>, 4>, 4> Final{};
};

void BuildShuffleMasks(ShuffleMasks& masks, const std::array<std::uint8_t, 64>& ip,
                       const std::array<std::uint8_t, 64>& ipInverse);

// True when this processor can run ShuffledBlock.
bool ShufflesSupported();

// Enciphers (or deciphers) the 8 bytes in place under the wide round keys.
void ShuffledBlock(const ShuffleMasks& masks,
                   const std::array<std::array<std::uint8_t, 64>, 16>& wideSubKeys,
                   const std::uint8_t* sboxBits, bool decipher, std::uint8_t* block);

}  // namespace pelta::cipher
