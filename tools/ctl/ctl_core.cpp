#include "tools/ctl/ctl_core.h"

namespace pelta::ctl {

CtlCore::CtlCore(const link::SerialMapRoots& roots) : api(roots), discovery(roots) {
    discovery.ListSerialPorts();
}

void CtlCore::OfferDevice(int portNumber, const std::string& devicePath) {
    discovery.SetPorts({link::SerialMapEntry{portNumber, devicePath, {}}});
    channel.SetPortNaming(link::SerialChannel::PortNaming::DevicePath);
}

bool CtlCore::SelectPort(int portNumber) {
    const qsizetype position = discovery.PortNumbers().indexOf(QString::number(portNumber));
    if (position < 0) {
        return false;
    }
    controls.PortListIndex = static_cast<std::int16_t>(position);
    controls.PortText = discovery.PortListEntries().at(position);
    return true;
}

void CtlCore::BeginAddress(int address, link::LinkChoices choices) {
    views = HostViews{};
    reports.Problems.clear();
    replies.Replies.clear();
    choices.PortNumber = discovery.NumberAt(controls.PortListIndex);
    choices.PortText = controls.PortText;
    choices.AddressText = QString::number(address);
    settings.Apply(choices);
}

}  // namespace pelta::ctl
