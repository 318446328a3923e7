#pragma once
// What each command does at one address, through the settings commands as the window's buttons
// do it, and how it went.

#include <QDateTime>
#include <QString>
#include <vector>

#include "protocol/frame.h"
#include "tools/ctl/command_line.h"
#include "tools/ctl/ctl_core.h"

namespace pelta::ctl {

inline constexpr const char* kNoAnswer = "нет ответа";
inline constexpr const char* kBadCrc = "ошибка CRC";

struct AddressOutcome {
    int Address = 0;
    QString Reason;                        // empty when every reply was good
    protocol::Frame Reply;                 // the failing reply, else the last one
    std::vector<MeasurementsShown> Reads;  // read and scan: one; sync-clock: before and after
    SettingsShown Settings;
    QDateTime SentClock;  // sync-clock: the moment sent

    bool Ok() const { return Reason.isEmpty(); }
};

// Runs the command at the address that CtlCore::BeginAddress has just applied.
AddressOutcome RunAtAddress(const CtlOptions& options, CtlCore& core, int address);

}  // namespace pelta::ctl
