// pelta-des as a user runs it: each failure's message and exit code, keys from a file and from
// the terminal (a pseudo-terminal here), files another user may not touch, and whole output.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utmp.h>

#include <cerrno>
#include <filesystem>
#include <thread>

#include "cipher/des.h"
#include "cipher/layout.h"
#include "tests/link/link_test_support.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_folder.h"
#include "tools/des/failure_text.h"

namespace pelta::des_tool {
namespace {

namespace fs = std::filesystem;

class DesTool : public pelta::testing::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        fs::copy_file(PELTA_DES_TOOL, Path("pelta-des"));
    }
    // Runs pelta-des, through `launcher` when one is set, with `input` on standard input.
    pelta::testing::ProgramRun Tool(std::vector<std::string> args,
                                    const std::string& input = "") const {
        args.insert(args.begin(), Path("pelta-des"));
        args.insert(args.begin(), launcher.begin(), launcher.end());
        return pelta::testing::RunProgram(args[0], {args.begin() + 1, args.end()}, input);
    }

    std::vector<std::string> launcher;  // a program and its arguments that run the tool
};

// One row per way a failure reaches the user; each leaves the old output and no temporary file.
// Every row runs under a file size limit of 1 MiB, which only the write of "big" reaches, and
// as an unprivileged user (root reads and writes anything) for an input it may not read and a
// folder it may not write in.
TEST_F(DesTool, saysWhatFailedForEachFailure) {
    launcher = {"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 2048; exec \"$0\" \"$@\""};
    Write("data", "plain text");
    Write("secret", "plain text");
    Write("empty", "");
    Write("old", "old");
    Write("empty-key", "\nsecond line");
    fs::create_directory(Path("locked"));
    if (::geteuid() == 0) {
        launcher.insert(launcher.begin(),
                        {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    fs::permissions(folder, fs::perms(0777));  // for user 65534 to make its files in
    fs::permissions(Path("secret"), fs::perms(0));
    fs::permissions(Path("locked"), fs::perms(0555));
    // Sparse: no disk is used, and the size alone must stop the work.
    std::ofstream(Path("huge"));
    fs::resize_file(Path("huge"), cipher::layout::kMaxDataSize + 1);
    std::ofstream(Path("huge.des"));
    fs::resize_file(Path("huge.des"),
                    cipher::layout::EncipheredSize(cipher::layout::kMaxDataSize) + 8);
    const std::string data = Path("data"), old = Path("old"), fresh = Path("new"),
                      big = Path("big"), secret = Path("secret"), locked = Path("locked");
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"encrypt", "--key", "k", Path("absent"), fresh}, 1, "input file not found: "},
        {{"encrypt", "--key", "k", locked, fresh}, 1, "input is not a regular file"},
        {{"encrypt", "--key", "k", secret, fresh}, 1, "file " + secret + ": Permission denied"},
        {{"decrypt", "--key", "k", Path("empty"), fresh}, 1, "input file is empty"},
        {{"decrypt", "--key", "k", "-", fresh}, 1, "(not whole 8-byte blocks): standard input"},
        {{"encrypt", "--key", "k", Path("huge"), fresh}, 1, "input file is too large"},
        {{"decrypt", "--key", "k", Path("huge.des"), fresh}, 1, "too large to be encrypted"},
        {{"encrypt", "--key", "k", data, old}, 1, "output file exists (use --overwrite"},
        {{"encrypt", "--key", "k", data, Path("no/out")}, 1, "output folder does not exist: "},
        {{"encrypt", "--key", "k", data, locked + "/out"}, 1, "writable: " + locked + " (Perm"},
        {{"encrypt", "--key", "k", "--overwrite", big, old}, 1, "reached while writing " + old},
        {{"decrypt-text", "--key", "k", "--hex", std::string(32, '0')}, 1, "wrong key, or its"},
        {{"encrypt", "--key", "\xC3\xA4", data, fresh}, 1, "\"\xC3\xA4\" (U+00E4), which"},
        {{"encrypt-text", "--key", "k", "\xE2\x98\x83"}, 1, "the text holds \"\xE2\x98\x83\""},
        {{"encrypt", "--key-file", Path("empty-key"), data, fresh}, 1, "first line is empty"},
        {{"encrypt", "--key-file", Path("absent"), data, fresh}, 1, "No such file"},
        {{"encrypt", data, fresh}, 2, "no key given"},
        {{"encrypt", "--key", "k", "--key-file", Path("k"), data, fresh}, 2, "key once"},
        {{"scramble", "--key", "k"}, 2, "unknown command"},
        {{"encrypt-text", "--key", "k", "--overwrite", "t"}, 2, "unexpected option: --overwrite"},
    };
    Write("big", std::string(3 << 20, 'b'));
    const auto before = Entries();
    for (const auto& [args, code, message] : cases) {
        SCOPED_TRACE(args[0] + " " + args[args.size() - 2] + " " + args.back());
        const auto run = Tool(args);
        EXPECT_EQ(run.Code, code);
        EXPECT_TRUE(run.Err.starts_with("pelta-des: ") && run.Err.find(message) != run.Err.npos &&
                    run.Err.find('\n') == run.Err.size() - 1)
            << "one line naming the failure: " << run.Err;
        EXPECT_EQ(Read("old"), "old");
        EXPECT_EQ(Entries(), before);
    }
}

