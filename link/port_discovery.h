#pragma once
// Which serial ports exist, learnt once at start-up. PortNumbers holds the number texts as
// they follow "COM" (every digit), sorted as text: 1, 10, 11, 2, 3. List position i of the
// port list always names PortNumbers[i].

#include <QStringList>

#include "link/serial_map.h"

namespace pelta::link {

class PortDiscovery {
  public:
    PortDiscovery();
    explicit PortDiscovery(SerialMapRoots roots);

    QStringList PortNumbers;

    // Replaces PortNumbers with the ports present; never fails (no ports: empty list).
    void ListSerialPorts();
    // The port list's entries: "COM " followed by each number, in PortNumbers' order.
    QStringList PortListEntries() const;

  private:
    SerialMapRoots roots_;
};

}  // namespace pelta::link
