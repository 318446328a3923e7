// Byte-array and text modes: the layout seen through OpenSSL's DES-CBC, progress, hex forms,
// and the failures a caller must be told about.

#include <gtest/gtest.h>

#include "cipher/bytes.h"
#include "des_test_support.h"

namespace pelta::cipher {
namespace {

using testing::Bytes;
using testing::ReferenceCbcDecrypt;
using testing::ReferenceCbcEncrypt;
using testing::SeededBytes;

constexpr char kKey[] = "Ключ-01";  // in this file's UTF-8: more than eight bytes, cut to eight

std::uint32_t Word(const Bytes& bytes, std::size_t at) {
    return bytes::LoadLE32(bytes.data() + at);
}

// EncryptByte's output, deciphered by the reference, is header, size, data and zero padding.
void ExpectLayoutHolds(const Bytes& enciphered, const Bytes& data) {
    ASSERT_EQ(enciphered.size(), (data.size() + 12 + 7) / 8 * 8);
    const Bytes plain = ReferenceCbcDecrypt(kKey, enciphered);
    EXPECT_LE(Word(plain, 0), 2147483647u);
    EXPECT_LE(Word(plain, 4), 2147483647u);
    EXPECT_EQ(Word(plain, 8), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), plain.begin() + 12));
    EXPECT_TRUE(std::all_of(plain.begin() + 12 + static_cast<std::ptrdiff_t>(data.size()),
                            plain.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(ByteModes, EnciphersIntoTheLayoutForEveryLength) {
    std::vector<std::size_t> sizes = {0, 1, 4, 5, 7, 8, 9, 12, 13, 16, 255};
    for (std::uint32_t seed = 1; seed <= 25; ++seed) {
        sizes.push_back(SeededBytes(2, seed)[0] * 19 % 5001);
    }
    clsDES des;
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const Bytes data = SeededBytes(size, static_cast<std::uint32_t>(size));
        Bytes array = data;
        des.EncryptByte(array, kKey);
        ExpectLayoutHolds(array, data);
        des.DecryptByte(array);
        EXPECT_EQ(array, data);
    }
}

TEST(ByteModes, DeciphersLayoutsMadeByTheReference) {
    clsDES des;
    for (std::uint32_t seed = 1; seed <= 25; ++seed) {
        const Bytes data = SeededBytes(SeededBytes(2, seed)[1] * 17 % 5001, seed);
        Bytes array = ReferenceCbcEncrypt(
            kKey,
            testing::PlainLayout(seed, 7 * seed, static_cast<std::int32_t>(data.size()), data));
        des.DecryptByte(array, kKey);
        EXPECT_EQ(array, data) << "seed " << seed;
    }
}

TEST(ByteModes, SizeDescriptorIsLittleEndian) {
    const Bytes data = SeededBytes(0x00010203, 3);  // four different bytes: 03 02 01 00
    clsDES des;
    Bytes array = data;
    des.EncryptByte(array, kKey);
    const Bytes plain = ReferenceCbcDecrypt(kKey, array);
    EXPECT_EQ(Bytes(plain.begin() + 8, plain.begin() + 12), Bytes({0x03, 0x02, 0x01, 0x00}));
    Bytes reference = ReferenceCbcEncrypt(kKey, testing::PlainLayout(1, 2, 0x00010203, data));
    des.DecryptByte(reference);
    EXPECT_EQ(reference, data);
}

TEST(ByteModes, KeepsTrailingZeroBytesAndSmallLengths) {
    const std::vector<Bytes> cases = {{},
                                      {0},
                                      {0, 0, 0, 0},
                                      {1, 2, 3, 0, 0, 0, 0},
                                      {0, 0, 0, 0, 0, 0, 0, 0},
                                      {9, 8, 7, 6, 5, 4, 3, 2, 0}};
    clsDES des;
    for (const Bytes& data : cases) {
        Bytes array = data;
        des.EncryptByte(array, kKey);
        ExpectLayoutHolds(array, data);
        des.DecryptByte(array, kKey);
        EXPECT_EQ(array, data) << testing::ToHex(data);
    }
}

TEST(ByteModes, SameDataTwiceGivesDifferentHeaders) {
    clsDES des;
    Bytes seenHighBit;
    std::uint32_t ored = 0;
    std::uint32_t anded = 0xFFFFFFFF;
    for (int i = 0; i < 64; ++i) {
        Bytes first = {1, 2, 3}, second = {1, 2, 3};
        des.EncryptByte(first, kKey);
        des.EncryptByte(second, kKey);  // within the same clock tick
        ASSERT_NE(first, second);
        const Bytes plain = ReferenceCbcDecrypt(kKey, first);
        for (const std::size_t at : {0u, 4u}) {
            ored |= Word(plain, at);
            anded &= Word(plain, at);
        }
    }
    EXPECT_EQ(ored, 0x7FFFFFFFu);  // every bit but the sign bit varies
    EXPECT_EQ(anded, 0u);
}

TEST(Progress, EventsFollowThePercentageRule) {
    struct Case {
        std::size_t dataSize;
        std::vector<std::int32_t> expected;
    };
    std::vector<std::int32_t> everyPercent;
    for (int p = 0; p <= 100; ++p) {
        everyPercent.push_back(p);
    }
    const std::vector<Case> cases = {
        {0, {0, 50, 100}}, {4, {0, 50, 100}}, {5, {0, 33, 66, 100}}, {1588, everyPercent}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataSize);
        clsDES des;
        testing::ProgressRecorder recorder;
        recorder.Attach(des);
        Bytes array(c.dataSize, 0x5A);
        des.EncryptByte(array, kKey);
        EXPECT_EQ(recorder.Events, c.expected);
        recorder.Events.clear();
        des.DecryptByte(array);
        EXPECT_EQ(recorder.Events, c.expected);
    }
}

TEST(Failures, BadLayoutsAreReportedAndLeftDecipheredUntrimmed) {
    struct Case {
        const char* name;
        Bytes input;
        std::vector<std::int32_t> progress;
    };
    const Bytes small = {1, 2, 3};
    const auto make = [&](std::int32_t sizeField, const Bytes& data) {
        return ReferenceCbcEncrypt(kKey, testing::PlainLayout(5, 6, sizeField, data));
    };
    Bytes partial = make(3, small);
    partial.push_back(0xEE);
    const std::vector<Case> cases = {
        {"one block, too short for a descriptor", ReferenceCbcEncrypt(kKey, Bytes(8, 0x11)), {0}},
        {"descriptor past the data", make(13, Bytes(9, 1)), {0, 33, 66}},
        {"descriptor leaves a whole spare block", make(1, Bytes(9, 1)), {0, 33, 66}},
        {"negative descriptor", make(-4, small), {0, 50}},
        {"trailing partial block", partial, {0, 47}},
    };
    clsDES des;
    testing::ProgressRecorder recorder;
    recorder.Attach(des);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder.Events.clear();
        Bytes array = c.input;
        try {
            des.DecryptByte(array, kKey);
            ADD_FAILURE() << "no error raised";
        } catch (const DesError& error) {
            EXPECT_STREQ(error.what(), "Incorrect size descriptor in DES decryption");
            EXPECT_EQ(error.Number(), 0x80040000u);
        }
        const std::size_t whole = c.input.size() / 8 * 8;
        Bytes expected = ReferenceCbcDecrypt(
            kKey, Bytes(c.input.begin(), c.input.begin() + static_cast<std::ptrdiff_t>(whole)));
        expected.insert(expected.end(), c.input.begin() + static_cast<std::ptrdiff_t>(whole),
                        c.input.end());
        EXPECT_EQ(array, expected);
        EXPECT_EQ(recorder.Events, c.progress);
    }
}

