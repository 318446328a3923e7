#pragma once
// The Win32-shaped serial calls the channel is written against. The running program uses the
// termios implementation (termios_port_api.h); unit tests of the layers above use the in-memory
// one (tests/support/memory_port_api.h). Error codes are errno values.

#include <cstdint>
#include <string>

namespace pelta::link {

// Line parameters, laid out field for field as the Win32 DCB record.
struct Dcb {
    // Bits of the flags word.
    static constexpr std::uint32_t fBinary = 1U << 0;
    static constexpr std::uint32_t fParity = 1U << 1;

    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    friend bool operator==(const Dcb&, const Dcb&) = default;
};
static_assert(sizeof(Dcb) == 28, "Dcb must keep the 28-byte layout of the Win32 record");

// Parity and stop-bit codes of the Dcb.
namespace ParityCode {
inline constexpr std::uint8_t None = 0;
inline constexpr std::uint8_t Odd = 1;
inline constexpr std::uint8_t Even = 2;
inline constexpr std::uint8_t Mark = 3;
inline constexpr std::uint8_t Space = 4;
}  // namespace ParityCode

namespace StopBitsCode {
inline constexpr std::uint8_t One = 0;
inline constexpr std::uint8_t OneAndHalf = 1;
inline constexpr std::uint8_t Two = 2;
}  // namespace StopBitsCode

// Time-outs in milliseconds, as the Win32 COMMTIMEOUTS record.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;

    friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

using PortHandleValue = std::int32_t;
constexpr PortHandleValue InvalidHandleValue = -1;

// PurgeComm flag: discard what was received and not yet read.
inline constexpr std::uint32_t PURGE_RXCLEAR = 0x0008;

class PortApi {
  public:
    virtual ~PortApi() = default;

    // Opens the device for exclusive read and write. The name is the one the program builds,
    // "COM8" or "\\.\COM12". Returns a handle greater than 0, or InvalidHandleValue.
    virtual PortHandleValue CreateFile(const std::string& deviceName) = 0;
    virtual bool SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) = 0;
    virtual bool SetCommState(PortHandleValue handle, const Dcb& dcb) = 0;
    // Reads at most count bytes, returning when count have arrived or the read time-outs end.
    virtual bool ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t* bytesRead) = 0;
    virtual bool WriteFile(PortHandleValue handle, const std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t* bytesWritten) = 0;
    // Discards the buffered bytes the flags name (PURGE_RXCLEAR).
    virtual bool PurgeComm(PortHandleValue handle, std::uint32_t flags) = 0;
    virtual bool CloseHandle(PortHandleValue handle) = 0;
    // The error code of the last failed call.
    virtual std::uint32_t GetLastError() = 0;
    // Why the port opened last failed, in one line naming it, when the error code alone does
    // not tell (a network port's host and cause); empty otherwise.
    virtual std::string FailureReason() const { return {}; }
    // The reply time-out the exchange runs with, given before each open: a network port bounds
    // its connect and its server's answers by it; a serial device needs no bound.
    virtual void SetReplyTimeout(int /*milliseconds*/) {}
};

}  // namespace pelta::link
