// The block cipher and key schedule against published known answers, on both block paths.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "des_test_support.h"

namespace pelta::cipher {
namespace {

using testing::Bytes;
using testing::FromHex;
using testing::ToHex;
using Block = std::array<std::uint8_t, 8>;

enum class BlockPath { Portable, Shuffled };

std::string KeyText(const Bytes& key) {
    return std::string(key.begin(), key.end());
}

Block ToBlock(const Bytes& bytes, std::size_t at = 0) {
    Block block{};
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + 8), block.begin());
    return block;
}

std::vector<std::string> KatLines() {
    std::ifstream file(PELTA_DES_KAT_FILE);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

class BlockPathTest : public ::testing::TestWithParam<BlockPath> {
  protected:
    void SetUp() override {
        if (GetParam() == BlockPath::Shuffled && !__builtin_cpu_supports("ssse3")) {
            GTEST_SKIP() << "no SSSE3 on this processor";
        }
        clsDESTestAccess::UseShuffles(des, GetParam() == BlockPath::Shuffled);
    }

    Block Encipher(const std::string& key, Block block) {
        des.key(key);
        clsDESTestAccess::Encipher(des, block);
        return block;
    }
    Block Decipher(const std::string& key, Block block) {
        des.key(key);
        clsDESTestAccess::Decipher(des, block);
        return block;
    }
    std::string EncipherHex(const std::string& keyHex, const std::string& plainHex) {
        const Block out = Encipher(KeyText(FromHex(keyHex)), ToBlock(FromHex(plainHex)));
        return ToHex(Bytes(out.begin(), out.end()));
    }
    std::string DecipherHex(const std::string& keyHex, const std::string& cipherHex) {
        const Block out = Decipher(KeyText(FromHex(keyHex)), ToBlock(FromHex(cipherHex)));
        return ToHex(Bytes(out.begin(), out.end()));
    }

    clsDES des;
};

// Rows "KEY PLAIN CIPHER SOURCE": ECB over every block, or CBC when the source names an IV.
TEST_P(BlockPathTest, KnownAnswerRowsEncipherAndDecipher) {
    std::size_t rows = 0;
    for (const std::string& line : KatLines()) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string keyHex, plainHex, cipherHex, source;
        fields >> keyHex >> plainHex >> cipherHex >> source;
        SCOPED_TRACE(source);
        const std::string key = KeyText(FromHex(keyHex));
        const Bytes plain = FromHex(plainHex);
        const Bytes expected = FromHex(cipherHex);
        ASSERT_EQ(plain.size(), expected.size());
        const auto ivAt = source.find("IV=");
        Block chain =
            ivAt == std::string::npos ? Block{} : ToBlock(FromHex(source.substr(ivAt + 3)));
        const bool chained = source.find("CBC") != std::string::npos;
        for (std::size_t at = 0; at < plain.size(); at += 8) {
            Block in = ToBlock(plain, at);
            for (std::size_t i = 0; chained && i < 8; ++i) {
                in[i] ^= chain[i];
            }
            const Block out = Encipher(key, in);
            EXPECT_EQ(out, ToBlock(expected, at)) << "block at " << at;
            EXPECT_EQ(Decipher(key, out), in) << "block at " << at;
            chain = out;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 174u);  // every row of the published tables was read
}

// Every run of exactly sixteen upper-case hexadecimal digits in a line: the blocks and keys.
std::vector<std::string> HexBlocks(const std::string& line) {
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t begin = line.find_first_of("0123456789ABCDEF", at);
        if (begin == std::string::npos) {
            break;
        }
        std::size_t stop = line.find_first_not_of("0123456789ABCDEF", begin);
        stop = stop == std::string::npos ? line.size() : stop;
        if (stop - begin == 16) {
            found.push_back(line.substr(begin, 16));
        }
        at = stop;
    }
    return found;
}

