#pragma once
// What the poll cycle needs of the window: the chosen port, the reply time-out field and the
// port-state label.

#include <QString>
#include <cstdint>

namespace pelta::protocol {

class PollHost {
  public:
    virtual ~PollHost() = default;
    // Current position in `cboPort`, -1 when none is chosen.
    virtual std::int16_t cboPortListIndex() const = 0;
    // Text of `cboPort` ("COM 3"), empty when none is chosen.
    virtual QString cboPortText() const = 0;
    // Text of `Text1(3)`, the reply time-out in milliseconds ("1000" by default).
    virtual QString Text1_3() const = 0;
    virtual void SetLabelCOM(const QString& caption) = 0;
};

}  // namespace pelta::protocol