// ENOSPC and EROFS cannot be provoked here without a small or read-only file system, so their
// wording is checked directly (EFBIG travels the whole way above); so is the wording of the
// failures whose cases the cipher's file tests hold.
TEST(DesToolText, namesWhatFailedAndWhyAtEitherStage) {
    using F = cipher::FileFailure;
    const std::pair<cipher::FileOutcome, const char*> cases[] = {
        {{F::OutputNotWritten, ENOSPC}, "disk full while writing d/out; d/out was not changed"},
        {{F::OutputNotWritten, EDQUOT}, "disk full while writing d/out; d/out was not changed"},
        {{F::OutputNotCreated, ENOSPC}, "disk full: no room for d/out"},
        {{F::OutputNotCreated, EROFS}, "output folder is not writable: d (Read-only file system)"},
        {{F::OutputNotRegular}, "output is not a regular file (a directory, device or FIFO)"},
        {{F::WrongKeyOrDamagedHeader}, "could not decrypt in: wrong key, or its header is damaged"},
    };
    for (const auto& [outcome, expected] : cases) {
        EXPECT_EQ(FileFailureText(outcome, true, "in", "d/out").rfind(expected, 0), 0u) << expected;
    }
}

// Options before the command, "-" for standard input and output, an empty input, --version; a
// key file's first line without its CR LF, keys and texts in Windows-1251 both ways (a key past
// eight characters, counted there, is warned of), and every byte of a deciphered text.
TEST_F(DesTool, keepsTheUsualCommandLineConventions) {
    ::umask(027);  // not the usual 022: a fixed 0644 would not pass
    Write("data", "plain text");
    Write("empty", "");
    Write("key", "ключ\r\nsecond line");
    const auto enc = Tool({"--key", "k", "encrypt", Path("data"), "-"});
    EXPECT_EQ(Tool({"decrypt", "-", "-", "--key", "k"}, enc.Out).Out, "plain text");
    ASSERT_EQ(Tool({"encrypt", "--key", "k", Path("empty"), Path("e")}).Code, 0);
    ASSERT_EQ(Tool({"decrypt", "--key", "k", Path("e"), Path("back")}).Code, 0);
    EXPECT_TRUE(fs::exists(Path("back")) && fs::is_empty(Path("back")));
    // Private only while unfinished: the whole file has the mode the umask gives.
    EXPECT_EQ(fs::status(Path("back")).permissions(), fs::perms(0640));
    EXPECT_EQ(Tool({"--version"}).Out.rfind("pelta-des ", 0), 0u);
    EXPECT_EQ(Tool({"encrypt-text", "--key", "ключключ", "t"}).Err, "");
    EXPECT_EQ(Tool({"encrypt-text", "--key", "ключключк", "t"}).Err,
              "pelta-des: warning: the key has 9 characters; only the first 8 count\n");
    const std::string text = "Съешь же ещё этих мягких французских булок";
    const std::string hex = Tool({"encrypt-text", "--key-file", Path("key"), "--hex", text}).Out;
    ASSERT_EQ(hex.size(), 2 * 56 + 1u) << "12 + 42 bytes, padded, and the line end: " << hex;
    EXPECT_EQ(Tool({"decrypt-text", "--key", "ключ", "--hex", hex.substr(0, 112)}).Out,
              text + "\n");
    const std::string withNul = cipher::clsDES().EncryptString(std::string("a\0b\0", 4), "k", true);
    EXPECT_EQ(Tool({"decrypt-text", "--key", "k", "--hex", withNul}).Out,
              std::string("a\0b\0\n", 5));
}