TEST(Failures, WrongKeyIsReportedThroughDecryptString) {
    clsDES des;
    const std::string hex = des.EncryptString("текст", "right", true);
    EXPECT_THROW(des.DecryptString(hex, "wrong", true), DesError);
    EXPECT_EQ(des.DecryptString(hex, "right", true), "текст");
}

TEST(Failures, EmptyInputDecipheresToEmptyWithoutEvents) {
    clsDES des;
    testing::ProgressRecorder recorder;
    recorder.Attach(des);
    EXPECT_EQ(des.DecryptString("", kKey, false), "");
    EXPECT_EQ(des.DecryptString("", kKey, true), "");
    EXPECT_TRUE(recorder.Events.empty());
}

TEST(TextModes, RoundTripsRawAndHex) {
    const std::vector<std::string> texts = {"", "a", "Пелта", std::string("\0\xFF\x98 x", 5),
                                            std::string(1000, '\xC0')};
    clsDES des;
    for (const std::string& text : texts) {
        for (const bool hex : {false, true}) {
            const std::string enciphered = des.EncryptString(text, kKey, hex);
            if (hex) {
                EXPECT_EQ(enciphered.find_first_not_of("0123456789ABCDEF"), std::string::npos);
            }
            EXPECT_EQ(des.DecryptString(enciphered, kKey, hex), text);
        }
    }
}

