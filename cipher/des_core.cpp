// DES on 32-bit halves. A half is kept rotated left by one bit, so that every S-box's six input
// bits (E) lie side by side in it or in it rotated by four more; each S-box with P after it is
// one table of 64 ready words. IP and IP^-1 are sequences of swap-moves, checked against the
// published tables at compile time.

#include "cipher/des_core.h"

#include <bit>
#include <cstring>

#include "cipher/des_tables.h"

namespace pelta::cipher::core {

namespace {

using Word = std::uint32_t;

// Bit i of a word, counted as the standard does (bit 1 is the most significant), is bit 32 - i.
constexpr Word PermuteP(Word in) {
    Word out = 0;
    for (unsigned i = 0; i < 32; ++i) {
        out |= ((in >> (31 - tables::kPermutation[i])) & 1u) << (31 - i);
    }
    return out;
}

// S-box j with P after it, for six input bits b1..b6 (b1 the highest), as a rotated half.
constexpr auto kSPBoxes = [] {
    std::array<std::array<Word, 64>, 8> boxes{};
    for (unsigned j = 0; j < 8; ++j) {
        for (unsigned in = 0; in < 64; ++in) {
            const unsigned row = (in >> 4 & 2u) | (in & 1u);
            const unsigned column = in >> 1 & 15u;
            const Word out = Word{tables::kSBoxes[j][16 * row + column]} << (28 - 4 * j);
            boxes[j][in] = std::rotl(PermuteP(out), 1);
        }
    }
    return boxes;
}();

// Swaps the bits of b under mask with the bits of a under mask << shift.
constexpr void SwapMove(Word& a, Word& b, unsigned shift, Word mask) {
    const Word t = ((a >> shift) ^ b) & mask;
    b ^= t;
    a ^= t << shift;
}

// Block halves (first four bytes, last four, big-endian) to rotated L0 and R0.
constexpr void InitialPermutation(Word& left, Word& right) {
    SwapMove(left, right, 4, 0x0F0F0F0Fu);
    SwapMove(left, right, 16, 0x0000FFFFu);
    SwapMove(right, left, 2, 0x33333333u);
    SwapMove(right, left, 8, 0x00FF00FFu);
    right = std::rotl(right, 1);
    const Word t = (left ^ right) & 0xAAAAAAAAu;
    left ^= t;
    right ^= t;
    left = std::rotl(left, 1);
}

// The exact inverse: rotated halves back to block halves.
constexpr void FinalPermutation(Word& left, Word& right) {
    left = std::rotr(left, 1);
    const Word t = (left ^ right) & 0xAAAAAAAAu;
    left ^= t;
    right ^= t;
    right = std::rotr(right, 1);
    SwapMove(right, left, 8, 0x00FF00FFu);
    SwapMove(right, left, 2, 0x33333333u);
    SwapMove(left, right, 16, 0x0000FFFFu);
    SwapMove(left, right, 4, 0x0F0F0F0Fu);
}

constexpr std::uint64_t PermuteByTable(std::uint64_t in,
                                       const std::array<std::uint8_t, 64>& table) {
    std::uint64_t out = 0;
    for (unsigned i = 0; i < 64; ++i) {
        out |= ((in >> (64 - table[i])) & 1u) << (63 - i);
    }
    return out;
}

// The swap-moves are bit permutations, so agreeing on every single bit is agreeing everywhere.
constexpr bool SwapMovesMatchTheTables() {
    for (unsigned bit = 0; bit < 64; ++bit) {
        const std::uint64_t block = std::uint64_t{1} << bit;
        Word left = static_cast<Word>(block >> 32), right = static_cast<Word>(block);
        InitialPermutation(left, right);
        const std::uint64_t ip = PermuteByTable(block, tables::kInitialPermutation);
        if (left != std::rotl(static_cast<Word>(ip >> 32), 1) ||
            right != std::rotl(static_cast<Word>(ip), 1)) {
            return false;
        }
        left = std::rotl(static_cast<Word>(block >> 32), 1);
        right = std::rotl(static_cast<Word>(block), 1);
        FinalPermutation(left, right);
        const std::uint64_t fp = PermuteByTable(block, tables::kFinalPermutation);
        if (left != static_cast<Word>(fp >> 32) || right != static_cast<Word>(fp)) {
            return false;
        }
    }
    return true;
}
static_assert(SwapMovesMatchTheTables());

// The eight look-ups are XORed as a tree, not a chain: the rounds of one block are a chain of
// their own, and every step off it is time saved.
inline Word F(Word right, const Word* key) {
    const Word odd = std::rotr(right, 4) ^ key[0];  // S-boxes 1, 3, 5, 7
    const Word even = right ^ key[1];               // S-boxes 2, 4, 6, 8
    const auto& sp = kSPBoxes;
    const Word high = (sp[0][odd >> 24 & 63] ^ sp[1][even >> 24 & 63]) ^
                      (sp[2][odd >> 16 & 63] ^ sp[3][even >> 16 & 63]);
    const Word low =
        (sp[4][odd >> 8 & 63] ^ sp[5][even >> 8 & 63]) ^ (sp[6][odd & 63] ^ sp[7][even & 63]);
    return high ^ low;
}

// Sixteen rounds over N blocks side by side: left and right come in as rotated L0 and R0 and
// leave as rotated L16 and R16.
template <std::size_t N>
inline void Rounds(Word (&left)[N], Word (&right)[N], const Word* key) {
#pragma GCC unroll 8
    for (unsigned round = 0; round < 16; round += 2, key += 4) {
#pragma GCC unroll 4
        for (std::size_t n = 0; n < N; ++n) {
            left[n] ^= F(right[n], key);
        }
#pragma GCC unroll 4
        for (std::size_t n = 0; n < N; ++n) {
            right[n] ^= F(left[n], key + 2);
        }
    }
}

inline Word LoadBE32(const std::uint8_t* p) {
    Word v;
    std::memcpy(&v, p, sizeof v);
    return std::endian::native == std::endian::little ? __builtin_bswap32(v) : v;
}

inline void StoreBE32(std::uint8_t* p, Word v) {
    if constexpr (std::endian::native == std::endian::little) {
        v = __builtin_bswap32(v);
    }
    std::memcpy(p, &v, sizeof v);
}

// N blocks through the whole cipher, as block halves in and out.
template <std::size_t N>
inline void Cipher(const Word* key, Word (&high)[N], Word (&low)[N]) {
    for (std::size_t n = 0; n < N; ++n) {
        InitialPermutation(high[n], low[n]);
    }
    Rounds(high, low, key);
    // pre-output is R16 then L16
    for (std::size_t n = 0; n < N; ++n) {
        FinalPermutation(low[n], high[n]);
        std::swap(low[n], high[n]);
    }
}

void OneBlock(const Word* key, std::uint8_t* block) {
    Word high[1] = {LoadBE32(block)}, low[1] = {LoadBE32(block + 4)};
    Cipher(key, high, low);
    StoreBE32(block, high[0]);
    StoreBE32(block + 4, low[0]);
}

template <std::size_t N>
inline void DecipherChained(const Word* key, std::uint8_t* data, Word& chainHigh, Word& chainLow) {
    Word high[N], low[N], inHigh[N], inLow[N];
    for (std::size_t n = 0; n < N; ++n) {
        high[n] = inHigh[n] = LoadBE32(data + 8 * n);
        low[n] = inLow[n] = LoadBE32(data + 8 * n + 4);
    }
    Cipher(key, high, low);
    for (std::size_t n = 0; n < N; ++n) {
        StoreBE32(data + 8 * n, high[n] ^ (n == 0 ? chainHigh : inHigh[n - 1]));
        StoreBE32(data + 8 * n + 4, low[n] ^ (n == 0 ? chainLow : inLow[n - 1]));
    }
    chainHigh = inHigh[N - 1];
    chainLow = inLow[N - 1];
}

}  // namespace

KeySchedule MakeSchedule(const std::array<std::uint8_t, 8>& key) {
    std::uint64_t keyBits = 0;
    for (const std::uint8_t byte : key) {
        keyBits = keyBits << 8 | byte;
    }
    // C and D, 28 bits each, the first bit of each highest
    std::uint32_t c = 0, d = 0;
    for (unsigned i = 0; i < 28; ++i) {
        c = c << 1 | static_cast<std::uint32_t>(keyBits >> (64 - tables::kPermutedChoice1[i]) & 1u);
        d = d << 1 |
            static_cast<std::uint32_t>(keyBits >> (64 - tables::kPermutedChoice1[i + 28]) & 1u);
    }
    KeySchedule schedule;
    for (unsigned round = 0; round < 16; ++round) {
        const unsigned shift = tables::kShiftSchedule[round];
        c = (c << shift | c >> (28 - shift)) & 0x0FFFFFFFu;
        d = (d << shift | d >> (28 - shift)) & 0x0FFFFFFFu;
        const std::uint64_t cd = std::uint64_t{c} << 28 | d;
        Word groups[8] = {};
        for (unsigned k = 0; k < 48; ++k) {
            const auto bit = static_cast<Word>(cd >> (56 - tables::kPermutedChoice2[k]) & 1u);
            groups[k / 6] |= bit << (5 - k % 6);
        }
        Word* words = &schedule.Encipher[2 * round];
        words[0] = groups[0] << 24 | groups[2] << 16 | groups[4] << 8 | groups[6];
        words[1] = groups[1] << 24 | groups[3] << 16 | groups[5] << 8 | groups[7];
    }
    for (unsigned round = 0; round < 16; ++round) {
        schedule.Decipher[2 * round] = schedule.Encipher[2 * (15 - round)];
        schedule.Decipher[2 * round + 1] = schedule.Encipher[2 * (15 - round) + 1];
    }
    return schedule;
}

void EncipherBlock(const KeySchedule& schedule, std::uint8_t* block) {
    OneBlock(schedule.Encipher.data(), block);
}

void DecipherBlock(const KeySchedule& schedule, std::uint8_t* block) {
    OneBlock(schedule.Decipher.data(), block);
}

void CbcEncipher(const KeySchedule& schedule, std::uint8_t* data, std::size_t blocks,
                 std::uint64_t& chain) {
    // IP is linear, so the chain is XORed in after it: the next block's input is then the last
    // block's pre-output, and IP^-1 of the output stays off the chain from block to block.
    std::uint8_t chainBytes[8];
    std::memcpy(chainBytes, &chain, 8);
    Word high[1] = {LoadBE32(chainBytes)}, low[1] = {LoadBE32(chainBytes + 4)};
    InitialPermutation(high[0], low[0]);
    const Word* key = schedule.Encipher.data();
    for (std::size_t b = 0; b < blocks; ++b) {
        std::uint8_t* block = data + 8 * b;
        Word plainHigh = LoadBE32(block), plainLow = LoadBE32(block + 4);
        InitialPermutation(plainHigh, plainLow);
        high[0] ^= plainHigh;
        low[0] ^= plainLow;
        Rounds(high, low, key);
        std::swap(high[0], low[0]);
        Word outHigh = high[0], outLow = low[0];
        FinalPermutation(outHigh, outLow);
        StoreBE32(block, outHigh);
        StoreBE32(block + 4, outLow);
    }
    if (blocks > 0) {
        std::memcpy(&chain, data + 8 * (blocks - 1), 8);
    }
}

void CbcDecipher(const KeySchedule& schedule, std::uint8_t* data, std::size_t blocks,
                 std::uint64_t& chain) {
    std::uint8_t chainBytes[8];
    std::memcpy(chainBytes, &chain, 8);
    Word chainHigh = LoadBE32(chainBytes), chainLow = LoadBE32(chainBytes + 4);
    const Word* key = schedule.Decipher.data();
    std::size_t b = 0;
    for (; b + kInterleave <= blocks; b += kInterleave) {
        DecipherChained<kInterleave>(key, data + 8 * b, chainHigh, chainLow);
    }
    for (; b < blocks; ++b) {
        DecipherChained<1>(key, data + 8 * b, chainHigh, chainLow);
    }
    StoreBE32(chainBytes, chainHigh);
    StoreBE32(chainBytes + 4, chainLow);
    std::memcpy(&chain, chainBytes, 8);
}

}  // namespace pelta::cipher::core
