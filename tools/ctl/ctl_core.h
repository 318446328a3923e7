#pragma once
// The core as pelta-ctl holds it: plain objects where the window has widgets, handed to the one
// ControllerCore every front holds.

#include <string>

#include "core/controller_core.h"
#include "tools/ctl/host_controls.h"
#include "tools/ctl/host_views.h"

namespace pelta::ctl {

class CtlCore {
  public:
    explicit CtlCore(const link::SerialMapRoots& roots);
    CtlCore(const CtlCore&) = delete;
    CtlCore& operator=(const CtlCore&) = delete;

    // Offers one device, given by its path, as the only port under this number; a failed open
    // names the device.
    void OfferDevice(int portNumber, const std::string& devicePath);
    // Chooses the port with this COM number in the port list; false when the list has none.
    bool SelectPort(int portNumber);
    // "Применить" for one address with the line values chosen, and a clean slate for its report.
    void BeginAddress(int address, link::LinkChoices choices);

    HostControls controls;
    HostViews views;
    HostReports reports;
    QuietMonitorView monitorView;
    core::ControllerCore core;

  private:
    static core::CoreOptions Options(const link::SerialMapRoots& roots, HostReports& reports);
};

}  // namespace pelta::ctl
