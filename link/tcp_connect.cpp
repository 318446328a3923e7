#include "link/tcp_connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace pelta::link {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Handles stay above 0 even when the standard descriptors are closed.
int AboveStandardDescriptors(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

// 0 once connected, else the errno of the failure (ETIMEDOUT when the bound ran out).
int ConnectOne(int fd, const addrinfo& address, Clock::time_point deadline) {
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) {
        return 0;
    }
    if (errno != EINPROGRESS && errno != EINTR) {
        return errno;
    }
    pollfd request{fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&request, 1, MillisecondsLeft(deadline));
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return ready == 0 ? ETIMEDOUT : errno;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

}  // namespace

TcpConnection ConnectTcp(const PortUrl& url, int boundMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    TcpConnection result;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(url.Port);
    if (const int error = ::getaddrinfo(url.Host.c_str(), service.c_str(), &hints, &found);
        error != 0) {
        result.Error = error == EAI_SYSTEM ? errno : EHOSTUNREACH;
        result.Why = ::gai_strerror(error);
        return result;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
    result.Error = ETIMEDOUT;
    for (const addrinfo* address = found; address != nullptr && MillisecondsLeft(deadline) > 0;
         address = address->ai_next) {
        const int fd = AboveStandardDescriptors(
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (fd < 0) {
            result.Error = errno;
            continue;
        }
        result.Error = ConnectOne(fd, *address, deadline);
        if (result.Error == 0) {
            // Frames are small and waited for: send each at once.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            result.Fd = fd;
            return result;
        }
        ::close(fd);
    }
    result.Why = std::strerror(result.Error);
    return result;
}

}  // namespace pelta::link
