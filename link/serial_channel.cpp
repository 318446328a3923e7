#include "link/serial_channel.h"

#include <algorithm>
#include <cmath>

#include "link/link_error.h"

namespace pelta::link {
namespace {

Dcb OpenedDcb() {
    Dcb dcb;
    dcb.DCBlength = sizeof(Dcb);
    dcb.BaudRate = 2400;
    dcb.Flags = Dcb::fBinary | Dcb::fParity;
    dcb.XonLim = 128;
    dcb.XoffLim = 64;
    dcb.ByteSize = 8;
    dcb.Parity = ParityCode::None;
    dcb.StopBits = StopBitsCode::One;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0x23;
    dcb.EofChar = 0x1A;
    return dcb;
}

CommTimeouts OpenedTimeouts() {
    CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 1;
    timeouts.ReadTotalTimeoutMultiplier = 1;
    timeouts.ReadTotalTimeoutConstant = 1;
    timeouts.WriteTotalTimeoutMultiplier = 10;
    timeouts.WriteTotalTimeoutConstant = 40;
    return timeouts;
}

// Twelve bit-times per byte in milliseconds, rounded down, plus one.
std::uint32_t WriteMultiplierFor(std::int32_t speed) {
    if (speed <= 0) {
        throw LinkError("Недопустимая скорость порта " + std::to_string(speed) +
                        ": деление на ноль при расчёте таймаута записи");
    }
    return static_cast<std::uint32_t>(std::floor(12000.0 / speed)) + 1;
}

QString WithCode(const char* text, std::uint32_t code) {
    return QString::fromUtf8(text) + QString::number(code);
}

}  // namespace

SerialChannel::SerialChannel(PortApi& api, MessageSink& messages)
    : api_(api), messages_(messages) {}

std::string SerialChannel::DeviceName(std::int16_t portNumber) {
    const std::string number = std::to_string(portNumber);
    return portNumber < 9 ? "COM" + number : "\\\\.\\COM" + number;
}

void SerialChannel::OpenPort(std::int16_t portNumber) {
    OpenDevice(portNumber, DeviceName(portNumber));
}

void SerialChannel::OpenDevice(std::int16_t portNumber, const std::string& devicePath) {
    PortHandle = api_.CreateFile(devicePath);
    if (PortHandle == InvalidHandleValue) {
        const std::string shown =
            naming_ == PortNaming::DevicePath ? devicePath : DeviceName(portNumber);
        messages_.ShowMessage(
            QString::fromUtf8("Ошибка открытия порта ") + QString::fromStdString(shown),
            MessageIcon::Critical);
    }
    PortDcb = OpenedDcb();
    PortTimeouts = OpenedTimeouts();
}

void SerialChannel::ConfigurePort(std::int32_t speed, std::uint8_t parity, std::uint8_t dataBits,
                                  std::uint8_t stopBits) {
    PortTimeouts.WriteTotalTimeoutMultiplier = WriteMultiplierFor(speed);
    if (!api_.SetCommTimeouts(PortHandle, PortTimeouts)) {
        messages_.ShowMessage(
            WithCode("Ошибка при установке таймаутов, Error: ", api_.GetLastError()),
            MessageIcon::None);
    }
    PortDcb.BaudRate = static_cast<std::uint32_t>(speed);
    PortDcb.ByteSize = dataBits;
    PortDcb.Parity = parity;
    PortDcb.StopBits = stopBits;
    if (!api_.SetCommState(PortHandle, PortDcb)) {
        messages_.ShowMessage(WithCode("Не удается настроить порт на заданные параметры Error: ",
                                       api_.GetLastError()),
                              MessageIcon::None);
    }
}

std::string SerialChannel::ReadPort(std::int16_t count) {
    if (count <= 0) {
        return {};
    }
    const auto wanted = std::min<std::uint32_t>(static_cast<std::uint32_t>(count), IoBufferSize);
    std::uint32_t bytesRead = 0;
    if (!api_.ReadFile(PortHandle, IoBuffer.data(), wanted, &bytesRead)) {
        messages_.ShowMessage(WithCode("Ошибка работы с портом Error: ", api_.GetLastError()),
                              MessageIcon::None);
    }
    bytesRead = std::min(bytesRead, wanted);
    return std::string(IoBuffer.begin(), IoBuffer.begin() + bytesRead);
}

void SerialChannel::WritePort(std::string_view frame) {
    while (!frame.empty()) {
        const std::size_t length = std::min(frame.size(), WriteChunkSize);
        WriteChunk(frame.substr(0, length));
        frame.remove_prefix(length);
    }
}

void SerialChannel::WriteChunk(std::string_view chunk) {
    std::copy(chunk.begin(), chunk.end(), IoBuffer.begin());
    std::uint32_t written = 0;
    if (!api_.WriteFile(PortHandle, IoBuffer.data(), static_cast<std::uint32_t>(chunk.size()),
                        &written)) {
        messages_.ShowMessage(WithCode("Ошибка передачи Error: ", api_.GetLastError()) +
                                  QString::fromUtf8("\r\nПередано ") + QString::number(written) +
                                  QString::fromUtf8(" байт"),
                              MessageIcon::None);
    }
}

void SerialChannel::PurgeInput() {
    if (IsOpen()) {
        api_.PurgeComm(PortHandle, PURGE_RXCLEAR);
    }
}

double SerialChannel::LineTimeMs(std::size_t byteCount) const {
    if (PortDcb.BaudRate == 0) {
        return 0.0;
    }
    const double stopBits = PortDcb.StopBits == StopBitsCode::OneAndHalf ? 1.5
                            : PortDcb.StopBits == StopBitsCode::Two      ? 2.0
                                                                         : 1.0;
    const double parityBits = PortDcb.Parity == ParityCode::None ? 0.0 : 1.0;
    const double bitsPerByte = 1.0 + PortDcb.ByteSize + parityBits + stopBits;
    return static_cast<double>(byteCount) * bitsPerByte * 1000.0 / PortDcb.BaudRate;
}

void SerialChannel::ClosePort() {
    if (PortHandle > 0) {
        api_.CloseHandle(PortHandle);
        PortHandle = 0;
    }
}

}  // namespace pelta::link
