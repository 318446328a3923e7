#pragma once
// Runs a program as a test would from a shell, and collects its exit status and both outputs.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pelta::testing {

struct ProgramRun {
    int Code = -1;  // the exit status, 128 + the signal that ended it, or -1 if it could not run
    std::string Out, Err;
};

// Runs `path` with `args`, `input` on its standard input, `env` added to this process's
// environment. A program still running at `timeout` is killed (Code 128 + SIGKILL).
inline ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args = {},
                             const std::string& input = "",
                             const std::map<std::string, std::string>& env = {},
                             std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
        ::pipe2(err, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return {};
    }
    if (child == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (const auto& [name, value] : env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    ::signal(SIGPIPE, SIG_IGN);  // a program that does not read its input must not end the test
    ProgramRun run;
    std::size_t written = 0;
    int toChild = in[1];
    ::fcntl(toChild, F_SETFL, O_NONBLOCK);  // a full pipe must not stop the reading of outputs
    if (input.empty()) {
        ::close(std::exchange(toChild, -1));
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {toChild, POLLOUT, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            break;
        }
        fds[2].fd = toChild;
        if (::poll(fds, 3, 100) < 0) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            char buffer[4096];
            const ssize_t got = fds[i].revents != 0 ? ::read(fds[i].fd, buffer, sizeof buffer) : 0;
            if (got > 0) {
                (i == 0 ? run.Out : run.Err).append(buffer, static_cast<std::size_t>(got));
            } else if (fds[i].revents != 0) {
                ::close(std::exchange(fds[i].fd, -1));
            }
        }
        if (toChild >= 0 && fds[2].revents != 0) {
            const ssize_t put = ::write(toChild, input.data() + written, input.size() - written);
            written += put > 0 ? static_cast<std::size_t>(put) : 0;
            if ((put < 0 && errno != EAGAIN) || written == input.size()) {
                ::close(std::exchange(toChild, -1));
            }
        }
    }
    for (const int fd : {fds[0].fd, fds[1].fd, toChild}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int status = 0;
    pid_t ended = 0;
    // Both outputs are closed; the program may still be going, so the time-out holds here too.
    while ((ended = ::waitpid(child, &status, WNOHANG)) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
        }
        ::usleep(1000);
    }
    run.Code = ended != child      ? -1
               : WIFEXITED(status) ? WEXITSTATUS(status)
                                   : 128 + WTERMSIG(status);
    return run;
}

}  // namespace pelta::testing
