#pragma once
// What the settings commands read from the window's controls. Check box values are 0
// unchecked, 1 checked, 2 greyed; list positions count from 0, -1 when nothing is selected.

#include <QString>
#include <cstdint>

namespace pelta::device {

class SettingsControls {
  public:
    virtual ~SettingsControls() = default;
    virtual QString cboPortText() const = 0;
    // Clock row.
    virtual QString DateTime1Text() const = 0;         // "dd.mm.yy"
    virtual QString DateTime2Text() const = 0;         // "hh:mm:ss"
    virtual std::int16_t Combo2ListIndex() const = 0;  // weekday, Sunday first
    virtual std::int16_t Check4Value() const = 0;      // season change
    virtual QString Text3Text() const = 0;             // correction in seconds
    // Alarm rows, index 0 and 1.
    virtual std::int16_t Check1Value(int index) const = 0;
    virtual QString DateTime3Text(int index) const = 0;  // "hh:mm"
    virtual std::int16_t Combo1ListIndex(int index) const = 0;
    // Event page.
    virtual std::int16_t Check2Value() const = 0;
    virtual QString Text2Text(int index) const = 0;  // the two event lines
    virtual QString DateTime4Text() const = 0;       // event date "dd.mm.yy"
    virtual QString DateTime5Text() const = 0;       // event time
};

}  // namespace pelta::device
