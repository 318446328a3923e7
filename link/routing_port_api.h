#pragma once
// The port layer the program runs on: network names ("tcp://...", "rfc2217://...") go to the
// network ports, every other name to the serial devices. Each handle stays with the side that
// opened it.

#include <set>
#include <string>

#include "link/network_port_api.h"
#include "link/termios_port_api.h"

namespace pelta::link {

class RoutingPortApi : public PortApi {
  public:
    RoutingPortApi() = default;
    explicit RoutingPortApi(SerialMapRoots roots) : serial_(std::move(roots)) {}

    NetworkPortApi& Network() { return network_; }
    // Why the network port opened last failed (to open, to take the settings, or a call);
    // empty when the last open was of a serial device.
    std::string FailureReason() const override {
        return lastOpened_ == &network_ ? network_.FailureReason() : std::string();
    }

    void SetReplyTimeout(int milliseconds) override { network_.SetReplyTimeout(milliseconds); }
    PortHandleValue CreateFile(const std::string& deviceName) override;
    bool SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) override {
        return Route(handle).SetCommTimeouts(handle, timeouts);
    }
    bool SetCommState(PortHandleValue handle, const Dcb& dcb) override {
        return Route(handle).SetCommState(handle, dcb);
    }
    bool ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t* bytesRead) override {
        return Route(handle).ReadFile(handle, buffer, count, bytesRead);
    }
    bool WriteFile(PortHandleValue handle, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t* bytesWritten) override {
        return Route(handle).WriteFile(handle, buffer, count, bytesWritten);
    }
    bool PurgeComm(PortHandleValue handle, std::uint32_t flags) override {
        return Route(handle).PurgeComm(handle, flags);
    }
    bool CloseHandle(PortHandleValue handle) override;
    std::uint32_t GetLastError() override { return last_->GetLastError(); }

  private:
    PortApi& Route(PortHandleValue handle);

    TermiosPortApi serial_;
    NetworkPortApi network_;
    std::set<PortHandleValue> networkHandles_;
    PortApi* last_ = &serial_;
    PortApi* lastOpened_ = &serial_;  // also answers for the invalid handle of a failed open
};

}  // namespace pelta::link
