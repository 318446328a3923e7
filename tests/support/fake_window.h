#pragma once
// One plain fake of the window for the core's tests: it records what the core shows and hands
// out what the controls hold. Plus a waiter that returns at once and a staged request that every
// command accepts.

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

#include "device/measurements_view.h"
#include "device/settings_controls.h"
#include "device/settings_view.h"
#include "link/error_log_sink.h"
#include "link/message_sink.h"
#include "protocol/command_table.h"
#include "protocol/event_waiter.h"
#include "protocol/monitor_view.h"
#include "protocol/poll_host.h"

namespace pelta::testing {

inline protocol::Frame Bytes(std::initializer_list<int> values) {
    return protocol::Frame(values.begin(), values.end());
}

// Every field valid, so that each command builds its request.
inline protocol::StagedRequest FullyStaged() {
    return {.EventMode = 255,
            .EventDate = "24.12.25",
            .EventTime = "18:30",
            .EventLine1 = "ABCDEFGHIJKLMNOPQRST",
            .EventLine2 = std::string(20, ' '),
            .ClockDate = "05.03.09",
            .ClockTime = "14:07:09",
            .ClockCorrection = 41,
            .ClockOnOffCode = "255",
            .ClockDayCode = "5",
            .OnOffCode = "0",
            .DayCode = "2",
            .AlarmHour = "6",
            .AlarmMinute = "30"};
}

// Controls are read from and written to generic maps by name; an indexed control is "Name(i)".
struct FakeWindow : protocol::PollHost,
                    protocol::MonitorView,
                    device::MeasurementsView,
                    device::SettingsView,
                    device::SettingsControls,
                    link::MessageSink,
                    link::ErrorLogSink {
    // What the controls hold; numbers as text.
    std::map<QString, QString> In = {
        {"cboPortListIndex", "0"}, {"cboPortText", "COM 3"},  {"Text1_3", "1000"},
        {"DateTime1", "05.03.09"}, {"DateTime2", "14:07:09"}, {"Combo2", "4"},
        {"Check4", "1"},           {"Text3", "-1"},           {"Check1(0)", "1"},
        {"Check1(1)", "0"},        {"DateTime3(0)", "07:05"}, {"DateTime3(1)", "22:30"},
        {"Combo1(0)", "7"},        {"Combo1(1)", "9"},        {"Check2", "1"},
        {"Text2(0)", "Привет"},    {"Text2(1)", "World"},     {"DateTime4", "24.12.25"},
        {"DateTime5", "18:30"}};
    // Every caption or setting written, as "Name=value" in order, and the last value per name.
    QStringList Writes;
    std::map<QString, QString> Shown;
    QString FailOn;  // writes to this control throw, as a control torn down mid-update would
    std::vector<std::pair<QString, link::MessageIcon>> Messages;
    // The traffic monitor's text with its insertion point.
    QString Text;
    qsizetype Cursor = 0;

    QString Get(const QString& name) const { return In.at(name); }
    std::int16_t Num(const QString& name) const { return Get(name).toShort(); }
    static QString At(const char* name, int i) {
        return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
    }
    void Set(const QString& name, const QString& value) {
        if (name == FailOn) {
            throw std::runtime_error("control gone");
        }
        Shown[name] = value;
        Writes << name + QLatin1Char('=') + value;
    }
    void Set(const QString& name, bool on) { Set(name, QString::fromLatin1(on ? "on" : "off")); }
    void Set(const QString& name, std::int16_t n) { Set(name, QString::number(n)); }

    std::int16_t cboPortListIndex() const override { return Num("cboPortListIndex"); }
    QString cboPortText() const override { return Get("cboPortText"); }
    QString Text1_3() const override { return Get("Text1_3"); }
    void SetLabelCOM(const QString& c) override { Set("LabelCOM", c); }
    int TextBox1Length() const override { return static_cast<int>(Text.size()); }
    void TextBox1Insert(const QString& t) override {
        Text.insert(Cursor, t);
        Cursor += t.size();
    }
    void TextBox1MoveToEnd() override { Cursor = Text.size(); }
    void TextBox1Clear() override {
        Text.clear();
        Cursor = 0;
    }
    void SetLabel1(const QString& c) override { Set("Label1", c); }
    void SetLabel2_0(const QString& c) override { Set("Label2(0)", c); }
    void SetLabel3(const QString& c) override { Set("Label3", c); }
    void SetLabel7(const QString& c) override { Set("Label7", c); }
    void SetLabel4(const QString& c) override { Set("Label4", c); }
    void SetLabel5(const QString& c) override { Set("Label5", c); }
    void SetLabel6(const QString& c) override { Set("Label6", c); }
    void SetLabel15_0(const QString& c) override { Set("Label15(0)", c); }
    void SetLabel14_0(const QString& c) override { Set("Label14(0)", c); }
    void SetDateTime3Text(int i, const QString& t) override { Set(At("DateTime3", i), t); }
    void SetCombo1ListIndex(int i, std::int16_t p) override { Set(At("Combo1", i), p); }
    void SetCheck1(int i, bool c) override { Set(At("Check1", i), c); }
    void SetCombo4ListIndex(std::int16_t p) override { Set("Combo4", p); }
    void SetCombo5ListIndex(std::int16_t p) override { Set("Combo5", p); }
    void SetCombo3ListIndex(std::int16_t p) override { Set("Combo3", p); }
    void SetDateTime6Text(int i, const QString& t) override { Set(At("DateTime6", i), t); }
    void SetCheck3(bool c) override { Set("Check3", c); }
    QString DateTime1Text() const override { return Get("DateTime1"); }
    QString DateTime2Text() const override { return Get("DateTime2"); }
    std::int16_t Combo2ListIndex() const override { return Num("Combo2"); }
    std::int16_t Check4Value() const override { return Num("Check4"); }
    QString Text3Text() const override { return Get("Text3"); }
    std::int16_t Check1Value(int i) const override { return Num(At("Check1", i)); }
    QString DateTime3Text(int i) const override { return Get(At("DateTime3", i)); }
    std::int16_t Combo1ListIndex(int i) const override { return Num(At("Combo1", i)); }
    std::int16_t Check2Value() const override { return Num("Check2"); }
    QString Text2Text(int i) const override { return Get(At("Text2", i)); }
    QString DateTime4Text() const override { return Get("DateTime4"); }
    QString DateTime5Text() const override { return Get("DateTime5"); }
    void ShowMessage(const QString& t, link::MessageIcon i) override {
        Messages.emplace_back(t, i);
    }
    void WriteErrorLog(const QString& m) override { Set("ErrorLog", m); }
    void ReportDetail(std::int16_t, const QString&, const QString&, const QString&) override {}
};

// Waits return at once and are logged; each can run a hook, standing in for a window event.
class FakeWaiter : public protocol::EventWaiter {
  public:
    int ProcessEventsCalls = 0;
    std::vector<std::chrono::microseconds> Waits;
    std::chrono::microseconds Elapsed{0};  // all waits so far, for a fake clock
    std::function<void(std::size_t waitIndex)> DuringWait;
    std::function<void(int callIndex)> DuringProcessEvents;
    std::vector<std::string>* Log = nullptr;

    int CutShortCalls = 0;

    void ProcessEvents() override {
        if (DuringProcessEvents) {
            DuringProcessEvents(ProcessEventsCalls);
        }
        ++ProcessEventsCalls;
    }
    void CutShort() override { ++CutShortCalls; }
    void WaitProcessingEvents(std::chrono::microseconds span) override {
        Waits.push_back(span);
        Elapsed += span;
        if (Log != nullptr) {
            Log->push_back("Wait " + std::to_string(span.count()) + "us");
        }
        if (DuringWait) {
            DuringWait(Waits.size() - 1);
        }
    }
};

}  // namespace pelta::testing
