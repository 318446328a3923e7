#include "link/network_port.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "link/com_port_settings.h"
#include "link/line_rules.h"
#include "link/port_deadlines.h"

namespace pelta::link {
namespace {

constexpr std::uint32_t MaxDword = 0xFFFFFFFF;

bool WaitReady(int fd, short events, int waitMs) {
    pollfd request{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&request, 1, waitMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

}  // namespace

NetworkPort::NetworkPort(int fd, PortUrl::Kind kind, int boundMs)
    : fd_(fd), kind_(kind), boundMs_(boundMs) {
    // Until time-outs are set, a read returns at once with what is there.
    Timeouts.ReadIntervalTimeout = MaxDword;
    if (IsTelnet()) {
        // The server answers while the settings are worked out; a failure shows up there.
        Send(receiver_.Offers(true), boundMs_);
    }
}

NetworkPort::~NetworkPort() {
    ::close(fd_);
}

NetworkPort::Pulled NetworkPort::Pull(int waitMs) {
    if (ended_ || (waitMs != 0 && !WaitReady(fd_, POLLIN, waitMs))) {
        return ended_ ? Pulled::Failed : Pulled::Nothing;
    }
    std::array<char, 4096> bytes{};
    ssize_t n = 0;
    do {
        n = ::recv(fd_, bytes.data(), bytes.size(), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return Pulled::Nothing;
    }
    // Acknowledged at once: a server that runs Nagle's algorithm (ser2net does) holds its next
    // small write until then, and a delayed acknowledgement would add 40 ms to every reply.
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    if (n <= 0) {
        ended_ = true;  // the server has gone: nothing more will arrive
        error_ = n < 0 ? errno : 0;
        return Pulled::Failed;
    }
    const std::string_view wire(bytes.data(), static_cast<std::size_t>(n));
    if (!IsTelnet()) {
        received_ += wire;
        return Pulled::Bytes;
    }
    telnet::TelnetReceiver::Output out;
    receiver_.Receive(wire, out);
    received_ += out.Data;
    replies_.insert(replies_.end(), out.Replies.begin(), out.Replies.end());
    if (!out.Answers.empty()) {
        Send(out.Answers, boundMs_);
    }
    return Pulled::Bytes;
}

int NetworkPort::Send(std::string_view wire, int waitMs) {
    const auto deadline = waitMs < 0
                              ? std::nullopt
                              : std::optional(PortClock::now() + std::chrono::milliseconds(waitMs));
    while (!wire.empty()) {
        const ssize_t n = ::send(fd_, wire.data(), wire.size(), MSG_NOSIGNAL);
        if (n > 0) {
            wire.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno;
        } else if (n < 0 && errno != EINTR && !WaitReady(fd_, POLLOUT, PollTimeout(deadline))) {
            return ETIMEDOUT;
        }
    }
    return 0;
}

int NetworkPort::WaitForComPortOption(int waitMs, std::string* what) {
    const auto deadline = PortClock::now() + std::chrono::milliseconds(waitMs);
    while (!receiver_.ComPortAccepted() && !receiver_.ComPortRefused()) {
        if (Pull(PollTimeout(deadline)) != Pulled::Bytes && PollTimeout(deadline) == 0) {
            break;
        }
        if (ended_) {
            break;
        }
    }
    if (receiver_.ComPortAccepted()) {
        return 0;
    }
    *what = "COM-PORT-OPTION";
    if (ended_) {
        return error_ != 0 ? error_ : ECONNRESET;
    }
    return receiver_.ComPortRefused() ? EPROTONOSUPPORT : ETIMEDOUT;
}

int NetworkPort::Configure(const Dcb& dcb, std::string* what) {
    if (!IsTelnet()) {
        return 0;
    }
    if (const int refusal = CheckLineParameters(dcb); refusal != 0) {
        *what = "line parameters";
        return refusal;
    }
    if (const int error = WaitForComPortOption(boundMs_, what); error != 0) {
        return error;
    }
    const std::vector<ComPortSetting> settings = ComPortSettingsFor(dcb);
    std::string requests;
    for (const ComPortSetting& setting : settings) {
        requests += telnet::ComPortRequest(setting.Command, setting.Value);
    }
    if (const int error = Send(requests, boundMs_); error != 0) {
        return error;
    }
    std::vector<bool> answered(settings.size(), false);
    const auto deadline = PortClock::now() + std::chrono::milliseconds(boundMs_);
    for (;;) {
        for (const telnet::ComPortReply& reply : replies_) {
            const int i = SettingAnswered(settings, reply);
            if (i < 0 || answered[static_cast<std::size_t>(i)]) {
                continue;  // a notification, or a late second answer
            }
            const ComPortSetting& setting = settings[static_cast<std::size_t>(i)];
            answered[static_cast<std::size_t>(i)] = true;
            // DTR and RTS are not waited for, so their answers cannot decide either.
            if (setting.MustBeAnswered && reply.Value != setting.Value) {
                *what = setting.Name;
                return EINVAL;
            }
        }
        replies_.clear();
        const auto missing = std::find_if(settings.begin(), settings.end(), [&](const auto& s) {
            return s.MustBeAnswered && !answered[static_cast<std::size_t>(&s - settings.data())];
        });
        if (missing == settings.end()) {
            return 0;
        }
        if (Pull(PollTimeout(deadline)) != Pulled::Bytes &&
            (ended_ || PollTimeout(deadline) == 0)) {
            *what = missing->Name;
            return ended_ ? (error_ != 0 ? error_ : ECONNRESET) : ETIMEDOUT;
        }
    }
}

int NetworkPort::Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
    *bytesRead = 0;
    const bool returnAtOnce = Timeouts.ReadIntervalTimeout == MaxDword &&
                              Timeouts.ReadTotalTimeoutMultiplier == 0 &&
                              Timeouts.ReadTotalTimeoutConstant == 0;
    const auto total = TotalDeadline(PortClock::now(), Timeouts.ReadTotalTimeoutMultiplier,
                                     Timeouts.ReadTotalTimeoutConstant, count);
    std::optional<PortClock::time_point> interval;
    while (*bytesRead < count) {
        if (!received_.empty()) {
            const auto n = std::min<std::size_t>(received_.size(), count - *bytesRead);
            std::memcpy(buffer + *bytesRead, received_.data(), n);
            received_.erase(0, n);
            *bytesRead += static_cast<std::uint32_t>(n);
            if (Timeouts.ReadIntervalTimeout != 0 && Timeouts.ReadIntervalTimeout != MaxDword) {
                interval =
                    PortClock::now() + std::chrono::milliseconds(Timeouts.ReadIntervalTimeout);
            }
            continue;
        }
        const Pulled pulled = Pull(0);
        if (pulled == Pulled::Failed) {
            // A server gone is a reply missing, not a port fault: return what came.
            break;
        }
        if (pulled == Pulled::Nothing &&
            (returnAtOnce || !WaitReady(fd_, POLLIN, PollTimeout(Earlier(total, interval))))) {
            break;
        }
    }
    return 0;
}

int NetworkPort::Write(const std::uint8_t* buffer, std::uint32_t count,
                       std::uint32_t* bytesWritten) {
    *bytesWritten = 0;
    const std::string_view data(reinterpret_cast<const char*>(buffer), count);
    const auto deadline = TotalDeadline(PortClock::now(), Timeouts.WriteTotalTimeoutMultiplier,
                                        Timeouts.WriteTotalTimeoutConstant, count);
    const int waitMs = deadline ? PollTimeout(deadline) : -1;
    const int error = Send(IsTelnet() ? telnet::EncodeData(data) : std::string(data), waitMs);
    if (error == 0) {
        *bytesWritten = count;
    }
    return error;
}

int NetworkPort::PurgeReceived() {
    if (IsTelnet() && receiver_.ComPortAccepted()) {
        const std::string purge =
            telnet::ComPortRequest(telnet::ComPortCommand::PurgeData,
                                   std::string(1, static_cast<char>(telnet::PurgeReceiveBuffer)));
        if (const int error = Send(purge, boundMs_); error != 0) {
            return error;
        }
    }
    while (Pull(0) == Pulled::Bytes) {
    }
    received_.clear();
    return 0;
}

}  // namespace pelta::link