// pelta-des with a pseudo-terminal for its standard streams, as from a shell's prompt; the test
// types on the master side.
struct Terminal : link::testing::PtyPair {
    explicit Terminal(std::vector<std::string> args) {
        std::vector<char*> argv(args.size() + 1);  // the last one null
        std::ranges::transform(args, argv.begin(), [](std::string& arg) { return arg.data(); });
        if ((child = ::fork()) == 0) {
            ::login_tty(slave);  // its own session, with this terminal as its controlling one
            ::signal(SIGINT, SIG_DFL);  // as at a prompt, also when the test runs in the background
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(std::exchange(slave, -1));  // so that the master sees the program end
    }
    ~Terminal() { ExitCode(); }

    // Reads all it writes until it ends (killed after ten silent seconds: a failure, never a
    // hanging test); 128 + the signal that ended it, as a shell says.
    int ExitCode() {
        seen += Received(std::string::npos, 10000);
        if (child > 0) {
            ::kill(child, SIGKILL);
            ::waitpid(std::exchange(child, -1), &status, 0);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t child = -1;
    int status = 0;
    std::string seen;
};

// Asked twice to encrypt: the same key both times is taken, two different ones are refused.
// With echo off only the line ends show.
TEST_F(DesTool, asksTheTerminalWithoutEchoWhenNoKeyIsGiven) {
    Write("data", "plain text");
    for (const std::string again : {"другой", "пароль"}) {
        Terminal terminal({Path("pelta-des"), "encrypt", Path("data"), Path("enc")});
        ASSERT_EQ(terminal.Received(5, 10000), "Key: ");
        terminal.Send("пароль\n");
        ASSERT_EQ(terminal.Received(13, 10000), "\r\nKey again: ");  // the key not echoed
        terminal.Send(again + "\n");
        const bool same = again == "пароль";
        EXPECT_EQ(terminal.ExitCode(), same ? 0 : 1) << terminal.seen;
        EXPECT_EQ(terminal.seen.find(again), std::string::npos) << terminal.seen;
        EXPECT_EQ(terminal.seen.find("pelta-des: the two keys differ") == std::string::npos, same);
        termios settings{};  // echo is back on
        EXPECT_TRUE(::tcgetattr(terminal.master, &settings) == 0 && (settings.c_lflag & ECHO));
    }
    EXPECT_EQ(Tool({"decrypt", "--key", "пароль", Path("enc"), "-"}).Out, "plain text");
}

// SIGINT, SIGTERM and SIGHUP while the output is written: standard input (the terminal) held
// open keeps the program at work with its temporary file made, so the signal surely comes
// mid-run.
TEST_F(DesTool, removesItsTemporaryFileAndSaysSoInTheStatusOnAnEndingSignal) {
    Write("old", "old");
    const auto temporary = [this] {
        fs::path found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            found = entry.path().filename().string().starts_with(".old.") ? entry.path() : found;
        }
        return found;
    };
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        Terminal terminal(
            {Path("pelta-des"), "encrypt", "--key", "k", "--overwrite", "-", Path("old")});
        terminal.Send("some data");
        for (int waited = 0; temporary().empty() && waited < 2000; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));  // 20 s at most
        }
        ASSERT_FALSE(temporary().empty());
        EXPECT_EQ(fs::status(temporary()).permissions(), fs::perms(0600));  // private meanwhile
        ::kill(terminal.child, signal);
        EXPECT_EQ(terminal.ExitCode(), 128 + signal);
        EXPECT_TRUE(temporary().empty());
        EXPECT_EQ(Read("old"), "old");
    }
}

// Enciphered bytes are refused on a terminal; a progress bar there ends its line before a
// message.
TEST_F(DesTool, keepsATerminalReadable) {
    Terminal binary({Path("pelta-des"), "encrypt-text", "--key", "k", "text"});
    EXPECT_EQ(binary.ExitCode(), 2);
    EXPECT_NE(binary.seen.find("use --hex, or redirect"), binary.seen.npos) << binary.seen;
    Write("big", std::string(3 << 20, 'b'));  // its first megabyte deciphers to no header
    Terminal bar({Path("pelta-des"), "decrypt", "--key", "k", Path("big"), Path("out")});
    EXPECT_EQ(bar.ExitCode(), 1);
    EXPECT_NE(bar.seen.find("%\r\npelta-des: could not decrypt"), std::string::npos) << bar.seen;
}

}  // namespace
}  // namespace pelta::des_tool
