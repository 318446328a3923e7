#pragma once
// `ControllerState`: the one record of controller values the program keeps. The decoded part is
// overwritten by every reply to the state read; the staged part (inherited from the request
// builder's record) keeps its values until a settings command stages new ones.

#include <QDateTime>

#include "protocol/command_table.h"

namespace pelta::device {

struct ControllerState : protocol::StagedRequest {
    QDateTime ControllerClock;       // from the last reply to the state read
    float IndoorTemperature = 0.0F;  // degrees Celsius
    float OutdoorTemperature = 0.0F;
};

}  // namespace pelta::device
