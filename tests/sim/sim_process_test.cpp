// The built pelta-sim program, driven over a real pseudo-terminal as a client would.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "protocol/frame.h"

extern char** environ;

namespace pelta::sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kReadState = "\x01\x32\xBE";

// Reads until `want` bytes arrived, the deadline passed or the other end closed.
std::string ReadSome(int fd, std::size_t want, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::string got;
    char buf[256];
    while (got.size() < want) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd pfd{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        const ssize_t n = read(fd, buf, std::min(sizeof buf, want - got.size()));
        if (n <= 0) {
            break;
        }
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

class SimProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pelta-simproc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        runtime_ = pattern;
        setenv("XDG_RUNTIME_DIR", pattern, 1);  // the simulator registers its link under it
    }
    void TearDown() override {
        close(port_);
        close(out_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(runtime_);
    }

    // Starts the simulator, reads "pelta-sim: COM<n> -> /dev/..." and opens that port raw.
    void StartAndOpen(std::vector<std::string> args) {
        int out[2];
        ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        args.insert(args.begin(), PELTA_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];  // kept open: the simulator logs every frame there
        std::string line;
        for (std::string more = "-"; !more.empty() && !line.ends_with('\n'); line += more) {
            more = ReadSome(out_, 1, 5s);
        }
        const std::size_t arrow = line.find(" -> /dev/");
        ASSERT_EQ(line.rfind("pelta-sim: COM", 0), 0u) << line;
        ASSERT_NE(arrow, std::string::npos) << line;
        link_ = runtime_ + "/pelta/serialcomm/" + line.substr(11, arrow - 11);
        port_ = open(link_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(port_, 0) << link_;
        termios t{};
        ASSERT_EQ(tcgetattr(port_, &t), 0);
        cfmakeraw(&t);
        cfsetspeed(&t, B9600);
        ASSERT_EQ(tcsetattr(port_, TCSANOW, &t), 0);
    }

    std::string Exchange(const std::string& request, std::size_t want,
                         std::chrono::milliseconds timeout) {
        EXPECT_EQ(write(port_, request.data(), request.size()),
                  static_cast<ssize_t>(request.size()));
        return ReadSome(port_, want, timeout);
    }

    // The exit code once the simulator ended, and whether its link is gone.
    void ExpectCleanExit() {
        int status = -1;
        for (int i = 0; i < 300 && waitpid(pid_, &status, WNOHANG) != pid_; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        pid_ = WIFEXITED(status) ? -1 : pid_;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
    }

    std::string runtime_;
    std::string link_;
    pid_t pid_ = -1;
    int port_ = -1;
    int out_ = -1;
};

TEST_F(SimProcessTest, AnswersOnlyItsOwnAddressLateAndRemovesTheLinkOnSigterm) {
    StartAndOpen({"--late", "300"});
    EXPECT_EQ(Exchange("\x02\x32\xBE", 1, 500ms), "");
    const auto sent = Clock::now();
    const std::string reply = Exchange(kReadState, 23, 3s);  // no byte past the reply either
    EXPECT_GE(Clock::now() - sent, 250ms);
    EXPECT_EQ(reply.size(), 22u);
    EXPECT_TRUE(protocol::IsGoodReply(reply));
    ASSERT_TRUE(fs::exists(fs::symlink_status(link_)));
    kill(pid_, SIGTERM);
    ExpectCleanExit();
}

TEST_F(SimProcessTest, HangupClosesTheLineAndRemovesTheLink) {
    StartAndOpen({"--hangup-after", "1"});
    ASSERT_EQ(write(port_, kReadState.data(), kReadState.size()), 3);
    pollfd pfd{port_, POLLIN, 0};
    ASSERT_EQ(poll(&pfd, 1, 3000), 1);
    char byte = 0;
    const ssize_t n = read(port_, &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << errno;
    ExpectCleanExit();
}

}  // namespace
}  // namespace pelta::sim
