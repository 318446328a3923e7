#pragma once
// The DES block function on 32-bit halves and CBC over runs of whole blocks. Blocks are bytes
// in memory order; a chaining value is the 8 bytes of the previous ciphertext block, held in a
// 64-bit word as they lie in memory.

#include <array>
#include <cstddef>
#include <cstdint>

namespace pelta::cipher::core {

// Round keys of one key in the order the rounds take them, two words per round: the six-bit
// groups of S-boxes 1, 3, 5, 7 and then of 2, 4, 6, 8, at bits 24, 16, 8 and 0.
struct KeySchedule {
    std::array<std::uint32_t, 32> Encipher{};
    std::array<std::uint32_t, 32> Decipher{};
};

// The key's eight bytes; the lowest bit of each (parity) plays no part.
KeySchedule MakeSchedule(const std::array<std::uint8_t, 8>& key);

// One block in place, with no chaining.
void EncipherBlock(const KeySchedule& schedule, std::uint8_t* block);
void DecipherBlock(const KeySchedule& schedule, std::uint8_t* block);

// CBC over `blocks` blocks in place; `chain` is the ciphertext block before them and becomes
// the last ciphertext block. Deciphering takes several blocks through the rounds side by side.
void CbcEncipher(const KeySchedule& schedule, std::uint8_t* data, std::size_t blocks,
                 std::uint64_t& chain);
void CbcDecipher(const KeySchedule& schedule, std::uint8_t* data, std::size_t blocks,
                 std::uint64_t& chain);

// How many blocks CbcDecipher takes side by side.
inline constexpr std::size_t kInterleave = 4;

}  // namespace pelta::cipher::core
