// File operations on real files: the guard cases, links at the output, the streamed path
// against the whole-array path.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cipher/layout.h"
#include "des_test_support.h"

namespace pelta::cipher {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::SeededBytes;

constexpr char kKey[] = "файл";

class FileModes : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path() / "pelta-cipher-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Path(const std::string& name) const { return folder / name; }
    void Write(const std::string& name, const Bytes& data) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
    Bytes Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::size_t EntriesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
    fs::path folder;
    clsDES des;
};

// Guard cases both ways, then wrong keys and corrupt data when deciphering: each says why (the
// plain input, existing output and missing folder cases run through pelta-des).
TEST_F(FileModes, failSayingWhyAndTouchingNothing) {
    Write("data", SeededBytes(3000, 2));
    Write("old", {4, 5, 6});
    fs::create_directory(Path("folder"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_symlink(Path("nowhere"), Path("dangling"));
    // A character device of the test's own: nothing here may touch /dev/null.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    const std::string device = ::ptsname(terminal);
    fs::create_symlink(device, Path("devlink"));
    ASSERT_TRUE(des.EncryptFile(Path("data"), Path("enc"), false, kKey));
    Bytes corrupt = Read("enc");
    corrupt.resize(corrupt.size() - 8);
    Write("truncated", corrupt);
    corrupt.resize(corrupt.size() + 9);
    Write("ragged", corrupt);
    using F = FileFailure;
    const struct {
        const char *in, *out;
        bool overwrite, decipherOnly;
        const char* key;
        FileFailure failure;
        int error = 0;
    } cases[] = {
        {"data", "dangling", false, false, kKey, F::OutputExists},
        {"data", "folder", true, false, kKey, F::OutputNotRegular},
        {"data", "fifo", true, false, kKey, F::OutputNotRegular},
        {"data", "devlink", true, false, kKey, F::OutputNotRegular},
        {"enc", "old", true, true, "other key", F::WrongKeyOrDamagedHeader},
        {"enc", "new", false, true, "other key", F::WrongKeyOrDamagedHeader},
        {"truncated", "old", true, true, kKey, F::WrongKeyOrDamagedHeader},
        {"ragged", "new", true, true, kKey, F::InputNotWholeBlocks},
        {"data", "old", true, true, kKey, F::WrongKeyOrDamagedHeader},
    };
    for (const bool decipher : {false, true}) {
        for (const auto& c : cases) {
            if (c.decipherOnly && !decipher) {
                continue;
            }
            SCOPED_TRACE(std::string(c.in) + " -> " + c.out);
            EXPECT_FALSE(decipher ? des.DecryptFile(Path(c.in), Path(c.out), c.overwrite, c.key)
                                  : des.EncryptFile(Path(c.in), Path(c.out), c.overwrite, c.key));
            EXPECT_EQ(des.LastFileOutcome().Failure, c.failure);
            EXPECT_EQ(des.LastFileOutcome().Errno, c.error);
            EXPECT_EQ(Read("old"), Bytes({4, 5, 6}));
            EXPECT_EQ(Read("data"), SeededBytes(3000, 2));
            EXPECT_EQ(EntriesInFolder(), 9u);  // no new or temporary file left behind
        }
    }
    EXPECT_TRUE(fs::is_fifo(Path("fifo")));
    EXPECT_TRUE(fs::is_character_file(device));
    ::close(terminal);
}

// With overwrite, a link at the output is replaced by the new file; what it pointed at is
// neither made nor changed.
TEST_F(FileModes, replaceALinkNeverItsTargetOnOverwrite) {
    Write("data", SeededBytes(100, 4));
    Write("old", {4, 5, 6});
    fs::create_symlink(Path("nowhere"), Path("dangling"));
    fs::create_symlink(Path("old"), Path("to-old"));
    for (const char* link : {"dangling", "to-old"}) {
        SCOPED_TRACE(link);
        ASSERT_TRUE(des.EncryptFile(Path("data"), Path(link), true, kKey));
        EXPECT_EQ(fs::symlink_status(Path(link)).type(), fs::file_type::regular);
        EXPECT_EQ(fs::file_size(Path(link)), layout::EncipheredSize(100));
    }
    EXPECT_FALSE(fs::exists(Path("nowhere")));
    EXPECT_EQ(Read("old"), Bytes({4, 5, 6}));
}

// Sizes around the streaming buffer's edges, largest first so that each output replaces a
// longer one: the file path must give what the array path gives, with the same Progress events,
// also when deciphering in place.
TEST_F(FileModes, streamAsTheWholeArrayPathWorks) {
    constexpr std::size_t kChunk = layout::kFileChunkSize;
    std::vector<std::int32_t> events;
    des.Progress = [&](std::int32_t percent) { events.push_back(percent); };
    for (const std::size_t size :
         {2 * kChunk + 21, kChunk - 4, kChunk - 12, kChunk - 13, std::size_t{5}}) {
        SCOPED_TRACE(size);
        const Bytes data = SeededBytes(size, static_cast<std::uint32_t>(size));
        Write("data", data);
        events.clear();
        ASSERT_TRUE(des.EncryptFile(Path("data"), Path("enc"), true, kKey));
        const std::vector<std::int32_t> fileEvents = std::exchange(events, {});
        Bytes array = data;
        des.EncryptByte(array);
        EXPECT_EQ(events, fileEvents);
        array = Read("enc");  // deciphered by the reference and by the array path
        const Bytes plain = testing::ReferenceCbc(kKey, array, false);
        ASSERT_EQ(plain.size(), layout::EncipheredSize(size));
        EXPECT_TRUE(std::equal(data.begin(), data.end(), plain.begin() + 12));
        events.clear();
        ASSERT_TRUE(des.DecryptFile(Path("enc"), Path("enc"), true, kKey));
        const std::vector<std::int32_t> decryptEvents = std::exchange(events, {});
        des.DecryptByte(array);
        EXPECT_EQ(events, decryptEvents);
        EXPECT_EQ(Read("enc"), data);
        EXPECT_EQ(array, data);
    }
    EXPECT_EQ(EntriesInFolder(), 2u);  // no temporary file left behind
}

}  // namespace
}  // namespace pelta::cipher
