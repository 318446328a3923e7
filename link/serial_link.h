#pragma once
// The step the poll cycle opens and closes the chosen port through: the port list position
// names the port (PortDiscovery), the channel opens it, and its confirmed settings configure it.

#include <cstdint>

#include "link/link_settings.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"

namespace pelta::link {

class SerialLink {
  public:
    SerialLink(SerialChannel& channel, const PortDiscovery& discovery, LinkSettingsModel& settings);

    // Opens PortNumbers[position] and configures it with that position's settings.
    // Throws LinkError when the position names no port found.
    void OpenSelectedPort(std::int16_t position);
    void ClosePort() { channel_.ClosePort(); }
    SerialChannel& Channel() { return channel_; }

  private:
    SerialChannel& channel_;
    const PortDiscovery& discovery_;
    LinkSettingsModel& settings_;
};

}  // namespace pelta::link
