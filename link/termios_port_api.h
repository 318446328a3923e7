#pragma once
// The Win32-shaped serial calls on Linux: a device named through the serial-device map, opened
// exclusively (TIOCEXCL plus flock, so even root's second open is refused with EBUSY), run raw
// without flow control, read and written with the time-outs honoured by poll().

#include <termios.h>

#include <cstdint>
#include <functional>
#include <map>

#include "link/port_api.h"
#include "link/serial_map.h"

namespace pelta::link {

class TermiosPortApi : public PortApi {
  public:
    using SetAttrFunction = std::function<int(int fd, int action, const termios* settings)>;

    TermiosPortApi();
    explicit TermiosPortApi(SerialMapRoots roots);
    ~TermiosPortApi() override;
    TermiosPortApi(const TermiosPortApi&) = delete;
    TermiosPortApi& operator=(const TermiosPortApi&) = delete;

    // The call that applies a termios record; tests replace it to see the record itself.
    SetAttrFunction SetAttr = [](int fd, int action, const termios* settings) {
        return ::tcsetattr(fd, action, settings);
    };

    PortHandleValue CreateFile(const std::string& deviceName) override;
    bool SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) override;
    bool SetCommState(PortHandleValue handle, const Dcb& dcb) override;
    bool ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t* bytesRead) override;
    bool WriteFile(PortHandleValue handle, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t* bytesWritten) override;
    bool CloseHandle(PortHandleValue handle) override;
    std::uint32_t GetLastError() override { return lastError_; }

  private:
    bool Fail(int errorCode);
    CommTimeouts* TimeoutsOf(PortHandleValue handle);

    SerialMapRoots roots_;
    std::map<PortHandleValue, CommTimeouts> open_;
    std::uint32_t lastError_ = 0;
};

}  // namespace pelta::link
