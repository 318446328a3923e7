// Tables, key schedule and the portable block function of clsDES.

#include <algorithm>
#include <cstring>

#include "cipher/bytes.h"
#include "cipher/des.h"
#include "cipher/des_tables.h"

namespace pelta::cipher {

namespace {

template <typename Array>
void Wipe(Array& array) {
    volatile std::uint8_t* p = reinterpret_cast<volatile std::uint8_t*>(array.data());
    for (std::size_t i = 0; i < sizeof(array); ++i) {
        p[i] = 0;
    }
}

template <std::size_t N>
std::array<std::uint8_t, N> ZeroBased(const std::array<std::uint8_t, N>& oneBased) {
    std::array<std::uint8_t, N> result{};
    for (std::size_t i = 0; i < N; ++i) {
        result[i] = static_cast<std::uint8_t>(oneBased[i] - 1);
    }
    return result;
}

}  // namespace

clsDES::clsDES()
    : IP(ZeroBased(tables::kInitialPermutation)),
      IPInverse(ZeroBased(tables::kFinalPermutation)),
      PC1(ZeroBased(tables::kPermutedChoice1)),
      PC2(ZeroBased(tables::kPermutedChoice2)),
      ShiftSchedule(tables::kShiftSchedule) {
    BuildSBoxBits();
    BuildShuffleMasks(Shuffles, IP, IPInverse);
    UseShuffles = ShufflesSupported();
}

clsDES::~clsDES() {
    Wipe(SubKeys);
    Wipe(WideSubKeys);
    std::fill(KeyText.begin(), KeyText.end(), '\0');
    for (BlockWork* work : {&EncipherWork, &DecipherWork}) {
        Wipe(work->Block);
        Wipe(work->L);
        Wipe(work->R);
        Wipe(work->X);
        Wipe(work->N);
        Wipe(work->PreOutput);
    }
}

void clsDES::UnpackBits(const std::uint8_t* bytes, std::size_t n, std::uint8_t* bits) {
    std::fill(bits, bits + 8 * n, std::uint8_t{0});
    for (std::size_t i = 0; i < n; ++i) {
        for (unsigned m = 0; m < 8; ++m) {
            if ((bytes[i] >> (7 - m)) & 1u) {
                bits[8 * i + m] = 1;
            }
        }
    }
}

void clsDES::PackBits(const std::uint8_t* bits, std::size_t n, std::uint8_t* bytes) {
    for (std::size_t i = 0; i < n; ++i) {
        unsigned value = 0;
        for (unsigned m = 0; m < 8; ++m) {
            if (bits[8 * i + m] == 1) {
                value |= 1u << (7 - m);
            }
        }
        bytes[i] = static_cast<std::uint8_t>(value);
    }
}

void clsDES::BuildSBoxBits() {
    for (unsigned j = 0; j < 8; ++j) {
        for (unsigned input = 0; input < 64; ++input) {
            // input bit 5 - t is b(t+1), b1 the first of the six bits of the group
            const unsigned b1 = input >> 5 & 1, b2 = input >> 4 & 1, b3 = input >> 3 & 1;
            const unsigned b4 = input >> 2 & 1, b5 = input >> 1 & 1, b6 = input & 1;
            const std::uint8_t value =
                tables::kSBoxes[j][(2 * b1 + b6) * 16 + 8 * b2 + 4 * b3 + 2 * b4 + b5];
            std::uint8_t bits[8];
            UnpackBits(&value, 1, bits);
            const unsigned at =
                4 * j + 32 * b1 + 64 * b2 + 128 * b3 + 256 * b4 + 512 * b5 + 1024 * b6;
            std::copy(bits + 4, bits + 8, SBoxBits.begin() + at);
        }
    }
}

void clsDES::key(const std::string& New_Value) {
    if (New_Value == KeyText) {
        return;
    }
    KeyText = New_Value;
    BuildSchedule(KeyText);
}

void clsDES::ApplyKey(const std::string& newKey) {
    if (!newKey.empty()) {
        key(newKey);
    }
}

void clsDES::BuildSchedule(std::string_view keyBytes) {
    std::array<std::uint8_t, 64> keyBits{};
    UnpackBits(reinterpret_cast<const std::uint8_t*>(keyBytes.data()),
               std::min<std::size_t>(keyBytes.size(), 8), keyBits.data());
    std::array<std::uint8_t, 56> cd{};
    for (std::size_t i = 0; i < cd.size(); ++i) {
        cd[i] = keyBits[PC1[i]];
    }
    for (std::size_t r = 0; r < 16; ++r) {
        std::rotate(cd.begin(), cd.begin() + ShiftSchedule[r], cd.begin() + 28);
        std::rotate(cd.begin() + 28, cd.begin() + 28 + ShiftSchedule[r], cd.end());
        for (std::size_t k = 0; k < 48; ++k) {
            SubKeys[r][k] = cd[PC2[k]];
        }
        WideSubKeys[r].fill(0);
        for (std::size_t k = 0; k < 48; ++k) {
            WideSubKeys[r][8 * (k / 6) + k % 6] = SubKeys[r][k];
        }
    }
    Wipe(keyBits);
    Wipe(cd);
}

void clsDES::EncipherBlock(std::span<std::uint8_t, 8> block) {
    if (UseShuffles) {
        ShuffledBlock(Shuffles, WideSubKeys, SBoxBits.data(), false, block.data());
    } else {
        RunBlockPortable(block.data(), EncipherWork, false);
    }
}

void clsDES::DecipherBlock(std::span<std::uint8_t, 8> block) {
    if (UseShuffles) {
        ShuffledBlock(Shuffles, WideSubKeys, SBoxBits.data(), true, block.data());
    } else {
        RunBlockPortable(block.data(), DecipherWork, true);
    }
}

void clsDES::RunBlockPortable(std::uint8_t* block, BlockWork& work, bool decipher) {
    using tables::kExpansion;
    using tables::kPermutation;
    UnpackBits(block, 8, work.Block.data());
    for (std::size_t i = 0; i < 32; ++i) {
        work.L[i] = work.Block[IP[i]];
        work.R[i] = work.Block[IP[i + 32]];
    }
    std::uint8_t* l = work.L.data();
    std::uint8_t* r = work.R.data();
    std::uint8_t* n = work.N.data();
    std::uint8_t* x = work.X.data();
    std::uint8_t* s = work.S.data();
    for (std::size_t round = 0; round < 16; ++round) {
        const std::uint8_t* roundKey = WideSubKeys[decipher ? 15 - round : round].data();
        for (std::size_t j = 0; j < 8; ++j) {
            for (std::size_t t = 0; t < 6; ++t) {
                x[8 * j + t] = r[kExpansion[6 * j + t]];
            }
        }
        for (std::size_t j = 0; j < 8; ++j) {
            const std::uint64_t group =
                bytes::LoadLE64(x + 8 * j) ^ bytes::LoadLE64(roundKey + 8 * j);
            const unsigned at = 4 * static_cast<unsigned>(j) + (bytes::GatherSixBits(group) << 5);
            std::memcpy(s + 4 * j, SBoxBits.data() + at, 4);
        }
        for (std::size_t i = 0; i < 32; ++i) {
            n[i] = s[kPermutation[i]];
        }
        for (std::size_t w = 0; w < 32; w += 8) {
            bytes::StoreLE64(n + w, bytes::LoadLE64(n + w) ^ bytes::LoadLE64(l + w));
        }
        std::uint8_t* oldLeft = l;
        l = r;
        r = n;
        n = oldLeft;
    }
    std::copy(r, r + 32, work.PreOutput.begin());
    std::copy(l, l + 32, work.PreOutput.begin() + 32);
    for (std::size_t i = 0; i < 64; ++i) {
        work.Block[i] = work.PreOutput[IPInverse[i]];
    }
    PackBits(work.Block.data(), 8, block);
}

}  // namespace pelta::cipher
