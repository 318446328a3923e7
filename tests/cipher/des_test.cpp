// clsDES: the block function against published known answers, the reading of hexadecimal
// text, and the byte-array, text and file modes (the layout seen through OpenSSL's DES-CBC,
// progress, the failures a caller must be told about, and files streamed as the whole array
// would be).

#define OPENSSL_SUPPRESS_DEPRECATED  // single DES is the reference here, deprecated or not
#include <fcntl.h>
#include <gtest/gtest.h>
#include <openssl/des.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>

#include "cipher/bytes.h"
#include "cipher/des.h"
#include "cipher/layout.h"
#include "tests/support/scratch_folder.h"

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
        std::string chain = ivAt == std::string::npos ? "" : FromHex(source.substr(ivAt + 3));
        plain = FromHex(plain);
        expected = FromHex(expected);
        for (std::size_t at = 0; at < plain.size(); at += 8) {
            std::string in = plain.substr(at, 8);
            // chained to the previous block in CBC; no chain in ECB
            std::transform(chain.begin(), chain.end(), in.begin(), in.begin(), std::bit_xor<>());
            const std::string out = clsDESTestAccess::Run(des, in, false);
            EXPECT_EQ(out, expected.substr(at, 8)) << "block at " << at;
            EXPECT_EQ(clsDESTestAccess::Run(des, out, true), in) << "block at " << at;
            chain = chain.empty() ? chain : out;
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

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr char kKey[] = "Ключ-01";    // in this file's UTF-8: more than eight bytes, cut to eight
constexpr char kShortKey[] = "фай-";  // seven bytes: zero-padded to eight

// OpenSSL's DES, the reference: CBC with a zero IV over whole blocks (a trailing partial block
// stays as it is), the key text zero-padded or cut to eight bytes.
Bytes ReferenceCbc(std::string_view keyText, const Bytes& data, bool encipher) {
    DES_cblock key = {0, 0, 0, 0, 0, 0, 0, 0}, iv = {0, 0, 0, 0, 0, 0, 0, 0};
    std::copy_n(keyText.begin(), std::min<std::size_t>(8, keyText.size()), key);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    Bytes out = data;
    DES_ncbc_encrypt(data.data(), out.data(), static_cast<long>(data.size() / 8 * 8), &schedule,
                     &iv, encipher ? DES_ENCRYPT : DES_DECRYPT);
    return out;
}

// Random bytes from a fixed seed, so that failures repeat.
Bytes SeededBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes out(size);
    std::generate(out.begin(), out.end(), [&] { return static_cast<std::uint8_t>(generator()); });
    return out;
}

// The layout EncryptByte makes before enciphering, built independently.
Bytes PlainLayout(std::int32_t sizeField, const Bytes& data) {
    Bytes out = {0x12, 0x34, 0x56, 0x07, 0x65, 0x43, 0x21, 0x00};
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(sizeField) >> (8 * i)));
    }
    out.insert(out.end(), data.begin(), data.end());
    out.resize((out.size() + 7) / 8 * 8);
    return out;
}

// Against the reference: our layout deciphered by OpenSSL is two random values (every bit but
// the sign bit varies, also between calls in one clock tick), little-endian size, data and zero
// padding, and DecryptByte reads it back. The same bytes as a text round-trip raw and in
// hexadecimal (upper case); an empty key keeps kKey in force.
TEST(ByteAndTextModes, layOutDataAsTheReferenceReadsItAndReadItBack) {
    std::vector<Bytes> cases = {{}, {1, 2, 3, 0, 0, 0, 0}, {9, 8, 7, 6, 5, 4, 3, 2, 0}};
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        cases.push_back(SeededBytes(SeededBytes(2, seed)[0] * 19 % 5001, seed));
    }
    cases.push_back(SeededBytes(0x00010203, 3));  // a size whose four bytes differ
    clsDES des;
    std::uint32_t ored = 0;
    for (const Bytes& data : cases) {
        SCOPED_TRACE(data.size());
        Bytes array = data;
        des.EncryptByte(array, kKey);
        const Bytes layout = PlainLayout(static_cast<std::int32_t>(data.size()), data);
        const Bytes plain = ReferenceCbc(kKey, array, false);
        EXPECT_TRUE(std::equal(layout.begin() + 8, layout.end(), plain.begin() + 8, plain.end()));
        ored |= bytes::LoadLE32(plain.data()) | bytes::LoadLE32(plain.data() + 4);
        des.DecryptByte(array);
        EXPECT_EQ(array, data);
        const std::string text(data.begin(), data.end()), hex = des.EncryptString(text, "", true);
        EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_EQ(des.DecryptString(hex, "", true), text);
        EXPECT_EQ(des.DecryptString(des.EncryptString(text), ""), text);
    }
    EXPECT_EQ(ored, 0x7FFFFFFFu);
    EXPECT_EQ(des.DecryptString("", kKey, false), "");
}

