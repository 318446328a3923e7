// pelta-des as a user runs it: real processes, real files, UTF-8 arguments.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef PELTA_DES_TOOL

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PeltaDes : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("pelta-des-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    Outcome Run(std::vector<std::string> args) const {
        args.insert(args.begin(), PELTA_DES_TOOL);
        const fs::path outPath = folder / "stdout", errPath = folder / "stderr";
        std::fflush(nullptr);  // the child must not repeat our buffered output
        const pid_t child = ::fork();
        if (child == 0) {
            std::freopen(outPath.c_str(), "wb", stdout);
            std::freopen(errPath.c_str(), "wb", stderr);
            std::vector<char*> argv;
            for (std::string& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(outPath), Slurp(errPath)};
    }

    fs::path folder;
};

TEST_F(PeltaDes, FileRoundTrip) {
    const std::string data = "строка\n" + std::string(100000, 'z');
    std::ofstream(folder / "in.txt", std::ios::binary) << data;
    const std::string in = folder / "in.txt", enc = folder / "in.des", out = folder / "out.txt";
    const Outcome encrypted = Run({"encrypt", "--key", "ключ", in, enc});
    EXPECT_EQ(encrypted.exitCode, 0) << encrypted.err;
    EXPECT_EQ(encrypted.err, "");  // no progress bar when stderr is no terminal
    const Outcome decrypted = Run({"decrypt", "--key", "ключ", enc, out});
    EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
    EXPECT_EQ(Slurp(out), data);
}

TEST_F(PeltaDes, FailuresExitNonZeroWithOneLine) {
    std::ofstream(folder / "in.txt") << "plain";
    const std::string in = folder / "in.txt", enc = folder / "in.des";
    ASSERT_EQ(Run({"encrypt", "--key", "k1", in, enc}).exitCode, 0);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"decrypt", "--key", "k2", enc, folder / "x"}, 1, "wrong key or corrupt data"},
        {{"decrypt", "--key", "k1", folder / "absent", folder / "x"}, 1, "input file not found"},
        {{"encrypt", "--key", "k1", in, enc}, 1, "output file exists"},
        {{"encrypt", "--key", "k1", in, folder / "no/such/x"}, 1, "output folder"},
        {{"decrypt-text", "--key", "k2", "--hex", "00112233445566778899AABBCCDDEEFF"},
         1,
         "Incorrect size descriptor in DES decryption"},
        {{"encrypt", in, enc}, 2, "--key"},
        {{"scramble", "--key", "k"}, 2, "unknown command"},
        {{"encrypt-text", "--key", "k", "--overwrite", "t"}, 2, "unexpected option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const Outcome outcome = Run(c.args);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.rfind("pelta-des: ", 0), 0u) << outcome.err;
    }
    EXPECT_FALSE(fs::exists(folder / "x"));
}

TEST_F(PeltaDes, HexTextRoundTripWithCyrillicKeyAndText) {
    const std::string text = "Съешь же ещё этих мягких французских булок";
    const Outcome encrypted = Run({"encrypt-text", "--key", "пароль", "--hex", text});
    ASSERT_EQ(encrypted.exitCode, 0) << encrypted.err;
    const std::string hex = encrypted.out.substr(0, encrypted.out.size() - 1);
    // 42 characters in Windows-1251, one byte each: 12 + 42 bytes, padded to 56
    EXPECT_EQ(hex.size(), 2u * 56);
    const Outcome decrypted = Run({"decrypt-text", "--key", "пароль", "--hex", hex});
    EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
    EXPECT_EQ(decrypted.out, text + "\n");
}

}  // namespace

#endif
