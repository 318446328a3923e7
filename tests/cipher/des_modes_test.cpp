// Byte-array and text modes: the layout seen through OpenSSL's DES-CBC, progress, hex forms,
// and the failures a caller must be told about.

#include <gtest/gtest.h>

#include <numeric>

#include "cipher/bytes.h"
#include "des_test_support.h"

namespace pelta::cipher {
namespace {

using testing::Bytes;
using testing::ReferenceCbc;

constexpr char kKey[] = "Ключ-01";  // in this file's UTF-8: more than eight bytes, cut to eight

// Both ways against the reference: our layout deciphered by OpenSSL is header, little-endian
// size, data and zero padding; a layout OpenSSL enciphered is read back by DecryptByte.
TEST(ByteModes, agreeWithTheReferenceBothWays) {
    std::vector<Bytes> cases = {
        {}, {1, 2, 3, 0, 0, 0, 0}, Bytes(8, 0), {9, 8, 7, 6, 5, 4, 3, 2, 0}};
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        cases.push_back(testing::SeededBytes(testing::SeededBytes(2, seed)[0] * 19 % 5001, seed));
    }
    cases.push_back(testing::SeededBytes(0x00010203, 3));  // a size whose four bytes differ
    clsDES des;
    for (const Bytes& data : cases) {
        SCOPED_TRACE(data.size());
        Bytes array = data;
        des.EncryptByte(array, kKey);
        const Bytes layout = testing::PlainLayout(static_cast<std::int32_t>(data.size()), data);
        const Bytes plain = ReferenceCbc(kKey, array, false);
        EXPECT_TRUE(std::equal(layout.begin() + 8, layout.end(), plain.begin() + 8, plain.end()));
        des.DecryptByte(array);
        EXPECT_EQ(array, data);
        array = ReferenceCbc(kKey, layout, true);
        des.DecryptByte(array, kKey);
        EXPECT_EQ(array, data);
    }
}

TEST(ByteModes, giveDifferentRandomHeadersToTheSameDataTwice) {
    clsDES des;
    std::uint32_t ored = 0;
    for (int i = 0; i < 32; ++i) {
        Bytes first = {1, 2, 3}, second = {1, 2, 3};
        des.EncryptByte(first, kKey);
        des.EncryptByte(second, kKey);  // within the same clock tick
        ASSERT_NE(first, second);
        const Bytes plain = ReferenceCbc(kKey, first, false);
        ored |= bytes::LoadLE32(plain.data()) | bytes::LoadLE32(plain.data() + 4);
    }
    EXPECT_EQ(ored, 0x7FFFFFFFu);  // every bit but the sign bit varies
}

TEST(ByteModes, reportProgressByThePercentageRule) {
    std::vector<std::int32_t> everyPercent(101);
    std::iota(everyPercent.begin(), everyPercent.end(), 0);
    // data sizes of 16, 16, 24 and 1600 enciphered bytes
    const std::vector<std::pair<std::size_t, std::vector<std::int32_t>>> cases = {
        {0, {0, 50, 100}}, {4, {0, 50, 100}}, {5, {0, 33, 66, 100}}, {1588, everyPercent}};
    for (const auto& [dataSize, expected] : cases) {
        SCOPED_TRACE(dataSize);
        clsDES des;
        std::vector<std::int32_t> events;
        des.Progress = [&](std::int32_t percent) { events.push_back(percent); };
        Bytes array(dataSize, 0x5A);
        des.EncryptByte(array, kKey);
        EXPECT_EQ(events, expected);
        events.clear();
        des.DecryptByte(array);
        EXPECT_EQ(events, expected);
    }
}

TEST(ByteModes, reportABadLayoutAndLeaveItDecipheredUntrimmed) {
    const auto make = [](std::int32_t sizeField, const Bytes& data) {
        return ReferenceCbc(kKey, testing::PlainLayout(sizeField, data), true);
    };
    Bytes partial = make(3, {1, 2, 3});
    partial.push_back(0xEE);
    const std::pair<const char*, Bytes> cases[] = {
        {"one block, too short for a descriptor", ReferenceCbc(kKey, Bytes(8, 0x11), true)},
        {"descriptor past the data", make(13, Bytes(9, 1))},
        {"descriptor leaves a whole spare block", make(1, Bytes(9, 1))},
        {"negative descriptor", make(-4, {1, 2, 3})},
        {"trailing partial block", partial},
    };
    clsDES des;
    for (const auto& [name, input] : cases) {
        SCOPED_TRACE(name);
        Bytes array = input;
        try {
            des.DecryptByte(array, kKey);
            ADD_FAILURE() << "no error raised";
        } catch (const DesError& error) {
            EXPECT_STREQ(error.what(), "Incorrect size descriptor in DES decryption");
            EXPECT_EQ(error.Number(), 0x80040000u);
        }
        Bytes expected = ReferenceCbc(kKey, input, false);
        std::copy(input.begin() + static_cast<std::ptrdiff_t>(input.size() / 8 * 8), input.end(),
                  expected.begin() + static_cast<std::ptrdiff_t>(input.size() / 8 * 8));
        EXPECT_EQ(array, expected);
    }
}

TEST(TextModes, roundTripRawAndHexAndKeepTheKeyInForce) {
    const std::vector<std::string> texts = {"", "a", "Пелта", std::string("\0\xFF\x98 x", 5),
                                            std::string(1000, '\xC0')};
    clsDES des;
    for (const std::string& text : texts) {
        for (const bool hex : {false, true}) {
            const std::string enciphered = des.EncryptString(text, kKey, hex);
            EXPECT_TRUE(!hex ||
                        enciphered.find_first_not_of("0123456789ABCDEF") == std::string::npos);
            EXPECT_EQ(des.DecryptString(enciphered, "", hex),
                      text);  // empty key: kKey still in force
        }
    }
    EXPECT_EQ(des.DecryptString("", kKey, false), "");
}

TEST(TextModes, decodeHexInEitherCaseStoppingEachPairAtABadDigit) {
    const std::pair<std::string, std::string> decodes[] = {
        {"0AfF", "\x0A\xFF"},
        {"0aF", "\x0A\x0F"},
        {"1G", "\x01"},
        {"G112", std::string("\x00\x12", 2)},
    };
    clsDES des;
    for (const auto& [hex, text] : decodes) {
        EXPECT_EQ(clsDESTestAccess::HexDecode(des, hex), text) << hex;
    }
}

}  // namespace
}  // namespace pelta::cipher