TEST(ByteModes, reportABadLayoutAndLeaveItDecipheredUntrimmed) {
    const auto make = [](std::int32_t sizeField, const Bytes& data) {
        return ReferenceCbc(kShortKey, PlainLayout(sizeField, data), true);
    };
    Bytes partial = make(3, {1, 2, 3});
    partial.push_back(0xEE);
    const std::pair<const char*, Bytes> cases[] = {
        {"one block, too short for a descriptor", ReferenceCbc(kShortKey, Bytes(8, 0x11), true)},
        {"descriptor past the data", make(13, Bytes(9, 1))},
        {"descriptor leaves a whole spare block", make(1, Bytes(9, 1))},
        {"negative descriptor", make(-1, {1, 2, 3})},  // less than a block past the data
        {"trailing partial block", partial},
    };
    clsDES des;
    for (const auto& [name, input] : cases) {
        SCOPED_TRACE(name);
        Bytes array = input;
        EXPECT_THROW(des.DecryptByte(array, kShortKey), DesError);
        EXPECT_EQ(array, ReferenceCbc(kShortKey, input, false));
    }
    // The text and number callers of the original component look for.
    EXPECT_STREQ(DesError().what(), "Incorrect size descriptor in DES decryption");
    EXPECT_EQ(DesError().Number(), 0x80040000u);
}

using FileModes = pelta::testing::ScratchFolder;

// Guard cases both ways, then wrong keys and corrupt data when deciphering: each says why and
// touches nothing (pelta-des's tests add the cases it can show with their messages). With
// overwrite, a link at the output is then replaced by the new file, never what it points at.
TEST_F(FileModes, failSayingWhyAndNeverWriteThroughALink) {
    clsDES des;
    Write("data", SeededBytes(3000, 2));
    Write("old", Bytes{4, 5, 6});
    fs::create_directory(Path("folder"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_symlink(Path("nowhere"), Path("dangling"));
    fs::create_symlink(Path("old"), Path("to-old"));
    // A character device of the test's own: nothing here may touch /dev/null.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    fs::create_symlink(::ptsname(terminal), Path("devlink"));
    ASSERT_TRUE(des.EncryptFile(Path("data"), Path("enc"), false, "other key"));
    Write("ragged", Bytes(17, 1));
    // The last two rows only decipher.
    const std::tuple<const char*, const char*, bool, FileFailure> cases[] = {
        {"data", "dangling", false, FileFailure::OutputExists},
        {"data", "folder", true, FileFailure::OutputNotRegular},
        {"data", "fifo", true, FileFailure::OutputNotRegular},
        {"data", "devlink", true, FileFailure::OutputNotRegular},
        {"enc", "old", true, FileFailure::WrongKeyOrDamagedHeader},
        {"ragged", "new", true, FileFailure::InputNotWholeBlocks},
    };
    for (const bool decipher : {false, true}) {
        for (const auto& [in, out, overwrite, failure] : std::span(cases).first(decipher ? 6 : 4)) {
            SCOPED_TRACE(std::string(in) + " -> " + out);
            EXPECT_FALSE(decipher ? des.DecryptFile(Path(in), Path(out), overwrite, kShortKey)
                                  : des.EncryptFile(Path(in), Path(out), overwrite, kShortKey));
            EXPECT_EQ(des.LastFileOutcome().Failure, failure);
            EXPECT_EQ(Read<Bytes>("old"), Bytes({4, 5, 6}));
            EXPECT_EQ(Entries(), 9);  // no new or temporary file left behind
        }
    }
    ::close(terminal);
    for (const char* link : {"dangling", "to-old"}) {
        ASSERT_TRUE(des.EncryptFile(Path("data"), Path(link), true, kShortKey)) << link;
        EXPECT_EQ(fs::symlink_status(Path(link)).type(), fs::file_type::regular) << link;
    }
    EXPECT_FALSE(fs::exists(Path("nowhere")));
    EXPECT_EQ(Read<Bytes>("old"), Bytes({4, 5, 6}));
}

// Sizes around the streaming buffer's edges, largest first so that each output replaces a
// longer one: the file path must give what the array path gives, also when deciphering in
// place, and both raise Progress by the percentage rule (which enciphered sizes of 1600, 24 and
// 16 bytes show best).
TEST_F(FileModes, streamAsTheWholeArrayPathWorks) {
    clsDES des;
    constexpr std::size_t kChunk = layout::kFileChunkSize;
    std::vector<std::int32_t> events, every(101);
    std::iota(every.begin(), every.end(), 0);
    des.Progress = [&](std::int32_t percent) { events.push_back(percent); };
    const std::pair<std::size_t, std::vector<std::int32_t>> cases[] = {
        {2 * kChunk + 21, every}, {kChunk - 4, every}, {kChunk - 12, every},
        {kChunk - 13, every},     {1588, every},       {5, {0, 33, 66, 100}},
        {4, {0, 50, 100}}};
    for (const auto& [size, rule] : cases) {
        SCOPED_TRACE(size);
        const Bytes data = SeededBytes(size, static_cast<std::uint32_t>(size));
        Write("data", data);
        ASSERT_TRUE(des.EncryptFile(Path("data"), Path("enc"), true, kShortKey));
        EXPECT_EQ(std::exchange(events, {}), rule);
        Bytes array = data;
        des.EncryptByte(array);
        EXPECT_EQ(std::exchange(events, {}), rule);
        // Deciphered by the array path too, which the reference vouches for.
        array = Read<Bytes>("enc");
        ASSERT_TRUE(des.DecryptFile(Path("enc"), Path("enc"), true, kShortKey));
        EXPECT_EQ(std::exchange(events, {}), rule);
        des.DecryptByte(array);
        EXPECT_EQ(std::exchange(events, {}), rule);
        EXPECT_EQ(Read<Bytes>("enc"), data);
        EXPECT_EQ(array, data);
    }
    EXPECT_EQ(Entries(), 2);  // no temporary file left behind
}

}  // namespace
}  // namespace pelta::cipher
