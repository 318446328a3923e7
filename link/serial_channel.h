#pragma once
// The serial channel: the only way the program reaches the controller. One port, open at most
// once at a time: OpenPort, ConfigurePort, pairs of WritePort/ReadPort, ClosePort. A failed
// port call is shown through the MessageSink (text ending in the error code) and then ignored.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/message_sink.h"
#include "link/port_api.h"

namespace pelta::link {

class SerialChannel {
  public:
    static constexpr std::size_t IoBufferSize = 2048;
    // Writes go out in pieces of this many bytes.
    static constexpr std::size_t WriteChunkSize = 2047;

    SerialChannel(PortApi& api, MessageSink& messages);

    // 0 when closed, InvalidHandleValue after a failed open, greater than 0 when open.
    PortHandleValue PortHandle = 0;
    Dcb PortDcb{};
    CommTimeouts PortTimeouts{};
    std::array<std::uint8_t, IoBufferSize> IoBuffer{};

    // "COM8" for ports below 9, "\\.\COM9" and up from 9.
    static std::string DeviceName(std::int16_t portNumber);

    // How a failed open names the port: by its COM name, as the port list shows it, or by the
    // device path opened, for a front that was given a device rather than a port.
    enum class PortNaming { ComName, DevicePath };
    void SetPortNaming(PortNaming naming) { naming_ = naming; }

    // The reply time-out of the exchanges to come, for ports that bound their opening by it.
    void SetReplyTimeout(int milliseconds) { api_.SetReplyTimeout(milliseconds); }
    // Opens the port and fills PortDcb and PortTimeouts (also when the open failed).
    void OpenPort(std::int16_t portNumber);
    // As OpenPort, but opens the given device ("/dev/serial/by-id/...") in place of the one
    // the number names now; a failure names the port as OpenPort's does.
    void OpenDevice(std::int16_t portNumber, const std::string& devicePath);
    // Applies time-outs, then the line parameters (Dcb codes for parity and stop bits).
    // Throws LinkError when speed is not positive; nothing is applied then.
    void ConfigurePort(std::int32_t speed, std::uint8_t parity, std::uint8_t dataBits,
                       std::uint8_t stopBits);
    // Returns what has arrived, at most count bytes (capped at IoBuffer's size; none for
    // count <= 0).
    std::string ReadPort(std::int16_t count);
    // Sends every byte of the frame, in chunks of WriteChunkSize.
    void WritePort(std::string_view frame);
    // Discards what the open port received and nobody read, so that a reply that came in after
    // its wait is never taken for the next one. A failure here is not shown: the write and read
    // that follow report a port gone bad.
    void PurgeInput();
    // Closes an open port and sets PortHandle to 0; leaves 0 and -1 untouched.
    void ClosePort();
    bool IsOpen() const { return PortHandle > 0; }
    // How long this many bytes take on the line with PortDcb's settings: a start bit, the data
    // bits, a parity bit unless none, and the stop bits, at BaudRate. 0 at a speed of 0.
    double LineTimeMs(std::size_t byteCount) const;

  private:
    void WriteChunk(std::string_view chunk);

    PortApi& api_;
    MessageSink& messages_;
    PortNaming naming_ = PortNaming::ComName;
};

}  // namespace pelta::link
