#include "link/serial_link.h"

#include "link/link_error.h"

namespace pelta::link {

SerialLink::SerialLink(SerialChannel& channel, const PortDiscovery& discovery,
                       LinkSettingsModel& settings)
    : channel_(channel), discovery_(discovery), settings_(settings) {}

void SerialLink::OpenSelectedPort(std::int16_t position) {
    const std::int16_t number = discovery_.NumberAt(position);
    if (number == 0) {
        throw LinkError("В списке портов нет позиции " + std::to_string(position));
    }
    channel_.OpenDevice(number, discovery_.DeviceAt(position));
    settings_.ComPortInit(number);
}

}  // namespace pelta::link
