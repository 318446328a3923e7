#include "link/port_discovery.h"

#include <algorithm>

namespace pelta::link {

PortDiscovery::PortDiscovery() : PortDiscovery(DefaultSerialMapRoots()) {}

PortDiscovery::PortDiscovery(SerialMapRoots roots) : roots_(std::move(roots)) {}

void PortDiscovery::ListSerialPorts() {
    PortNumbers.clear();
    for (const auto& entry : ReadSerialMap(roots_)) {
        PortNumbers.append(QString::number(entry.Number));
    }
    // Plain character order, as the list has always shown it: 1, 10, 11, 2, 3.
    std::sort(PortNumbers.begin(), PortNumbers.end(),
              [](const QString& a, const QString& b) { return a < b; });
}

QStringList PortDiscovery::PortListEntries() const {
    QStringList entries;
    for (const QString& number : PortNumbers) {
        entries.append(QStringLiteral("COM ") + number);
    }
    return entries;
}

}  // namespace pelta::link
