#pragma once
// What the reply decoder writes on the measurements page.

#include <QString>

namespace pelta::device {

class MeasurementsView {
  public:
    virtual ~MeasurementsView() = default;
    virtual void SetLabel3(const QString& caption) = 0;     // controller date
    virtual void SetLabel7(const QString& caption) = 0;     // controller time
    virtual void SetLabel4(const QString& caption) = 0;     // clock drift
    virtual void SetLabel5(const QString& caption) = 0;     // indoor temperature
    virtual void SetLabel6(const QString& caption) = 0;     // indoor humidity
    virtual void SetLabel15_0(const QString& caption) = 0;  // outdoor temperature
    virtual void SetLabel14_0(const QString& caption) = 0;  // outdoor pressure
};

}  // namespace pelta::device