// Comment rows that state properties: weak and semi-weak keys, parity, the recurrence.
TEST_P(BlockPathTest, KnownAnswerFactsHold) {
    const std::vector<std::string> samples = {"0000000000000000", "0123456789ABCDEF",
                                              "5574C0BD7CDFF739", "FFFFFFFFFFFFFFFF"};
    std::size_t facts = 0;
    for (const std::string& line : KatLines()) {
        SCOPED_TRACE(line);
        const std::vector<std::string> blocks = HexBlocks(line);
        if (line.starts_with("# weak key ")) {
            ASSERT_EQ(blocks.size(), 5u);
            for (std::size_t i = 1; i < blocks.size(); ++i) {
                EXPECT_EQ(EncipherHex(blocks[0], EncipherHex(blocks[0], blocks[i])), blocks[i]);
            }
        } else if (line.starts_with("# semi-weak pair ")) {
            ASSERT_EQ(blocks.size(), 2u);
            for (const std::string& x : samples) {
                EXPECT_EQ(EncipherHex(blocks[1], EncipherHex(blocks[0], x)), x);
                EXPECT_EQ(EncipherHex(blocks[0], x), DecipherHex(blocks[1], x));
            }
        } else if (line.starts_with("# parity bits ignored")) {
            ASSERT_EQ(blocks.size(), 4u);
            EXPECT_EQ(EncipherHex(blocks[0], blocks[2]), blocks[3]);
            EXPECT_EQ(EncipherHex(blocks[1], blocks[2]), blocks[3]);
        } else if (line.find("recurrence") != std::string::npos) {
            ASSERT_EQ(blocks.size(), 2u);
            std::string x = blocks[0];
            for (int i = 0; i < 16; ++i) {
                x = i % 2 == 0 ? EncipherHex(x, x) : DecipherHex(x, x);
            }
            EXPECT_EQ(x, blocks[1]);
        } else {
            continue;
        }
        ++facts;
    }
    EXPECT_EQ(facts, 12u);
}

TEST_P(BlockPathTest, KeyTextsActAsZeroPaddedOrCutToEightBytes) {
    struct Case {
        std::string key;
        std::string sameAs;
    };
    const std::vector<Case> cases = {
        {"abc", std::string("abc\0\0\0\0\0", 8)},
        {"k", std::string("k\0\0\0\0\0\0\0", 8)},
        {"0123456789", "01234567"},
        {"\xCF\xE5\xEB\xF2\xE0-\xEA\xEB\xFE\xF7", "\xCF\xE5\xEB\xF2\xE0-\xEA\xEB"},
    };
    const Block plain = {0x4E, 0x6F, 0x77, 0x20, 0x69, 0x73, 0x20, 0x74};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const Block viaKey = Encipher(c.key, plain);
        EXPECT_EQ(viaKey, Encipher(c.sameAs, plain));
        const auto reference =
            testing::ReferenceCbcEncrypt(c.sameAs, Bytes(plain.begin(), plain.end()));
        EXPECT_EQ(viaKey, ToBlock(reference));
    }
}

TEST_P(BlockPathTest, AgreesWithReferenceOnSeededKeysAndBlocks) {
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        const Bytes material = testing::SeededBytes(16, seed);
        const std::string key(material.begin(), material.begin() + 8);
        const Block plain = ToBlock(material, 8);
        const Bytes reference =
            testing::ReferenceCbcEncrypt(key, Bytes(plain.begin(), plain.end()));
        ASSERT_EQ(Encipher(key, plain), ToBlock(reference)) << "seed " << seed;
        ASSERT_EQ(Decipher(key, ToBlock(reference)), plain) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(BothPaths, BlockPathTest,
                         ::testing::Values(BlockPath::Portable, BlockPath::Shuffled),
                         [](const auto& info) {
                             return info.param == BlockPath::Portable ? "Portable" : "Shuffled";
                         });

TEST(KeySchedule, ParityBitsPlayNoPart) {
    clsDES a, b;
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"\x01\x23\x45\x67\x89\xAB\xCD\xEF", std::string("\x00\x22\x44\x66\x88\xAA\xCC\xEE", 8)},
        {"pelta-ke", "qdmu`,jd"},  // every byte with its lowest bit flipped
        {"AAAAAAAA", "@A@A@A@A"},
    };
    for (const auto& [first, second] : pairs) {
        a.key(first);
        b.key(second);
        EXPECT_EQ(clsDESTestAccess::SubKeys(a), clsDESTestAccess::SubKeys(b)) << first;
    }
}

