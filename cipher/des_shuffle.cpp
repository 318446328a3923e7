// SSSE3 form of the DES block function: E, P, IP and IP^-1 as pshufb byte shuffles over
// bit-bytes; S-box inputs gathered by one multiplication per group.

#include "cipher/des_shuffle.h"

#include <cstdlib>
#include <cstring>

#include "cipher/bytes.h"
#include "cipher/des_tables.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define PELTA_HAVE_SHUFFLES 1
#endif

namespace pelta::cipher {

namespace {

constexpr std::uint8_t kZeroLane = 0x80;  // pshufb writes 0 for a mask byte with bit 7 set

}  // namespace

void BuildShuffleMasks(ShuffleMasks& masks, const std::array<std::uint8_t, 64>& ip,
                       const std::array<std::uint8_t, 64>& ipInverse) {
    // Window q holds R[8q - 1 .. 8q + 14] (indices mod 32); groups 2q and 2q + 1 read
    // R[8q - 1 .. 8q + 4] and R[8q + 3 .. 8q + 8], which is what E wires up.
    for (unsigned lane = 0; lane < 16; ++lane) {
        const unsigned t = lane % 8;
        masks.Expansion[lane] = t < 6 ? static_cast<std::uint8_t>(4 * (lane / 8) + t) : kZeroLane;
    }
    for (unsigned half = 0; half < 2; ++half) {
        for (unsigned lane = 0; lane < 16; ++lane) {
            const unsigned source = tables::kPermutation[16 * half + lane];
            masks.Permutation[half][0][lane] =
                source < 16 ? static_cast<std::uint8_t>(source) : kZeroLane;
            masks.Permutation[half][1][lane] =
                source >= 16 ? static_cast<std::uint8_t>(source - 16) : kZeroLane;
        }
    }
    for (unsigned quarter = 0; quarter < 4; ++quarter) {
        for (unsigned lane = 0; lane < 16; ++lane) {
            const unsigned source = ip[16 * quarter + lane];
            masks.InitialSource[quarter][lane] = static_cast<std::uint8_t>(source / 8);
            masks.InitialBit[quarter][lane] = static_cast<std::uint8_t>(0x80u >> (source % 8));
        }
    }
    // pmovmskb puts lane b in bit b, while a packed byte holds its first bit-byte in bit 7:
    // so each run of eight lanes takes its entries in reverse order.
    for (unsigned quarter = 0; quarter < 4; ++quarter) {
        for (unsigned lane = 0; lane < 16; ++lane) {
            const unsigned entry = 16 * quarter + 8 * (lane / 8) + 7 - lane % 8;
            const unsigned source = ipInverse[entry];
            for (unsigned s = 0; s < 4; ++s) {
                masks.Final[quarter][s][lane] =
                    source / 16 == s ? static_cast<std::uint8_t>(source % 16) : kZeroLane;
            }
        }
    }
}

#ifdef PELTA_HAVE_SHUFFLES

bool ShufflesSupported() {
    return __builtin_cpu_supports("ssse3");
}

namespace {

using Lanes = __m128i;

__attribute__((target("ssse3"))) inline Lanes Load(const std::uint8_t* p) {
    return _mm_load_si128(reinterpret_cast<const Lanes*>(p));
}

// Four S-box outputs (four bit-bytes each) for the two groups held in each of x0 and x1.
__attribute__((target("ssse3"))) inline Lanes Substitute(Lanes x0, Lanes x1, unsigned first,
                                                         const std::uint8_t* sboxBits) {
    const std::uint64_t groups[4] = {
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(x0)),
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(x0, x0))),
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(x1)),
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(x1, x1)))};
    std::int32_t out[4];
    for (unsigned g = 0; g < 4; ++g) {
        const unsigned at = 4 * (first + g) + (bytes::GatherSixBits(groups[g]) << 5);
        std::memcpy(&out[g], sboxBits + at, 4);
    }
    return _mm_setr_epi32(out[0], out[1], out[2], out[3]);
}

__attribute__((target("ssse3"))) inline Lanes Gather2(Lanes a, Lanes b, const std::uint8_t* ma,
                                                      const std::uint8_t* mb) {
    return _mm_or_si128(_mm_shuffle_epi8(a, Load(ma)), _mm_shuffle_epi8(b, Load(mb)));
}

}  // namespace

__attribute__((target("ssse3"))) void ShuffledBlock(
    const ShuffleMasks& masks, const std::array<std::array<std::uint8_t, 64>, 16>& wideSubKeys,
    const std::uint8_t* sboxBits, bool decipher, std::uint8_t* block) {
    const Lanes ones = _mm_set1_epi8(1);
    const Lanes input = _mm_loadl_epi64(reinterpret_cast<const Lanes*>(block));
    Lanes half[4];
    for (unsigned q = 0; q < 4; ++q) {
        const Lanes bit = Load(masks.InitialBit[q].data());
        const Lanes picked =
            _mm_and_si128(_mm_shuffle_epi8(input, Load(masks.InitialSource[q].data())), bit);
        half[q] = _mm_and_si128(_mm_cmpeq_epi8(picked, bit), ones);
    }
    Lanes l0 = half[0], l1 = half[1], r0 = half[2], r1 = half[3];
    const Lanes expansion = Load(masks.Expansion.data());
    for (unsigned round = 0; round < 16; ++round) {
        const std::uint8_t* k = wideSubKeys[decipher ? 15 - round : round].data();
        const Lanes x0 =
            _mm_xor_si128(_mm_shuffle_epi8(_mm_alignr_epi8(r0, r1, 15), expansion), Load(k));
        const Lanes x1 =
            _mm_xor_si128(_mm_shuffle_epi8(_mm_alignr_epi8(r1, r0, 7), expansion), Load(k + 16));
        const Lanes x2 =
            _mm_xor_si128(_mm_shuffle_epi8(_mm_alignr_epi8(r1, r0, 15), expansion), Load(k + 32));
        const Lanes x3 =
            _mm_xor_si128(_mm_shuffle_epi8(_mm_alignr_epi8(r0, r1, 7), expansion), Load(k + 48));
        const Lanes s0 = Substitute(x0, x1, 0, sboxBits);
        const Lanes s1 = Substitute(x2, x3, 4, sboxBits);
        const Lanes n0 = _mm_xor_si128(
            Gather2(s0, s1, masks.Permutation[0][0].data(), masks.Permutation[0][1].data()), l0);
        const Lanes n1 = _mm_xor_si128(
            Gather2(s0, s1, masks.Permutation[1][0].data(), masks.Permutation[1][1].data()), l1);
        l0 = r0;
        l1 = r1;
        r0 = n0;
        r1 = n1;
    }
    const Lanes pre[4] = {r0, r1, l0, l1};
    std::uint64_t packed = 0;
    for (unsigned q = 0; q < 4; ++q) {
        Lanes out = _mm_setzero_si128();
        for (unsigned s = 0; s < 4; ++s) {
            out = _mm_or_si128(out, _mm_shuffle_epi8(pre[s], Load(masks.Final[q][s].data())));
        }
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(out, 7)));
        packed |= static_cast<std::uint64_t>(bits & 0xFFFFu) << (16 * q);
    }
    bytes::StoreLE64(block, packed);
}

#else

bool ShufflesSupported() {
    return false;
}

void ShuffledBlock(const ShuffleMasks&, const std::array<std::array<std::uint8_t, 64>, 16>&,
                   const std::uint8_t*, bool, std::uint8_t*) {
    std::abort();  // never chosen: ShufflesSupported() is false here
}

#endif

}  // namespace pelta::cipher
