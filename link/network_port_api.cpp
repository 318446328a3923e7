#include "link/network_port_api.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/tcp_connect.h"

namespace pelta::link {

void NetworkPortApi::SetReplyTimeout(int milliseconds) {
    boundMs_ = std::max(milliseconds, MinimumBoundMs);
}

bool NetworkPortApi::Fail(int errorCode, std::string reason) {
    lastError_ = static_cast<std::uint32_t>(errorCode);
    failureReason_ = std::move(reason);
    return false;
}

NetworkPortApi::OpenPort* NetworkPortApi::Find(PortHandleValue handle) {
    const auto found = open_.find(handle);
    if (found == open_.end()) {
        lastError_ = EBADF;  // the reason stays the one of the failure that left no port
        return nullptr;
    }
    return &found->second;
}

bool NetworkPortApi::Outcome(const OpenPort& open, int error, const std::string& what) {
    if (error == 0) {
        return true;
    }
    std::string reason = open.Name + ": ";
    if (error == EINVAL) {
        reason += "the server refused the " + what;
    } else if (error == ETIMEDOUT && !what.empty()) {
        reason += "the server did not answer about the " + what;
    } else {
        reason += (what.empty() ? "" : what + ": ") + std::strerror(error);
    }
    return Fail(error, std::move(reason));
}

PortHandleValue NetworkPortApi::CreateFile(const std::string& deviceName) {
    const std::optional<PortUrl> url = ParsePortUrl(deviceName);
    if (!url) {
        Fail(ENOENT, deviceName + ": not a port name (tcp://HOST:PORT or rfc2217://HOST:PORT)");
        return InvalidHandleValue;
    }
    const TcpConnection connection = ConnectTcp(*url, boundMs_);
    if (connection.Fd < 0) {
        Fail(connection.Error, deviceName + ": " + connection.Why);
        return InvalidHandleValue;
    }
    failureReason_.clear();
    open_[connection.Fd] = {deviceName,
                            std::make_unique<NetworkPort>(connection.Fd, url->Protocol, boundMs_)};
    return connection.Fd;
}

bool NetworkPortApi::SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) {
    OpenPort* open = Find(handle);
    if (open == nullptr) {
        return false;
    }
    open->Port->Timeouts = timeouts;
    return true;
}

bool NetworkPortApi::SetCommState(PortHandleValue handle, const Dcb& dcb) {
    OpenPort* open = Find(handle);
    if (open == nullptr) {
        return false;
    }
    std::string what;
    const int error = open->Port->Configure(dcb, &what);
    return Outcome(*open, error, what);
}

bool NetworkPortApi::ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t* bytesRead) {
    *bytesRead = 0;
    OpenPort* open = Find(handle);
    return open != nullptr && Outcome(*open, open->Port->Read(buffer, count, bytesRead));
}

bool NetworkPortApi::WriteFile(PortHandleValue handle, const std::uint8_t* buffer,
                               std::uint32_t count, std::uint32_t* bytesWritten) {
    *bytesWritten = 0;
    OpenPort* open = Find(handle);
    return open != nullptr && Outcome(*open, open->Port->Write(buffer, count, bytesWritten));
}

bool NetworkPortApi::PurgeComm(PortHandleValue handle, std::uint32_t flags) {
    OpenPort* open = Find(handle);
    if (open == nullptr) {
        return false;
    }
    return (flags & PURGE_RXCLEAR) == 0 || Outcome(*open, open->Port->PurgeReceived());
}

bool NetworkPortApi::CloseHandle(PortHandleValue handle) {
    if (open_.erase(handle) == 0) {
        lastError_ = EBADF;
        return false;
    }
    return true;
}

}  // namespace pelta::link
