#pragma once
// Which serial ports exist. PortNumbers holds the number texts as they follow "COM" (every
// digit), sorted as text: 1, 10, 11, 2, 3; list position i of the port list names
// PortNumbers()[i]. Filling the list also fixes the device each entry names, so a position
// opens the device it showed, never one that took its number later; and it remembers the
// numbers of new real devices in ports.conf.

#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "link/error_log_sink.h"
#include "link/serial_map.h"

namespace pelta::link {

// Writes ports.conf whole or not at all; empty when saved, else why not.
QString SaveRememberedPorts(const std::string& path, const RememberedPorts& ports);

class PortDiscovery {
  public:
    PortDiscovery();
    // errorLog, when given, learns why the map folder was passed over (once while the reason
    // stays the same) or ports.conf could not be written (at each fill).
    explicit PortDiscovery(SerialMapRoots roots, ErrorLogSink* errorLog = nullptr);

    const QStringList& PortNumbers() const { return portNumbers_; }

    // Replaces the list with the ports present; never fails (no ports: empty list).
    void ListSerialPorts();
    // Re-reads the ports as ListSerialPorts does and returns the new position of the port
    // that was at chosenPosition, by its COM number; -1 when it is gone or none was chosen.
    std::int16_t RefreshKeeping(std::int16_t chosenPosition);
    // Fixes the list to these ports (numbers and devices), as a fill would.
    void SetPorts(std::vector<SerialMapEntry> entries);

    // The port list's entries: "COM " followed by each number, in PortNumbers' order.
    QStringList PortListEntries() const;
    // The COM number at a list position; 0 when the position names no port.
    std::int16_t NumberAt(std::int16_t position) const;
    // The device the entry at a list position named when the list was filled; empty when
    // the position names no port.
    std::string DeviceAt(std::int16_t position) const;

  private:
    void SaveRemembered(const RememberedPorts& ports);
    void LogDistrustedMapFolder(const FolderCheck& check);

    SerialMapRoots roots_;
    ErrorLogSink* errorLog_ = nullptr;
    std::vector<SerialMapEntry> ports_;  // in list order
    QStringList portNumbers_;
    QString mapFolderRefusal_;  // the map folder's refusal last logged; empty: none stands
};

}  // namespace pelta::link
