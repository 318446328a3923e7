#pragma once
// The operator's actions that talk to the controller. Each reads the controls, stages what is
// to be sent in the controller state, and starts the poll cycle for its commands. Any failure
// (a bad control value, a run-time error inside the exchange) is shown in a warning box with
// its description; nothing further is sent.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "device/controller_state.h"
#include "device/settings_controls.h"
#include "link/message_sink.h"
#include "protocol/exchange_starter.h"

namespace pelta::device {

// Text shown when an action needs a port and none is chosen.
inline constexpr const char* kNoPortChosen = "Не выбран порт!";

// `ClockCorrection` from the `Text3` text: 40 - v for v >= 0, -v below, rounded half to even.
// Empty result when the text is not a number in the locale's format; throws RunTimeError when
// the result does not fit 16 bits.
std::optional<std::int16_t> ClockCorrectionFrom(const QString& text);

// The event line as sent: cut or padded with blanks to 20 characters, then in screen codes.
std::string EventLineFrom(const QString& text);

class SettingsCommands {
  public:
    SettingsCommands(SettingsControls& controls, ControllerState& state,
                     protocol::ExchangeStarter& exchange, link::MessageSink& messages);

    // The window's handlers, by the system's names.
    void Command5_Click() { ReadMeasurements(); }
    void Button166_Click() { SendClock(); }
    void Button167_Click(int index) { SendAlarm(index); }
    void Button168_Click() { SendEvent(); }
    void Command7_Click() { ResendClock(); }
    // The settings page button: with no port chosen shows "Не выбран порт!" and returns false;
    // otherwise calls `showPage`, reads the settings and returns true.
    bool Button163_Click(const std::function<void()>& showPage) { return ReadSettings(showPage); }

    // Reads the clock and measurements (command 1) when a port is chosen.
    void ReadMeasurements();
    // Reads the settings (command 5) when a port is chosen, after `beforeReading`; false, with
    // "Не выбран порт!" shown, when none is.
    bool ReadSettings(const std::function<void()>& beforeReading = [] {});
    // Sends date, time, weekday, correction and season change (command 4).
    void SendClock();
    // Sends alarm 1 (index 0, command 6) or alarm 2 (index 1, command 7).
    void SendAlarm(int index);
    // Sends the timed event and its two lines (commands 2 to 3).
    void SendEvent();
    // Resends the clock with the values staged last (command 4).
    void ResendClock();

  private:
    void StageClock();
    void StageAlarm(int index);
    void StageEvent();
    bool PortChosen();
    // Runs `action`, turning any failure into the warning box.
    void Guarded(const std::function<void()>& action);

    SettingsControls& controls_;
    ControllerState& state_;
    protocol::ExchangeStarter& exchange_;
    link::MessageSink& messages_;
};

}  // namespace pelta::device
