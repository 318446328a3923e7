#pragma once
// What the reply decoder writes on the measurements page.

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace pelta::device {

// The decoded values behind the labels, for a front that wants numbers rather than captions.
struct Readings {
    QDateTime ControllerClock;
    std::int64_t DriftSeconds = 0;  // controller minus computer, positive when ahead
    float IndoorTemperature = 0.0F;
    float OutdoorTemperature = 0.0F;
    int HumidityPercent = 0;
    double PressureMm = 0.0;
};

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
    // After every label of a reply was written; the window needs nothing more.
    virtual void ShowReadings(const Readings& /*readings*/) {}
};

}  // namespace pelta::device
