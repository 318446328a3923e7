#pragma once
// Runs a program as a test would from a shell, and collects its exit status and both outputs.
// Input and outputs are memory files, not pipes: nothing can fill up and stall either side.

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace pelta::testing {

struct ProgramRun {
    int Code = -1;  // the exit status, 128 + the signal that ended it, or -1 if it could not run
    std::string Out, Err;
};

// The whole of a memory file, which it closes.
inline std::string TakeMemoryFile(int fd) {
    std::string text(static_cast<std::size_t>(std::max<off_t>(::lseek(fd, 0, SEEK_END), 0)), '\0');
    text.resize(
        static_cast<std::size_t>(std::max<ssize_t>(::pread(fd, text.data(), text.size(), 0), 0)));
    ::close(fd);
    return text;
}

// Runs `path` with `args`, `input` on its standard input, `env` added to this process's
// environment. A program still running at `timeout` is ended by SIGALRM (Code 128 + SIGALRM).
inline ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args = {},
                             const std::string& input = "",
                             const std::map<std::string, std::string>& env = {},
                             std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    const int in = ::memfd_create("in", MFD_CLOEXEC), out = ::memfd_create("out", MFD_CLOEXEC),
              err = ::memfd_create("err", MFD_CLOEXEC);
    const bool ready = out >= 0 && err >= 0 &&
                       ::pwrite(in, input.data(), input.size(), 0) == ssize_t(input.size());
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ready ? ::fork() : -1;
    if (child == 0) {
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (const auto& [name, value] : env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        ::alarm(static_cast<unsigned>((timeout.count() + 999) / 1000));  // outlives the exec
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    pid_t ended = -1;
    while (child > 0 && (ended = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
        // a signal for this process came first: wait on
    }
    ::close(in);
    const int code = ended != child      ? -1
                     : WIFEXITED(status) ? WEXITSTATUS(status)
                                         : 128 + WTERMSIG(status);
    return {code, TakeMemoryFile(out), TakeMemoryFile(err)};
}

}  // namespace pelta::testing
