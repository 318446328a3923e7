#pragma once
// The Win32-shaped serial calls on Linux: a device named through the serial-device map, opened
// exclusively (TIOCEXCL plus flock, so even root's second open is refused with EBUSY), run raw
// without flow control, read and written with the time-outs honoured by poll().
//
// From the open on the line is binary: raw mode (no translation, echo, line editing, signals,
// flow control or parity checking, so a damaged byte arrives as it came), DTR and RTS held low
// and HUPCL cleared (controllers that reset on DTR and RS-485 adapters keyed by RTS see no
// pulse). A configuration refused later leaves the line in that state, at its current speed.
// The terminal settings the port had before the open are put back when it is closed, so that
// another program sharing the adapter finds it as it was.

#include <cstdint>
#include <map>

#include "link/kernel_calls.h"
#include "link/port_api.h"
#include "link/serial_map.h"

namespace pelta::link {

class TermiosPortApi : public PortApi {
  public:
    TermiosPortApi();
    // Tests pass a kernel seam that records the calls.
    explicit TermiosPortApi(SerialMapRoots roots, KernelCalls& kernel = SystemKernel());
    ~TermiosPortApi() override;
    TermiosPortApi(const TermiosPortApi&) = delete;
    TermiosPortApi& operator=(const TermiosPortApi&) = delete;

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
        CommTimeouts Timeouts;
        termios Before{};  // the settings found at the open, put back at the close
        std::uint32_t ExactSpeedBefore = 0;
    };

    bool Fail(int errorCode);
    CommTimeouts* TimeoutsOf(PortHandleValue handle);
    int OpenDevice(const std::string& path);
    // 0, or the errno that keeps the line from running binary with the modem lines low.
    int PrepareLine(int fd, termios& before);
    // The settings found at the open back in place, then the descriptor closed.
    int RestoreAndClose(int fd, const OpenPort& port);
    int DropModemLines(int fd);
    int SetAttributes(int fd, const termios& settings);
    bool WaitReady(int fd, short events, int timeoutMs);

    SerialMapRoots roots_;
    KernelCalls& kernel_;
    std::map<PortHandleValue, OpenPort> open_;
    std::uint32_t lastError_ = 0;
};

}  // namespace pelta::link
