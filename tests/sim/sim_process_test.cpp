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
#include "test_bytes.h"

extern char** environ;

namespace pelta::sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Bytes;

const std::string kReadState = Bytes({1, 0x32, 0xBE});

class SimProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pelta-simproc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        runtime_ = pattern;
    }

    void TearDown() override {
        if (port_ >= 0) {
            close(port_);
        }
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) {
            close(out_);
        }
        fs::remove_all(runtime_);
    }

    // Starts the simulator and reads its first line; false when it printed none.
    bool Start(std::vector<std::string> args) {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
        args.insert(args.begin(), PELTA_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtime_};
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::string_view(*e).rfind("XDG_RUNTIME_DIR=", 0) != 0) {
                env.emplace_back(*e);
            }
        }
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        out_ = pipeFds[0];
        if (rc != 0) {
            pid_ = -1;
            return false;
        }
        firstLine_ = ReadLine(5s);
        // "pelta-sim: COM<n> -> /dev/..."
        const std::string prefix = "pelta-sim: COM";
        const std::size_t arrow = firstLine_.find(" -> /dev/");
        if (firstLine_.rfind(prefix, 0) != 0 || arrow == std::string::npos ||
            arrow == prefix.size()) {
            return false;
        }
        const std::string number = firstLine_.substr(prefix.size(), arrow - prefix.size());
        if (number.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        linkPath_ = runtime_ + "/pelta/serialcomm/COM" + number;
        return true;
    }

    std::string ReadLine(std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (true) {
            if (const auto nl = buffered_.find('\n'); nl != std::string::npos) {
                std::string line = buffered_.substr(0, nl);
                buffered_.erase(0, nl + 1);
                return line;
            }
            const std::string more = ReadSome(out_, 1024, deadline, true);
            if (more.empty()) {
                return {};
            }
            buffered_ += more;
        }
    }

    // Reads until `want` bytes arrived or the deadline passes; `firstOnly` stops after the first
    // successful read.
    static std::string ReadSome(int fd, std::size_t want, Clock::time_point deadline,
                                bool firstOnly = false) {
        std::string got;
        while (got.size() < want) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd pfd{fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char buf[256];
            const ssize_t n = read(fd, buf, std::min(sizeof buf, want - got.size()));
            if (n <= 0) {
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
            if (firstOnly) {
                break;
            }
        }
        return got;
    }

    void OpenPort(speed_t speed = B9600, tcflag_t extra = 0) {
        port_ = open(linkPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(port_, 0) << linkPath_;
        termios t{};
        ASSERT_EQ(tcgetattr(port_, &t), 0);
        cfmakeraw(&t);
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        t.c_cflag |= extra;
        ASSERT_EQ(tcsetattr(port_, TCSANOW, &t), 0);
    }

    std::string Exchange(const std::string& request, std::size_t want,
                         std::chrono::milliseconds timeout = 2s) {
        EXPECT_EQ(write(port_, request.data(), request.size()),
                  static_cast<ssize_t>(request.size()));
        return ReadSome(port_, want, Clock::now() + timeout);
    }

    std::optional<int> WaitExit(std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }

    bool LinkExists() const { return fs::exists(fs::symlink_status(linkPath_)); }

    std::string runtime_;
    std::string linkPath_;
    std::string firstLine_;
    std::string buffered_;
    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = -1;
};

struct ExchangeCase {
    const char* name;
    std::vector<std::string> args;
    std::string request;
    std::size_t expectedLength;  // 0: silence
    bool expectGood;
};

class SimExchangeTest : public SimProcessTest,
                        public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(SimExchangeTest, AnswersAndMisbehavesAsTold) {
    const ExchangeCase& c = GetParam();
    ASSERT_TRUE(Start(c.args)) << firstLine_;
    OpenPort();
    // Silence is judged over 300 ms; a reply must also not run on past its length.
    std::string reply = Exchange(c.request, std::max<std::size_t>(c.expectedLength, 1),
                                 c.expectedLength == 0 ? 300ms : 2s);
    reply += ReadSome(port_, 1, Clock::now() + 100ms);
    EXPECT_EQ(reply.size(), c.expectedLength);
    EXPECT_EQ(protocol::IsGoodReply(reply), c.expectGood);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimExchangeTest,
    ::testing::Values(
        ExchangeCase{"ReadState", {}, kReadState, 22, true},
        ExchangeCase{"OtherAddress", {}, Bytes({2, 0x32, 0xBE}), 0, false},
        ExchangeCase{"OwnAddress7", {"--address", "7"}, Bytes({7, 0x32, 0xC0}), 25, true},
        ExchangeCase{"Address1WhenOwnIs7", {"--address", "7"}, Bytes({1, 0x32, 0xC0}), 0, false},
        ExchangeCase{"Write", {}, Bytes({1, 0x5A, 0x5F, 0, 6, 30, 2}), 3, true},
        ExchangeCase{"Silent", {"--silent"}, kReadState, 0, false},
        ExchangeCase{"BadCrc", {"--bad-crc"}, kReadState, 22, false},
        ExchangeCase{"Short", {"--short"}, Bytes({1, 0x32, 0xC0}), 12, false}),
    [](const ::testing::TestParamInfo<ExchangeCase>& info) { return info.param.name; });

TEST_F(SimProcessTest, LogsFramesWithTheClientsLineParameters) {
    ASSERT_TRUE(Start({})) << firstLine_;
    OpenPort(B19200, CSTOPB | PARODD);
    ASSERT_EQ(Exchange(Bytes({2, 0x32, 0xBE}), 1, 200ms), "");
    ASSERT_EQ(Exchange(kReadState, 22).size(), 22U);
    const std::string ignored = ReadLine(2s);
    EXPECT_NE(ignored.find(" rx 02 32 BE | ReadState addr=2 | ignored: not our address"),
              std::string::npos)
        << ignored;
    const std::string rx = ReadLine(2s);
    EXPECT_NE(rx.find(" rx 01 32 BE | ReadState addr=1 | answered | "), std::string::npos) << rx;
    EXPECT_NE(rx.find("speed=19200 data=8 stop=2 parenb=0 parodd=1"), std::string::npos) << rx;
    EXPECT_NE(ReadLine(2s).find(" tx 01 32 BE "), std::string::npos);
}

TEST_F(SimProcessTest, LateReplyArrivesLate) {
    ASSERT_TRUE(Start({"--late", "300"})) << firstLine_;
    OpenPort();
    const auto sent = Clock::now();
    const std::string reply = Exchange(kReadState, 22, 3s);
    EXPECT_GE(Clock::now() - sent, 250ms);
    EXPECT_EQ(reply.size(), 22U);
    EXPECT_TRUE(protocol::IsGoodReply(reply));
}

TEST_F(SimProcessTest, HangupClosesLineAndRemovesLink) {
    ASSERT_TRUE(Start({"--hangup-after", "1"})) << firstLine_;
    OpenPort();
    ASSERT_EQ(write(port_, kReadState.data(), kReadState.size()), 3);
    pollfd pfd{port_, POLLIN, 0};
    ASSERT_EQ(poll(&pfd, 1, 3000), 1);
    char byte = 0;
    const ssize_t n = read(port_, &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << errno;
    EXPECT_EQ(WaitExit(3s), 0);
    EXPECT_FALSE(LinkExists());
}

TEST_F(SimProcessTest, SignalsRemoveTheLink) {
    for (const int sig : {SIGTERM, SIGINT}) {
        ASSERT_TRUE(Start({})) << firstLine_;
        ASSERT_TRUE(LinkExists());
        kill(pid_, sig);
        EXPECT_EQ(WaitExit(3s), 0) << sig;
        EXPECT_FALSE(LinkExists()) << sig;
        close(out_);
        out_ = -1;
        buffered_.clear();
    }
}

TEST_F(SimProcessTest, RefusesToReplaceALiveLinkAndRejectsBadOptions) {
    fs::create_directories(runtime_ + "/pelta/serialcomm");
    fs::permissions(runtime_ + "/pelta", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_symlink("/dev/null", runtime_ + "/pelta/serialcomm/COM5");
    EXPECT_FALSE(Start({"--com", "5"}));
    EXPECT_NE(firstLine_.find("live device"), std::string::npos) << firstLine_;
    EXPECT_EQ(WaitExit(3s), 1);
    EXPECT_EQ(fs::read_symlink(runtime_ + "/pelta/serialcomm/COM5"), "/dev/null");

    close(out_);
    out_ = -1;
    EXPECT_FALSE(Start({"--late"}));
    EXPECT_NE(firstLine_.find("needs a value"), std::string::npos) << firstLine_;
    EXPECT_EQ(WaitExit(3s), 2);
}

}  // namespace
}  // namespace pelta::sim
