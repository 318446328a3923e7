// What clsDES keeps private: the block function against published known answers, and the
// reading of hexadecimal text.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cipher/des.h"

namespace pelta::cipher {

struct clsDESTestAccess {
    static std::string Run(clsDES& des, std::string block, bool decipher) {
        const std::span<std::uint8_t, 8> bytes(reinterpret_cast<std::uint8_t*>(block.data()), 8);
        decipher ? des.DecipherBlock(bytes) : des.EncipherBlock(bytes);
        return block;
    }
    static std::string HexDecode(std::string_view text) { return clsDES().HexDecode(text); }
};

namespace {

// Rows "KEY PLAIN CIPHER SOURCE": ECB over every block, or CBC when the source names an IV.
TEST(DesBlock, enciphersAndDeciphersEveryKnownAnswerRow) {
    std::ifstream file(PELTA_DES_KAT_FILE);
    std::size_t rows = 0;
    clsDES des;
    const auto FromHex = clsDESTestAccess::HexDecode;  // its own rows are in HexText below
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string key, plain, expected, source;
        if (!(fields >> key >> plain >> expected >> source) || key[0] == '#') {
            continue;
        }
        SCOPED_TRACE(source);
        des.key(FromHex(key));
        const auto ivAt = source.find("IV=");
        const std::string zero(8, '\0');
        std::string chain = ivAt == std::string::npos ? zero : FromHex(source.substr(ivAt + 3));
        plain = FromHex(plain);
        expected = FromHex(expected);
        for (std::size_t at = 0; at < plain.size(); at += 8) {
            std::string in = plain.substr(at, 8);
            for (std::size_t i = 0; i < 8; ++i) {
                in[i] = static_cast<char>(in[i] ^ chain[i]);
            }
            chain = clsDESTestAccess::Run(des, in, false);
            EXPECT_EQ(chain, expected.substr(at, 8)) << "block at " << at;
            EXPECT_EQ(clsDESTestAccess::Run(des, chain, true), in) << "block at " << at;
            chain = ivAt == std::string::npos ? zero : chain;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 174u);  // every row of the published tables was read
}

TEST(HexText, readsEitherCaseStoppingEachPairAtABadDigit) {
    const std::pair<std::string, std::string> decodes[] = {
        {"0AfF", "\x0A\xFF"}, {"0aF", "\x0A\x0F"}, {"1G", "\x01"}, {"G112", {"\x00\x12", 2}}};
    for (const auto& [hex, text] : decodes) {
        EXPECT_EQ(clsDESTestAccess::HexDecode(hex), text) << hex;
    }
}

}  // namespace
}  // namespace pelta::cipher