TEST(KeySchedule, NewInstanceUsesAllZeroKeyAndEmptyTextKeepsIt) {
    clsDES fresh;
    Block block{};
    clsDESTestAccess::Encipher(fresh, block);
    EXPECT_EQ(ToHex(Bytes(block.begin(), block.end())), "8CA64DE9C1B123A7");  // DES(0, 0)

    clsDES keyed;
    keyed.key("secret");
    keyed.key("");  // a different text: switches to the all-zero key
    Block again{};
    clsDESTestAccess::Encipher(keyed, again);
    EXPECT_EQ(again, block);
    for (const auto& row : clsDESTestAccess::SubKeys(keyed)) {
        EXPECT_EQ(std::count(row.begin(), row.end(), 0), 48);
    }
}

TEST(KeySchedule, SameTextIsNotScheduledAgain) {
    clsDES des;
    des.key("first");
    const auto first = clsDESTestAccess::SubKeys(des);
    clsDESTestAccess::SubKeys(des)[0][0] ^= 1;  // a rebuild would repair this mark
    des.key("first");
    EXPECT_NE(clsDESTestAccess::SubKeys(des), first);
    des.key("second");
    EXPECT_NE(clsDESTestAccess::SubKeys(des), first);
    des.key("first");
    EXPECT_EQ(clsDESTestAccess::SubKeys(des), first);
}

TEST(BitArrays, UnpackAndPackFollowMostSignificantBitFirst) {
    struct Case {
        Bytes bytes;
        std::size_t count;
        std::vector<std::size_t> setEntries;
    };
    const std::vector<Case> cases = {
        {{0x80}, 1, {0}},
        {{0x01}, 1, {7}},
        {{0xA5, 0x01}, 2, {0, 2, 5, 7, 15}},
        {{0xFF, 0x00, 0x10}, 3, {0, 1, 2, 3, 4, 5, 6, 7, 19}},
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 32> bits;
        bits.fill(7);  // entries from 8 * count on must stay untouched
        clsDESTestAccess::Unpack(c.bytes.data(), c.count, bits.data());
        for (std::size_t i = 0; i < bits.size(); ++i) {
            const bool set =
                std::find(c.setEntries.begin(), c.setEntries.end(), i) != c.setEntries.end();
            const int expected = i >= 8 * c.count ? 7 : set ? 1 : 0;
            EXPECT_EQ(bits[i], expected) << "entry " << i;
        }
        Bytes packed(c.count);
        clsDESTestAccess::Pack(bits.data(), c.count, packed.data());
        EXPECT_EQ(packed, c.bytes);
    }
    const std::array<std::uint8_t, 8> notExactlyOne = {2, 1, 0xFF, 1, 0, 0, 0, 1};
    std::uint8_t packed = 0;
    clsDESTestAccess::Pack(notExactlyOne.data(), 1, &packed);
    EXPECT_EQ(packed, 0x51);
}

TEST(Tables, SBoxBitsHoldEachOutputMostSignificantFirst) {
    // S1 row 0 col 0 = 14, S1 row 3 col 15 = 13, S8 row 2 col 9 = 6, S5 row 1 col 4 = 4
    struct Case {
        unsigned box;
        unsigned b1, b2, b3, b4, b5, b6;
        unsigned value;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 0, 0, 0, 0, 14},
        {0, 1, 1, 1, 1, 1, 1, 13},
        {7, 1, 1, 0, 0, 1, 0, 6},
        {4, 0, 0, 1, 0, 0, 1, 4},
    };
    clsDES des;
    const auto& table = clsDESTestAccess::SBoxBits(des);
    for (const Case& c : cases) {
        const unsigned at =
            4 * c.box + 32 * c.b1 + 64 * c.b2 + 128 * c.b3 + 256 * c.b4 + 512 * c.b5 + 1024 * c.b6;
        for (unsigned k = 0; k < 4; ++k) {
            EXPECT_EQ(table[at + k], (c.value >> (3 - k)) & 1) << "box " << c.box << " bit " << k;
        }
    }
    EXPECT_EQ(std::count(table.begin(), table.end(), 1), 1024);  // every S-box row is a permutation
}

TEST(Tables, PermutationsAreZeroBasedAndInverse) {
    clsDES des;
    const auto& ip = clsDESTestAccess::IP(des);
    const auto& inverse = clsDESTestAccess::IPInverse(des);
    EXPECT_EQ(ip[0], 57);
    EXPECT_EQ(inverse[0], 39);
    for (std::size_t i = 0; i < 64; ++i) {
        EXPECT_EQ(inverse[ip[i]], i);
    }
}

}  // namespace
}  // namespace pelta::cipher
