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
    protocol::Frame frame;
    for (const int v : values) {
        frame += static_cast<char>(v);
    }
    return frame;
}

// Every field valid, so that each command builds its request.
inline protocol::StagedRequest FullyStaged() {
    protocol::StagedRequest s;
    s.OnOffCode = "0";
    s.AlarmHour = "6";
    s.AlarmMinute = "30";
    s.DayCode = "2";
    s.ClockDate = "05.03.09";
    s.ClockTime = "14:07:09";
    s.ClockCorrection = 41;
    s.ClockOnOffCode = "255";
    s.ClockDayCode = "5";
    s.EventMode = 255;
    s.EventDate = "24.12.25";
    s.EventTime = "18:30";
    s.EventLine1 = "ABCDEFGHIJKLMNOPQRST";
    s.EventLine2 = std::string(20, ' ');
    return s;
}

struct FakeWindow : protocol::PollHost,
                    protocol::MonitorView,
                    device::MeasurementsView,
                    device::SettingsView,
                    device::SettingsControls,
                    link::MessageSink,
                    link::ErrorLogSink {
    // Port row and reply time-out.
    std::int16_t PortIndex = 0;
    QString PortText = QStringLiteral("COM 3");
    QString Timeout = QStringLiteral("1000");
    QStringList LabelCOM;
    std::int16_t cboPortListIndex() const override { return PortIndex; }
    QString cboPortText() const override { return PortText; }
    QString Text1_3() const override { return Timeout; }
    void SetLabelCOM(const QString& c) override { LabelCOM << c; }
    // Traffic monitor: text with an insertion point, and its two labels.
    QString Text;
    qsizetype Cursor = 0;
    QString Label1, Label2_0;
    bool FailLabel1 = false;
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
    void SetLabel1(const QString& c) override {
        if (FailLabel1) {
            throw std::runtime_error("label gone");
        }
        Label1 = c;
    }
    void SetLabel2_0(const QString& c) override { Label2_0 = c; }
    // Measurements page, by label name.
    std::map<QString, QString> Labels;
    void SetLabel3(const QString& c) override { Labels["Label3"] = c; }
    void SetLabel7(const QString& c) override { Labels["Label7"] = c; }
    void SetLabel4(const QString& c) override { Labels["Label4"] = c; }
    void SetLabel5(const QString& c) override { Labels["Label5"] = c; }
    void SetLabel6(const QString& c) override { Labels["Label6"] = c; }
    void SetLabel15_0(const QString& c) override { Labels["Label15(0)"] = c; }
    void SetLabel14_0(const QString& c) override { Labels["Label14(0)"] = c; }
    // Settings page: every write as "Control(index)=value", in order.
    QStringList Writes;
    void SetDateTime3Text(int i, const QString& t) override { Write("DateTime3", i, t); }
    void SetCombo1ListIndex(int i, std::int16_t p) override { Write("Combo1", i, p); }
    void SetCheck1(int i, bool c) override { Write("Check1", i, c ? "on" : "off"); }
    void SetCombo4ListIndex(std::int16_t p) override { Write("Combo4", -1, p); }
    void SetCombo5ListIndex(std::int16_t p) override { Write("Combo5", -1, p); }
    void SetCombo3ListIndex(std::int16_t p) override { Write("Combo3", -1, p); }
    void SetDateTime6Text(int i, const QString& t) override { Write("DateTime6", i, t); }
    void SetCheck3(bool c) override { Write("Check3", -1, c ? "on" : "off"); }
    // Settings controls.
    QString DateTime1 = QStringLiteral("05.03.09"), DateTime2 = QStringLiteral("14:07:09");
    std::int16_t Combo2 = 4, Check4 = 1;
    QString Text3 = QStringLiteral("-1");
    std::int16_t Check1[2] = {1, 0};
    QString DateTime3[2] = {QStringLiteral("07:05"), QStringLiteral("22:30")};
    std::int16_t Combo1[2] = {7, 9};
    std::int16_t Check2 = 1;
    QString Text2[2] = {QStringLiteral("Привет"), QStringLiteral("World")};
    QString DateTime4 = QStringLiteral("24.12.25"), DateTime5 = QStringLiteral("18:30");
    QString DateTime1Text() const override { return DateTime1; }
    QString DateTime2Text() const override { return DateTime2; }
    std::int16_t Combo2ListIndex() const override { return Combo2; }
    std::int16_t Check4Value() const override { return Check4; }
    QString Text3Text() const override { return Text3; }
    std::int16_t Check1Value(int i) const override { return Check1[i]; }
    QString DateTime3Text(int i) const override { return DateTime3[i]; }
    std::int16_t Combo1ListIndex(int i) const override { return Combo1[i]; }
    std::int16_t Check2Value() const override { return Check2; }
    QString Text2Text(int i) const override { return Text2[i]; }
    QString DateTime4Text() const override { return DateTime4; }
    QString DateTime5Text() const override { return DateTime5; }
    // Message boxes and the error log.
    struct Message {
        QString Text;
        link::MessageIcon Icon;
    };
    std::vector<Message> Messages;
    QStringList ErrorLog;
    void ShowMessage(const QString& t, link::MessageIcon i) override { Messages.push_back({t, i}); }
    void WriteErrorLog(const QString& m) override { ErrorLog << m; }
    void ReportDetail(std::int16_t, const QString&, const QString&, const QString&) override {}

  private:
    void Write(const char* control, int i, std::int16_t position) {
        Write(control, i, QString::number(position));
    }
    void Write(const char* control, int i, const QString& v) {
        const QString name = QString::fromLatin1(control);
        Writes << (i < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(i)) + QLatin1Char('=') + v;
    }
};

// Waits return at once and are logged; each can run a hook, standing in for a window event.
class FakeWaiter : public protocol::EventWaiter {
  public:
    int ProcessEventsCalls = 0;
    std::vector<std::chrono::microseconds> Waits;
    std::function<void(std::size_t waitIndex)> DuringWait;
    std::vector<std::string>* Log = nullptr;

    void ProcessEvents() override { ++ProcessEventsCalls; }
    void WaitProcessingEvents(std::chrono::microseconds span) override {
        Waits.push_back(span);
        if (Log != nullptr) {
            Log->push_back("Wait " + std::to_string(span.count()) + "us");
        }
        if (DuringWait) {
            DuringWait(Waits.size() - 1);
        }
    }
};

}  // namespace pelta::testing
