#include "tools/sim/pty_line.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace pelta::sim {

namespace {

void AddFlags(int fd, int statusFlags) {
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    if (statusFlags != 0) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | statusFlags);
    }
}

}  // namespace

std::optional<PtyLine> PtyLine::Open(std::string* error) {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        *error = std::string("openpty: ") + std::strerror(errno);
        return std::nullopt;
    }
    AddFlags(master, O_NONBLOCK);
    AddFlags(slave, 0);
    const char* name = ptsname(master);
    PtyLine line(master, slave, name != nullptr ? name : "");
    // Raw from the start, so that bytes pass unchanged even before the client sets the line.
    termios settings{};
    if (line.slavePath_.empty() || tcgetattr(slave, &settings) != 0) {
        *error = std::string("pseudo-terminal: ") + std::strerror(errno);
        return std::nullopt;
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    if (tcsetattr(slave, TCSANOW, &settings) != 0) {
        *error = std::string("tcsetattr: ") + std::strerror(errno);
        return std::nullopt;
    }
    return line;
}

PtyLine::PtyLine(int master, int slave, std::string slavePath)
    : master_(master), slave_(slave), slavePath_(std::move(slavePath)) {}

PtyLine::PtyLine(PtyLine&& other) noexcept
    : master_(std::exchange(other.master_, -1)),
      slave_(std::exchange(other.slave_, -1)),
      slavePath_(std::move(other.slavePath_)) {}

PtyLine::~PtyLine() {
    Close();
}

termios PtyLine::SlaveSettings() const {
    termios settings{};
    if (slave_ >= 0) {
        tcgetattr(slave_, &settings);
    }
    return settings;
}

void PtyLine::Close() {
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        close(slave_);
        slave_ = -1;
    }
}

}  // namespace pelta::sim
