// File operations on real files: the guard cases, replacing without loss, and the streamed
// path against the whole-array path.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
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
        folder = fs::temp_directory_path() /
                 ("pelta-cipher-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path Path(const std::string& name) const { return folder / name; }

    static void Write(const fs::path& path, const Bytes& data) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
    static Bytes Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::size_t EntriesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    fs::path folder;
    clsDES des;
};

TEST_F(FileModes, GuardCasesReturnFalseAndTouchNothing) {
    struct Case {
        const char* name;
        const char* in;
        const char* out;
        bool overwrite;
    };
    Write(Path("data"), {1, 2, 3});
    Write(Path("empty"), {});
    Write(Path("existing"), {9, 9});
    fs::create_directory(Path("folder"));
    const std::vector<Case> cases = {
        {"missing input", "absent", "new", true},
        {"empty input", "empty", "new", true},
        {"input is a folder", "folder", "new", true},
        {"existing output, no overwrite", "data", "existing", false},
        {"output in a missing folder", "data", "no/such/out", true},
    };
    for (const bool decipher : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const bool done = decipher
                                  ? des.DecryptFile(Path(c.in), Path(c.out), c.overwrite, kKey)
                                  : des.EncryptFile(Path(c.in), Path(c.out), c.overwrite, kKey);
            EXPECT_FALSE(done);
            EXPECT_FALSE(fs::exists(Path("new")));
            EXPECT_EQ(Read(Path("existing")), Bytes({9, 9}));
            EXPECT_EQ(Read(Path("data")), Bytes({1, 2, 3}));
            EXPECT_EQ(EntriesInFolder(), 4u);  // no temporary file left behind
        }
    }
}

TEST_F(FileModes, OverwriteReplacesAndInPlaceRoundTrips) {
    const Bytes data = SeededBytes(5000, 1);
    Write(Path("data"), data);
    Write(Path("out"), Bytes(100000, 7));
    ASSERT_TRUE(des.EncryptFile(Path("data"), Path("out"), true, kKey));
    ASSERT_TRUE(des.DecryptFile(Path("out"), Path("out"), true, kKey));
    EXPECT_EQ(Read(Path("out")), data);

    ASSERT_TRUE(des.EncryptFile(Path("data"), Path("data"), true, kKey));
    EXPECT_EQ(Read(Path("data")).size(), layout::EncipheredSize(data.size()));
    ASSERT_TRUE(des.DecryptFile(Path("data"), Path("data"), true, kKey));
    EXPECT_EQ(Read(Path("data")), data);
    EXPECT_EQ(EntriesInFolder(), 2u);
}

TEST_F(FileModes, WrongKeyOrCorruptDataWritesNothing) {
    const Bytes data = SeededBytes(3000, 2);
    Write(Path("data"), data);
    ASSERT_TRUE(des.EncryptFile(Path("data"), Path("enc"), false, kKey));
    Bytes truncated = Read(Path("enc"));
    truncated.resize(truncated.size() - 8);
    Write(Path("truncated"), truncated);
    Bytes ragged = Read(Path("enc"));
    ragged.push_back(0);
    Write(Path("ragged"), ragged);
    Write(Path("old"), {4, 5, 6});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"enc", "other key"}, {"truncated", kKey}, {"ragged", kKey}, {"data", kKey}};
    for (const auto& [input, key] : cases) {
        SCOPED_TRACE(input);
        EXPECT_FALSE(des.DecryptFile(Path(input), Path("old"), true, key));
        EXPECT_EQ(Read(Path("old")), Bytes({4, 5, 6}));
        EXPECT_FALSE(des.DecryptFile(Path(input), Path("fresh"), false, key));
        EXPECT_FALSE(fs::exists(Path("fresh")));
    }
    EXPECT_EQ(EntriesInFolder(), 5u);
}

// A write that fails part way (here: the file size limit) must leave the old output as it was.
TEST_F(FileModes, FailedWriteKeepsTheOldOutput) {
    Write(Path("big"), SeededBytes(3 << 20, 3));
    Write(Path("old"), {4, 5, 6});
    std::fflush(nullptr);  // the child must not repeat our buffered output
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        clsDES inChild;
        ::_exit(inChild.EncryptFile(Path("big"), Path("old"), true, kKey) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "EncryptFile reported success";
    EXPECT_EQ(Read(Path("old")), Bytes({4, 5, 6}));
    EXPECT_EQ(EntriesInFolder(), 2u);
}

// Sizes around the streaming buffer's edges: the file path must give what the array path
// gives, with the same Progress events.
TEST_F(FileModes, StreamingMatchesTheWholeArrayPath) {
    constexpr std::size_t kChunk = layout::kFileChunkSize;
    const std::vector<std::size_t> sizes = {
        1, 4, 5, kChunk - 13, kChunk - 12, kChunk - 11, kChunk - 4, kChunk + 3, 2 * kChunk + 21};
    testing::ProgressRecorder recorder;
    recorder.Attach(des);
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const Bytes data = SeededBytes(size, static_cast<std::uint32_t>(size));
        Write(Path("data"), data);

        recorder.Events.clear();
        ASSERT_TRUE(des.EncryptFile(Path("data"), Path("enc"), true, kKey));
        const std::vector<std::int32_t> fileEncryptEvents = recorder.Events;
        const Bytes enciphered = Read(Path("enc"));
        const Bytes plain = testing::ReferenceCbcDecrypt(kKey, enciphered);
        ASSERT_EQ(plain.size(), layout::EncipheredSize(size));
        EXPECT_EQ(Bytes(plain.begin() + 12, plain.begin() + 12 + static_cast<std::ptrdiff_t>(size)),
                  data);
        EXPECT_EQ(
            std::count(plain.begin() + 12 + static_cast<std::ptrdiff_t>(size), plain.end(), 0),
            static_cast<std::ptrdiff_t>(plain.size() - 12 - size));

        recorder.Events.clear();
        Bytes array = data;
        des.EncryptByte(array);
        EXPECT_EQ(recorder.Events, fileEncryptEvents);

        recorder.Events.clear();
        ASSERT_TRUE(des.DecryptFile(Path("enc"), Path("dec"), true, kKey));
        const std::vector<std::int32_t> fileDecryptEvents = recorder.Events;
        recorder.Events.clear();
        Bytes whole = enciphered;
        des.DecryptByte(whole);
        EXPECT_EQ(recorder.Events, fileDecryptEvents);
        EXPECT_EQ(Read(Path("dec")), whole);
        EXPECT_EQ(whole, data);
    }
}

TEST(PathExistsCheck, TrueOnlyForReadableFileLengths) {
    const fs::path file =
        fs::temp_directory_path() / ("pelta-exists-" + std::to_string(::getpid()));
    std::ofstream(file) << "x";
    EXPECT_TRUE(clsDESTestAccess::PathExists(file));
    EXPECT_FALSE(clsDESTestAccess::PathExists(file.string() + ".absent"));
    EXPECT_FALSE(clsDESTestAccess::PathExists(fs::temp_directory_path()));
    fs::remove(file);
}

}  // namespace
}  // namespace pelta::cipher
