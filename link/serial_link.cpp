#include "link/serial_link.h"

#include "link/link_error.h"

namespace pelta::link {

SerialLink::SerialLink(SerialChannel& channel, const PortDiscovery& discovery,
                       LinkSettingsModel& settings)
    : channel_(channel), discovery_(discovery), settings_(settings) {}

void SerialLink::OpenSelectedPort(std::int16_t position) {
    if (position < 0 || position >= discovery_.PortNumbers.size()) {
        throw LinkError("В списке портов нет позиции " + std::to_string(position));
    }
    channel_.OpenPort(static_cast<std::int16_t>(discovery_.PortNumbers.at(position).toInt()));
    settings_.ComPortInit(position);
}

}  // namespace pelta::link
