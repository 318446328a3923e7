#include "tools/ctl/ctl_core.h"

namespace pelta::ctl {

core::CoreOptions CtlCore::Options(const link::SerialMapRoots& roots, HostReports& reports) {
    core::CoreOptions options;
    options.MapRoots = roots;
    // A line value the port refuses is part of this address's report, not only of errors.log.
    options.LinkErrors = &reports;
    return options;
}

CtlCore::CtlCore(const link::SerialMapRoots& roots)
    : core({controls, monitorView, views, views, controls, reports}, Options(roots, reports)) {}

void CtlCore::OfferDevice(int portNumber, const std::string& devicePath) {
    core.Discovery().SetPorts({link::SerialMapEntry{portNumber, devicePath, {}}});
    core.Channel().SetPortNaming(link::SerialChannel::PortNaming::DevicePath);
}

bool CtlCore::SelectPort(int portNumber) {
    const link::PortDiscovery& discovery = core.Discovery();
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
    choices.PortNumber = core.Discovery().NumberAt(controls.PortListIndex);
    choices.PortText = controls.PortText;
    choices.AddressText = QString::number(address);
    core.LinkSettings().Apply(choices);
}

}  // namespace pelta::ctl
