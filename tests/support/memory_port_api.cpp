#include "tests/support/memory_port_api.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "link/line_rules.h"
#include "link/serial_channel.h"

namespace pelta::link {
namespace {

std::string HexBytes(const std::uint8_t* bytes, std::uint32_t count) {
    std::string text;
    char digits[4];
    for (std::uint32_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, " %02X", bytes[i]);
        text += digits;
    }
    return text;
}

}  // namespace

void MemoryPortApi::AddPort(std::int16_t portNumber) {
    ExistingDevices.insert(SerialChannel::DeviceName(portNumber));
}

void MemoryPortApi::FailCall(const std::string& callName, std::uint32_t errorCode) {
    failures_[callName] = errorCode;
}

void MemoryPortApi::ClearLog() {
    Calls.clear();
    Written.clear();
}

bool MemoryPortApi::Fail(std::uint32_t errorCode) {
    lastError_ = errorCode;
    return false;
}

bool MemoryPortApi::Fails(const std::string& callName) {
    const auto failure = failures_.find(callName);
    if (failure == failures_.end()) {
        return false;
    }
    Fail(failure->second);
    return true;
}

bool MemoryPortApi::CheckHandle(PortHandleValue handle) {
    return openHandles_.count(handle) != 0 || Fail(EBADF);
}

PortHandleValue MemoryPortApi::CreateFile(const std::string& deviceName) {
    Calls.push_back("CreateFile " + deviceName);
    if (Fails("CreateFile")) {
        return InvalidHandleValue;
    }
    if (ExistingDevices.count(deviceName) == 0) {
        Fail(ENOENT);
        return InvalidHandleValue;
    }
    const bool alreadyOpen =
        std::any_of(openHandles_.begin(), openHandles_.end(),
                    [&](const auto& open) { return open.second == deviceName; });
    if (alreadyOpen) {
        Fail(EBUSY);
        return InvalidHandleValue;
    }
    openHandles_[nextHandle_] = deviceName;
    return nextHandle_++;
}

bool MemoryPortApi::SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) {
    Calls.emplace_back("SetCommTimeouts");
    if (Fails("SetCommTimeouts") || !CheckHandle(handle)) {
        return false;
    }
    LastTimeouts = timeouts;
    return true;
}

bool MemoryPortApi::SetCommState(PortHandleValue handle, const Dcb& dcb) {
    Calls.push_back("SetCommState " + std::to_string(dcb.BaudRate) + " " +
                    std::to_string(dcb.ByteSize) + " " + std::to_string(dcb.Parity) + " " +
                    std::to_string(dcb.StopBits));
    if (Fails("SetCommState") || !CheckHandle(handle)) {
        return false;
    }
    if (const int refusal = CheckLineParameters(dcb); refusal != 0) {
        return Fail(static_cast<std::uint32_t>(refusal));
    }
    LastDcb = dcb;
    return true;
}

bool MemoryPortApi::ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                             std::uint32_t* bytesRead) {
    Calls.push_back("ReadFile " + std::to_string(count));
    *bytesRead = 0;
    if (Fails("ReadFile") || !CheckHandle(handle)) {
        return false;
    }
    if (InboundChunks.empty()) {
        return true;
    }
    std::string& chunk = InboundChunks.front();
    const auto taken = std::min<std::size_t>(chunk.size(), count);
    std::copy_n(chunk.begin(), taken, buffer);
    *bytesRead = static_cast<std::uint32_t>(taken);
    chunk.erase(0, taken);
    if (chunk.empty()) {
        InboundChunks.pop_front();
    }
    return true;
}

bool MemoryPortApi::WriteFile(PortHandleValue handle, const std::uint8_t* buffer,
                              std::uint32_t count, std::uint32_t* bytesWritten) {
    Calls.push_back("WriteFile" + HexBytes(buffer, count));
    *bytesWritten = 0;
    if (Fails("WriteFile") || !CheckHandle(handle)) {
        return false;
    }
    Written.append(reinterpret_cast<const char*>(buffer), count);
    *bytesWritten = count;
    return true;
}

bool MemoryPortApi::PurgeComm(PortHandleValue handle, std::uint32_t flags) {
    Calls.push_back("PurgeComm " + std::to_string(flags));
    return !Fails("PurgeComm") && CheckHandle(handle);
}

bool MemoryPortApi::CloseHandle(PortHandleValue handle) {
    Calls.emplace_back("CloseHandle");
    if (Fails("CloseHandle") || !CheckHandle(handle)) {
        return false;
    }
    openHandles_.erase(handle);
    return true;
}

}  // namespace pelta::link
