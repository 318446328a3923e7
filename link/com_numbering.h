#pragma once
// COM numbers for the real serial devices present. A COM<n> link in the map folder keeps its
// number; a device takes the number remembered for its identity unless a link holds it; any
// other device takes the lowest number that no link, no present device and no remembered
// device holds, so an absent device finds its number free when it comes back. A new device's
// number is remembered; a device that lost its number to a link keeps it remembered and gets
// another one for as long as the link is there. Standard library only.

#include <set>
#include <string>
#include <vector>

#include "link/remembered_ports.h"

namespace pelta::link {

struct ComNumbering {
    std::vector<int> Numbers;  // per device, in the order given; 0 when no number is left
    RememberedPorts Remembered;
    bool RememberedChanged = false;
};

ComNumbering NumberDevices(const std::vector<std::string>& identities,
                           const std::set<int>& linkNumbers, const RememberedPorts& remembered);

}  // namespace pelta::link
