#include "tools/des/key_input.h"

#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>

namespace pelta::des_tool {

namespace {

// The key is one line: a CR before the LF (a file from Windows) is no part of it.
std::string WithoutLineEnd(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// The terminal's settings before echo was turned off, for the signal handler to put back.
termios SavedTerminal{};
constexpr std::array kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RestoreTerminalAndDie(int signal) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo off (the line end still echoes) for as long as it lives.
class EchoOff {
  public:
    EchoOff() : Ok(::tcgetattr(STDIN_FILENO, &SavedTerminal) == 0) {
        struct sigaction action {};
        action.sa_handler = RestoreTerminalAndDie;
        for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
            ::sigaction(kEndingSignals[i], &action, &Previous[i]);
        }
        termios quiet = SavedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        Ok = Ok && ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
        for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
            ::sigaction(kEndingSignals[i], &Previous[i], nullptr);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool Works() const { return Ok; }

  private:
    bool Ok;
    std::array<struct sigaction, kEndingSignals.size()> Previous{};
};

KeyInput AskOnce(std::FILE* prompts, const char* prompt) {
    std::fputs(prompt, prompts);
    std::fflush(prompts);
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || c == '\n') {
            break;
        }
        line.push_back(c);
    }
    line = WithoutLineEnd(std::move(line));
    return line.empty() ? KeyInput{{}, "no key given"} : KeyInput{std::move(line), {}};
}

}  // namespace

KeyInput ReadKeyFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    if (!file.is_open() || (!std::getline(file, line) && !file.eof())) {
        return {{}, "cannot read the key file " + path + ": " + std::strerror(errno)};
    }
    line = WithoutLineEnd(std::move(line));
    if (line.empty()) {
        return {{}, "the key file's first line is empty: " + path};
    }
    return {std::move(line), {}};
}

KeyInput PromptForKey(std::FILE* prompts, bool confirm) {
    const EchoOff quiet;
    if (!quiet.Works()) {
        return {{}, std::string("cannot turn the terminal's echo off: ") + std::strerror(errno)};
    }
    KeyInput first = AskOnce(prompts, "Key: ");
    if (!first.Error.empty() || !confirm) {
        return first;
    }
    const KeyInput again = AskOnce(prompts, "Key again: ");
    if (again.Key != first.Key) {
        return {{}, "the two keys differ"};
    }
    return first;
}

}  // namespace pelta::des_tool
