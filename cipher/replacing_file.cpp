#include "cipher/replacing_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "cipher/random_source.h"

namespace pelta::cipher {

namespace {

char PendingPath[PATH_MAX] = {};

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Holds off the ending signals while the file and the slot change together.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld() {
        sigset_t ending;
        ::sigemptyset(&ending);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            ::sigaddset(&ending, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &ending, &Before);
    }
    ~EndingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &Before, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    sigset_t Before{};
};

std::filesystem::path TemporaryBeside(const std::filesystem::path& target, unsigned attempt) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about "." + std::string.
    std::string name(1, '.');
    name.append(target.filename().string());
    name.append(1, '.');
    name.append(std::to_string(RandomHeaderValue()));
    name.append(1, '.');
    name.append(std::to_string(attempt));
    name.append(".tmp");
    return target.parent_path() / name;
}

// O_EXCL: never open an existing file; 0600 from the start, not after the first bytes.
std::FILE* CreateNew(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (fd >= 0 && file == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
    }
    return file;
}

}  // namespace

const char* PendingTemporaryFile() noexcept {
    return PendingPath;
}

ReplacingFile::ReplacingFile(std::filesystem::path target) : Target(std::move(target)) {
    // A clash with another name just tries again.
    for (unsigned attempt = 0; attempt < 16 && File == nullptr; ++attempt) {
        Temporary = TemporaryBeside(Target, attempt);
        const EndingSignalsHeld held;
        File = CreateNew(Temporary);
        if (File == nullptr && errno != EEXIST) {
            break;
        }
        const std::string& path = Temporary.native();
        Pending = File != nullptr && PendingPath[0] == '\0' && path.size() < sizeof PendingPath;
        if (Pending) {
            std::memcpy(PendingPath, path.c_str(), path.size() + 1);
        }
    }
    if (File == nullptr) {
        Fail("create temporary file");
    }
}

ReplacingFile::~ReplacingFile() {
    if (File != nullptr) {
        std::fclose(File);
    }
    if (!Committed) {
        const EndingSignalsHeld held;
        ::unlink(Temporary.c_str());
        PendingPath[0] = Pending ? '\0' : PendingPath[0];
    }
}

mode_t ReplacingFile::ModeFromUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

void ReplacingFile::Write(const std::uint8_t* data, std::size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, File) != size) {
        Fail("write");
    }
}

void ReplacingFile::Commit() {
    // Private while unfinished; once whole it takes the mode the user's umask gives new files.
    if (std::fflush(File) != 0 || ::fchmod(::fileno(File), ModeFromUmask()) != 0 ||
        ::fsync(::fileno(File)) != 0) {
        Fail("flush");
    }
    const int closed = std::fclose(File);
    File = nullptr;
    if (closed != 0) {
        Fail("close");
    }
    const EndingSignalsHeld held;
    std::filesystem::rename(Temporary, Target);
    Committed = true;
    PendingPath[0] = Pending ? '\0' : PendingPath[0];
}

}  // namespace pelta::cipher
