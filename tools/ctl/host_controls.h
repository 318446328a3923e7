#pragma once
// What the window's controls hold, held by plain values: the core reads the chosen port, the
// reply time-out and the values to send from here, exactly as it reads the window's controls.

#include <QString>
#include <array>
#include <cstdint>

#include "device/settings_controls.h"
#include "protocol/poll_host.h"

namespace pelta::ctl {

class HostControls final : public protocol::PollHost, public device::SettingsControls {
  public:
    static constexpr std::int16_t kChecked = 1;
    static constexpr std::int16_t kUnchecked = 0;

    // The port list and the reply time-out field.
    std::int16_t PortListIndex = -1;
    QString PortText;
    QString ReplyTimeout = QStringLiteral("1000");
    QString LabelCOM;
    // The clock row.
    QString ClockDate;
    QString ClockTime;
    std::int16_t Weekday = -1;
    std::int16_t SeasonChange = kUnchecked;
    QString Correction = QStringLiteral("-1");
    // The alarm rows.
    std::array<std::int16_t, 2> AlarmOn{kUnchecked, kUnchecked};
    std::array<QString, 2> AlarmTime;
    std::array<std::int16_t, 2> AlarmDays{-1, -1};
    // The event page.
    std::int16_t EventOn = kUnchecked;
    std::array<QString, 2> EventLines;
    QString EventDate;
    QString EventTime;

    std::int16_t cboPortListIndex() const override { return PortListIndex; }
    QString cboPortText() const override { return PortText; }
    QString Text1_3() const override { return ReplyTimeout; }
    void SetLabelCOM(const QString& caption) override { LabelCOM = caption; }

    QString DateTime1Text() const override { return ClockDate; }
    QString DateTime2Text() const override { return ClockTime; }
    std::int16_t Combo2ListIndex() const override { return Weekday; }
    std::int16_t Check4Value() const override { return SeasonChange; }
    QString Text3Text() const override { return Correction; }
    std::int16_t Check1Value(int index) const override { return AlarmOn.at(index); }
    QString DateTime3Text(int index) const override { return AlarmTime.at(index); }
    std::int16_t Combo1ListIndex(int index) const override { return AlarmDays.at(index); }
    std::int16_t Check2Value() const override { return EventOn; }
    QString Text2Text(int index) const override { return EventLines.at(index); }
    QString DateTime4Text() const override { return EventDate; }
    QString DateTime5Text() const override { return EventTime; }
};

}  // namespace pelta::ctl