TEST(TextModes, EmptyKeyKeepsTheKeyInForce) {
    clsDES des;
    const std::string enciphered = des.EncryptString("data", "first", false);
    EXPECT_EQ(des.DecryptString(enciphered, "", false), "data");
    clsDES other;
    EXPECT_THROW(other.DecryptString(enciphered, "", false), DesError);
}

TEST(Hex, EncodesAndDecodesPairs) {
    struct Case {
        std::string text;
        std::string hex;
    };
    const std::vector<Case> encodes = {
        {"\x0A\xFF", "0AFF"}, {"", ""}, {std::string(1, '\0'), "00"}, {"\xC0\x01", "C001"}};
    const std::vector<Case> decodes = {{"\x0A\xFF", "0aff"},
                                       {"\x0A\xFF", "0AfF"},
                                       {"\x0A\x0F", "0aF"},
                                       {"\x01\x00", "1G"},
                                       {std::string(1, '\0') + "\x12", "G112"},
                                       {"\x0A", "A"},
                                       {"", ""}};
    clsDES des;
    for (const Case& c : encodes) {
        EXPECT_EQ(clsDESTestAccess::HexEncode(des, c.text), c.hex);
        EXPECT_EQ(clsDESTestAccess::HexDecode(des, c.hex), c.text);
    }
    for (const Case& c : decodes) {
        EXPECT_EQ(clsDESTestAccess::HexDecode(des, c.hex), c.text) << c.hex;
    }
}

TEST(Hex, TextBufferGrowsInStepsAndIsResetAfterUse) {
    GrowingTextBuffer buffer;
    struct Step {
        std::size_t pieces;
        std::size_t capacity;
    };
    for (const Step& step : {Step{512, 1024}, Step{1, 2048}, Step{511, 2048}, Step{1, 3072}}) {
        for (std::size_t i = 0; i < step.pieces; ++i) {
            buffer.Append("ab");
        }
        EXPECT_EQ(buffer.capacity(), step.capacity);
    }
    EXPECT_EQ(buffer.length(), 2050u);
    EXPECT_EQ(buffer.Read(), [] {
        std::string s;
        for (int i = 0; i < 1025; ++i)
            s += "ab";
        return s;
    }());
    clsDES des;
    const std::string long_text(3000, '\x7F');
    EXPECT_EQ(clsDESTestAccess::HexEncode(des, long_text).size(), 6000u);
    EXPECT_EQ(clsDESTestAccess::TextBuffer(des).length(), 0u);
    EXPECT_EQ(clsDESTestAccess::TextBuffer(des).capacity(), 1024u);
}

}  // namespace
}  // namespace pelta::cipher
