#pragma once
// An in-memory serial port for unit tests of the layers above the channel. It keeps a log of
// every call and the bytes written, plays back queued inbound chunks and can be told to make
// any call fail. Line parameters are taken as they come: the real port's tests check them.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>

#include "link/port_api.h"
#include "link/serial_channel.h"

namespace pelta::link {

// " 01 32 BE": how the call logs show bytes.
inline std::string HexBytes(const void* bytes, std::size_t count) {
    const QByteArray raw(static_cast<const char*>(bytes), static_cast<qsizetype>(count));
    return (count == 0 ? QByteArray() : ' ' + raw.toHex(' ').toUpper()).toStdString();
}

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
    std::string Written;  // every byte written successfully, in order
    std::optional<CommTimeouts> LastTimeouts;
    int ReplyTimeoutMs = -1;  // the last SetReplyTimeout

    // Makes the port known under the name OpenPort builds for that number.
    void AddPort(std::int16_t number) { ExistingDevices.insert(SerialChannel::DeviceName(number)); }
    void QueueInbound(std::string_view bytes) { InboundChunks.emplace_back(bytes); }
    // From now on the named call ("CreateFile", "SetCommState", ...) fails with errorCode.
    void FailCall(const std::string& name, std::uint32_t errorCode) { failures_[name] = errorCode; }
    int OpenHandleCount() const { return static_cast<int>(openHandles_.size()); }
    void ClearLog() {
        Calls.clear();
        Written.clear();
    }

    void SetReplyTimeout(int milliseconds) override { ReplyTimeoutMs = milliseconds; }
    PortHandleValue CreateFile(const std::string& deviceName) override {
        if (!Pass("CreateFile " + deviceName, std::nullopt)) {
            return InvalidHandleValue;
        }
        if (ExistingDevices.count(deviceName) == 0) {
            Fail(ENOENT);
            return InvalidHandleValue;
        }
        openHandles_[nextHandle_] = deviceName;
        return nextHandle_++;
    }
    bool SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) override {
        return Pass("SetCommTimeouts", handle) && (LastTimeouts = timeouts, true);
    }
    bool SetCommState(PortHandleValue handle, const Dcb& dcb) override {
        return Pass("SetCommState " + std::to_string(dcb.BaudRate) + " " +
                        std::to_string(dcb.ByteSize) + " " + std::to_string(dcb.Parity) + " " +
                        std::to_string(dcb.StopBits),
                    handle);
    }
    bool ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t* bytesRead) override {
        *bytesRead = 0;
        if (!Pass("ReadFile " + std::to_string(count), handle)) {
            return false;
        }
        if (InboundChunks.empty()) {
            return true;
        }
        std::string& chunk = InboundChunks.front();
        *bytesRead = static_cast<std::uint32_t>(std::min<std::size_t>(chunk.size(), count));
        std::copy_n(chunk.begin(), *bytesRead, buffer);
        chunk.erase(0, *bytesRead);
        if (chunk.empty()) {
            InboundChunks.pop_front();
        }
        return true;
    }
    bool WriteFile(PortHandleValue handle, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t* bytesWritten) override {
        *bytesWritten = 0;
        if (!Pass("WriteFile" + HexBytes(buffer, count), handle)) {
            return false;
        }
        Written.append(reinterpret_cast<const char*>(buffer), count);
        *bytesWritten = count;
        return true;
    }
    bool PurgeComm(PortHandleValue handle, std::uint32_t flags) override {
        return Pass("PurgeComm " + std::to_string(flags), handle);
    }
    bool CloseHandle(PortHandleValue handle) override {
        return Pass("CloseHandle", handle) && openHandles_.erase(handle) != 0;
    }
    std::uint32_t GetLastError() override { return lastError_; }

  private:
    // Logs the call; false when a planted failure or an unknown handle answers it.
    bool Pass(const std::string& call, std::optional<PortHandleValue> handle) {
        Calls.push_back(call);
        const auto failure = failures_.find(call.substr(0, call.find(' ')));
        return failure == failures_.end()
                   ? !handle || openHandles_.count(*handle) != 0 || Fail(EBADF)
                   : Fail(failure->second);
    }
    bool Fail(std::uint32_t errorCode) {
        lastError_ = errorCode;
        return false;
    }

    std::map<std::string, std::uint32_t> failures_;
    std::map<PortHandleValue, std::string> openHandles_;
    PortHandleValue nextHandle_ = 100;
    std::uint32_t lastError_ = 0;
};

}  // namespace pelta::link
