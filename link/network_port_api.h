#pragma once
// The Win32-shaped serial calls on network ports ("tcp://HOST:PORT", "rfc2217://HOST:PORT",
// port_url.h). Opening connects within a bound (the reply time-out, 2 s at least); a refused,
// unreachable or unknown server fails as a missing port does, and FailureReason says why in
// one line. Closing closes the socket at once.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "link/network_port.h"
#include "link/port_api.h"

namespace pelta::link {

class NetworkPortApi : public PortApi {
  public:
    static constexpr int MinimumBoundMs = 2000;

    // How long a connect and each answer of the server may take: the reply time-out the
    // operator chose, never under MinimumBoundMs. Applies to ports opened afterwards.
    void SetReplyTimeout(int milliseconds) override;
    // Why the port opened last failed (to open, to take the settings, or a call), in one line:
    // "rfc2217://host:4001: Connection refused"; empty when it has not.
    std::string FailureReason() const override { return failureReason_; }

    PortHandleValue CreateFile(const std::string& deviceName) override;
    bool SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) override;
    bool SetCommState(PortHandleValue handle, const Dcb& dcb) override;
    bool ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t* bytesRead) override;
    bool WriteFile(PortHandleValue handle, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t* bytesWritten) override;
    bool PurgeComm(PortHandleValue handle, std::uint32_t flags) override;
    bool CloseHandle(PortHandleValue handle) override;
    std::uint32_t GetLastError() override { return lastError_; }

  private:
    struct OpenPort {
        std::string Name;
        std::unique_ptr<NetworkPort> Port;
    };
    OpenPort* Find(PortHandleValue handle);
    bool Outcome(const OpenPort& open, int error, const std::string& what = {});
    bool Fail(int errorCode, std::string reason);

    int boundMs_ = MinimumBoundMs;
    std::map<PortHandleValue, OpenPort> open_;
    std::uint32_t lastError_ = 0;
    std::string failureReason_;
};

}  // namespace pelta::link
