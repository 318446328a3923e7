#pragma once
// The step the poll cycle opens and closes the chosen port through: the port list position
// names the port and the device fixed for it when the list was filled (PortDiscovery), the
// channel opens that device, and the port's confirmed settings (by COM number) configure it.

#include <cstdint>

#include "link/link_settings.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"

namespace pelta::link {

class SerialLink {
  public:
    SerialLink(SerialChannel& channel, const PortDiscovery& discovery, LinkSettingsModel& settings);

    // Opens the device the entry at position named when the list was filled, and configures
    // it with the settings of its COM number. A device gone since fails as any open does.
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
