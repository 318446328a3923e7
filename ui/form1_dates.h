#pragma once
// The masked fields' date and time texts; the rules live in the device layer, which the
// command-line front shares.

#include "device/field_dates.h"

namespace pelta::ui {

using device::DateFromText;
using device::DateText;
using device::TimeText;
using device::WeekdayIndex;
using device::WeekdayNames;

}  // namespace pelta::ui
