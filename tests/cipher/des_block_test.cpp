// The block cipher and key texts against published known answers.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cipher/des_core.h"
#include "des_test_support.h"

namespace pelta::cipher {
namespace {

using testing::Bytes;
using testing::FromHex;
using Block = std::array<std::uint8_t, 8>;

Block ToBlock(const Bytes& bytes, std::size_t at = 0) {
    Block block{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), 8, block.begin());
    return block;
}

class DesBlockTest : public ::testing::Test {
  protected:
    Block Run(const std::string& key, Block block, bool decipher = false) {
        des.key(key);
        clsDESTestAccess::Run(des, block, decipher);
        return block;
    }
    clsDES des;
};

// Rows "KEY PLAIN CIPHER SOURCE": ECB over every block, or CBC when the source names an IV.
TEST_F(DesBlockTest, enciphersAndDeciphersEveryKnownAnswerRow) {
    std::ifstream file(PELTA_DES_KAT_FILE);
    std::size_t rows = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string keyHex, plainHex, cipherHex, source;
        fields >> keyHex >> plainHex >> cipherHex >> source;
        SCOPED_TRACE(source);
        const Bytes keyBytes = FromHex(keyHex), plain = FromHex(plainHex);
        const Bytes expected = FromHex(cipherHex);
        const auto ivAt = source.find("IV=");
        Block chain =
            ivAt == std::string::npos ? Block{} : ToBlock(FromHex(source.substr(ivAt + 3)));
        const bool chained = source.find("CBC") != std::string::npos;
        for (std::size_t at = 0; at < plain.size(); at += 8) {
            Block in = ToBlock(plain, at);
            for (std::size_t i = 0; chained && i < 8; ++i) {
                in[i] ^= chain[i];
            }
            const std::string key(keyBytes.begin(), keyBytes.end());
            chain = Run(key, in);
            EXPECT_EQ(chain, ToBlock(expected, at)) << "block at " << at;
            EXPECT_EQ(Run(key, chain, true), in) << "block at " << at;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 174u);  // every row of the published tables was read
}

// Short keys act zero-padded, long ones cut to eight bytes, and parity bits play no part.
TEST_F(DesBlockTest, takesAKeyTextAsItsEightByteForm) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"abc", std::string("abc\0\0\0\0\0", 8)},
        {"\xCF\xE5\xEB\xF2\xE0-\xEA\xEB\xFE\xF7", "\xCF\xE5\xEB\xF2\xE0-\xEA\xEB"},
        {"pelta-ke", "qdmu`,jd"},  // every byte with its lowest bit flipped
    };
    const Block plain = {0x4E, 0x6F, 0x77, 0x20, 0x69, 0x73, 0x20, 0x74};
    for (const auto& [key, sameAs] : cases) {
        SCOPED_TRACE(key);
        EXPECT_EQ(Run(key, plain), Run(sameAs, plain));
    }
}

// CBC deciphering takes blocks through the rounds side by side; every remainder of blocks past
// the interleave, in one call or two, must give what one block at a time gives.
TEST(InterleavedCbc, deciphersAsOneBlockAtATime) {
    const core::KeySchedule schedule = core::MakeSchedule({'i', 'n', 't', 'e', 'r', 'l', 'v', '1'});
    for (std::size_t blocks = 1; blocks <= 3 * core::kInterleave - 1; ++blocks) {
        SCOPED_TRACE(blocks);
        const Bytes data = testing::SeededBytes(8 * blocks, static_cast<std::uint32_t>(blocks));
        Bytes expected = data;
        for (std::size_t at = 0; at < data.size(); at += 8) {
            core::DecipherBlock(schedule, expected.data() + at);
            for (std::size_t i = 0; at > 0 && i < 8; ++i) {
                expected[at + i] ^= data[at - 8 + i];
            }
        }
        for (const std::size_t split : {blocks, blocks / 2}) {
            Bytes actual = data;
            std::uint64_t chain = 0;
            core::CbcDecipher(schedule, actual.data(), split, chain);
            core::CbcDecipher(schedule, actual.data() + 8 * split, blocks - split, chain);
            EXPECT_EQ(actual, expected) << "split after " << split;
        }
    }
}

}  // namespace
}  // namespace pelta::cipher
