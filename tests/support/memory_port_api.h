#pragma once
// An in-memory serial port for unit tests of the layers above the channel. It keeps a log of
// every call, the bytes written and the parameters applied, plays back queued inbound chunks
// and can be told to make any call fail. Line parameters are checked by the same rules as the
// real port (line_rules.h), so 4 data bits are refused here too.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "link/port_api.h"

namespace pelta::link {

class MemoryPortApi : public PortApi {
  public:
    // Device names CreateFile accepts, as the program builds them ("COM3", "\\.\COM12").
    std::set<std::string> ExistingDevices;
    // Each ReadFile takes the next chunk (capped at its count; the rest stays queued). The
    // chunks stand for bytes still to arrive, so PurgeComm records the call and keeps them.
    std::deque<std::string> InboundChunks;
    // Calls in order: "CreateFile COM3", "SetCommTimeouts", "SetCommState 9600 8 0 0",
    // "PurgeComm 8", "WriteFile 01 32 BE", "ReadFile 22", "CloseHandle".
    std::vector<std::string> Calls;
    // Every byte written successfully, in order.
    std::string Written;
    // The records of the last successful SetCommState / SetCommTimeouts.
    std::optional<Dcb> LastDcb;
    std::optional<CommTimeouts> LastTimeouts;
    int ReplyTimeoutMs = -1;  // the last SetReplyTimeout

    // Makes the port known under the name OpenPort builds for that number.
    void AddPort(std::int16_t portNumber);
    void QueueInbound(std::string_view bytes) { InboundChunks.emplace_back(bytes); }
    // From now on the named call ("CreateFile", "SetCommState", ...) fails with errorCode.
    void FailCall(const std::string& callName, std::uint32_t errorCode);
    void ClearFailure(const std::string& callName) { failures_.erase(callName); }
    int OpenHandleCount() const { return static_cast<int>(openHandles_.size()); }
    // Forgets the call log and the written bytes.
    void ClearLog();

    void SetReplyTimeout(int milliseconds) override { ReplyTimeoutMs = milliseconds; }
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
    bool Fails(const std::string& callName);
    bool CheckHandle(PortHandleValue handle);
    bool Fail(std::uint32_t errorCode);

    std::map<std::string, std::uint32_t> failures_;
    std::map<PortHandleValue, std::string> openHandles_;
    PortHandleValue nextHandle_ = 100;
    std::uint32_t lastError_ = 0;
};

}  // namespace pelta::link
