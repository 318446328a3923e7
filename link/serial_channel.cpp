#include "link/serial_channel.h"

namespace pelta::link {

SerialChannel::SerialChannel(PortApi& api, MessageSink& messages)
    : api_(api), messages_(messages) {}

}  // namespace pelta::link
