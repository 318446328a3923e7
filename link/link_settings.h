#pragma once
// The operator's line parameters per port and the controller address, as a model the window
// binds its lists to. The window fills its lists from the constants below, hands the current
// choices to Apply ("Применить"), and each exchange turns the port's entry into line values
// with ComPortInit.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>

#include "link/error_log_sink.h"
#include "link/line_rules.h"
#include "link/message_sink.h"
#include "link/serial_channel.h"

namespace pelta::link {

// Default list positions: 9600 bit/s, 8 data bits, no parity, 1 stop bit, no handshake.
inline constexpr std::int16_t DefaultSpeedPosition = 5;
inline constexpr std::int16_t DefaultDataBitsPosition = 4;
inline constexpr std::int16_t DefaultParityPosition = 2;
inline constexpr std::int16_t DefaultStopBitsPosition = 0;
inline constexpr std::int16_t DefaultHandShakePosition = 0;
inline constexpr std::int32_t DefaultControllerAddress = 1;
inline constexpr std::int32_t DefaultAttempts = 1;

// A text of the window or of a command line through the one whole-number rule.
std::optional<int> WholeNumberIn(const QString& text, WholeRange range);

// Entries of the fixed lists, by position.
QStringList SpeedEntries();      // 300 ... 19200
QStringList DataBitsEntries();   // "4" ... "8"
QStringList ParityEntries();     // "Even", "Odd", "None", "Mark", "Space"
QStringList StopBitsEntries();   // "1", "1.5", "2"
QStringList HandShakeEntries();  // "None", "XOn/XOff", "RTS/CTS", "Both"

// One port's line values as positions in the fixed lists: the one shape every front keeps them
// in (the remembered file holds the list texts, converted only at its edge).
struct LineValues {
    std::int16_t DataBits = DefaultDataBitsPosition;
    std::int16_t Parity = DefaultParityPosition;
    std::int16_t Speed = DefaultSpeedPosition;
    std::int16_t HandShake = DefaultHandShakePosition;
    std::int16_t StopBits = DefaultStopBitsPosition;

    friend bool operator==(const LineValues&, const LineValues&) = default;
};

// Line values given for one run (pelta-ctl's options); what is not given comes from elsewhere.
struct LineOverrides {
    std::optional<std::int16_t> DataBits;
    std::optional<std::int16_t> Parity;
    std::optional<std::int16_t> Speed;
    std::optional<std::int16_t> StopBits;
};

// The line values in force: each one given, else remembered for the port, else the default.
LineValues ResolveLineValues(const LineOverrides& given,
                             const std::optional<LineValues>& remembered);

// The confirmed choices for one port: list positions, plus the port's list text.
// An entry never applied holds the defaults the window shows.
struct LinkSettings : LineValues {
    std::int16_t PortNumber = 0;  // the port's COM number
    QString PortCaption;

    friend bool operator==(const LinkSettings&, const LinkSettings&) = default;
};

// The connection area's current choices as the window reads them.
struct LinkChoices : LineValues {
    std::int16_t PortNumber = 0;  // COM number of the chosen port; 0: none chosen
    QString PortText;
    QString AddressText = QStringLiteral("1");
    QString ReplyTimeoutText = QStringLiteral("1000");  // `Text1(3)`, milliseconds
    QString AttemptsText = QStringLiteral("1");         // `Text1(4)`
};

// What LoadPropertySettings puts in the data-bits, parity and stop-bits lists.
struct PropertyLists {
    QStringList DataBits;
    QStringList Parity;
    QStringList StopBits;
    std::int16_t DataBitsPosition = DefaultDataBitsPosition;
    std::int16_t ParityPosition = DefaultParityPosition;
    std::int16_t StopBitsPosition = DefaultStopBitsPosition;
};

class LinkSettingsModel {
  public:
    LinkSettingsModel(SerialChannel& channel, ErrorLogSink& errorLog, MessageSink& messages);

    // Entries by the port's COM number, so they stay with the port when the list is re-read;
    // a port missing here runs on the defaults.
    std::map<std::int16_t, LinkSettings> PortTable;
    std::int32_t ControllerAddress = DefaultControllerAddress;
    std::int32_t Attempts = DefaultAttempts;

    static PropertyLists LoadPropertySettings();

    // "Применить": stores the address, the attempts and the port's entry. With no port chosen,
    // or an address, a reply time-out or attempts outside their ranges (line_rules.h), shows
    // why and changes nothing. The time-out is only checked: each exchange reads the field.
    bool Apply(const LinkChoices& choices);
    // Stores the list choices into the port's entry, as Apply does, leaving the address.
    // A number below 1 is logged, not thrown.
    void SetPort(std::int16_t portNumber, const LinkChoices& choices);
    // The entry in force for a COM number (the defaults when never applied).
    LinkSettings EntryFor(std::int16_t portNumber) const;
    // Configures the open port from the port's entry and returns e.g. "9600,n,8,1".
    // A run-time error is logged and gives an empty text.
    QString ComPortInit(std::int16_t portNumber);

  private:
    QString ConfigureFromEntry(std::int16_t portNumber);
    void LogError(const QString& module, const QString& description);

    SerialChannel& channel_;
    ErrorLogSink& errorLog_;
    MessageSink& messages_;
};

}  // namespace pelta::link
