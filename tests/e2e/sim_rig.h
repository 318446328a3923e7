#pragma once
// Drives the controller simulator and the program's core from a test in a few lines:
//
//     SimRig rig({"--silent"});          // starts pelta-sim on a pty in a scratch runtime dir
//     rig.commands.Command5_Click();     // the "Обновить" button
//     rig.view.Label5 ...                // what the window would show
//
// Everything below the window is real: the termios channel, the port map, the poll cycle with
// its event-loop waits, the monitor, the decoder and the settings commands.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <vector>

#include "device/reply_decoder.h"
#include "device/settings_commands.h"
#include "link/link_settings.h"
#include "link/port_discovery.h"
#include "link/serial_link.h"
#include "link/termios_port_api.h"
#include "protocol/poll_cycle.h"
#include "protocol/qt_event_waiter.h"
#include "protocol/traffic_monitor.h"

namespace pelta::e2e {

// The simulator as a child process registered in a scratch serial map.
class SimProcess {
  public:
    SimProcess(const QString& runtimeDir, const QStringList& extraArgs);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    int ComNumber() const { return com_; }
    // The log lines seen so far (waiting up to `waitMs` for at least `atLeast` "rx" lines).
    QStringList ReceivedLines(int atLeast, int waitMs = 2000);

  private:
    void ReadAvailable();

    QProcess process_;
    QStringList lines_;
    int com_ = 0;
};

// The window as plain records.
struct FakeWindow : protocol::PollHost,
                    protocol::MonitorView,
                    device::MeasurementsView,
                    device::SettingsView,
                    device::SettingsControls,
                    link::MessageSink,
                    link::ErrorLogSink {
    // PollHost
    QString PortText;
    QString Timeout = QStringLiteral("200");
    QStringList LabelCOM;
    std::int16_t cboPortListIndex() const override { return PortText.isEmpty() ? -1 : 0; }
    QString cboPortText() const override { return PortText; }
    QString Text1_3() const override { return Timeout; }
    void SetLabelCOM(const QString& c) override { LabelCOM << c; }
    // MonitorView
    QString Monitor;
    QString Label1, Label2_0;
    int TextBox1Length() const override { return static_cast<int>(Monitor.size()); }
    void TextBox1Insert(const QString& t) override { Monitor += t; }
    void TextBox1MoveToEnd() override {}
    void TextBox1Clear() override { Monitor.clear(); }
    void SetLabel1(const QString& c) override { Label1 = c; }
    void SetLabel2_0(const QString& c) override { Label2_0 = c; }
    // MeasurementsView
    std::map<QString, QString> Labels;
    void SetLabel3(const QString& c) override { Labels["Label3"] = c; }
    void SetLabel7(const QString& c) override { Labels["Label7"] = c; }
    void SetLabel4(const QString& c) override { Labels["Label4"] = c; }
    void SetLabel5(const QString& c) override { Labels["Label5"] = c; }
    void SetLabel6(const QString& c) override { Labels["Label6"] = c; }
    void SetLabel15_0(const QString& c) override { Labels["Label15(0)"] = c; }
    void SetLabel14_0(const QString& c) override { Labels["Label14(0)"] = c; }
    // SettingsView
    QStringList SettingsWrites;
    void SetDateTime3Text(int i, const QString& t) override { Write("DateTime3", i, t); }
    void SetCombo1ListIndex(int i, std::int16_t p) override {
        Write("Combo1", i, QString::number(p));
    }
    void SetCheck1(int i, bool c) override { Write("Check1", i, c ? "on" : "off"); }
    void SetCombo4ListIndex(std::int16_t p) override { Write("Combo4", -1, QString::number(p)); }
    void SetCombo5ListIndex(std::int16_t p) override { Write("Combo5", -1, QString::number(p)); }
    void SetCombo3ListIndex(std::int16_t p) override { Write("Combo3", -1, QString::number(p)); }
    void SetDateTime6Text(int i, const QString& t) override { Write("DateTime6", i, t); }
    void SetCheck3(bool c) override { Write("Check3", -1, c ? "on" : "off"); }
    // SettingsControls
    QString DateTime1 = QStringLiteral("05.03.09"), DateTime2 = QStringLiteral("14:07:09");
    std::int16_t Combo2 = 4, Check4 = 0;
    QString Text3 = QStringLiteral("-1");
    std::int16_t Check1[2] = {1, 1};
    QString DateTime3[2] = {QStringLiteral("07:30"), QStringLiteral("08:00")};
    std::int16_t Combo1[2] = {7, 9};
    std::int16_t Check2 = 1;
    QString Text2[2] = {QStringLiteral("Привет"), QStringLiteral("Мир")};
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
    // MessageSink and ErrorLogSink
    QStringList Messages;
    void ShowMessage(const QString& text, link::MessageIcon) override { Messages << text; }
    void WriteErrorLog(const QString& m) override { Messages << m; }
    void ReportDetail(std::int16_t, const QString&, const QString&, const QString&) override {}

  private:
    void Write(const char* control, int i, const QString& v) {
        SettingsWrites << (i < 0 ? QStringLiteral("%1=%3") : QStringLiteral("%1(%2)=%3"))
                              .arg(QString::fromLatin1(control))
                              .arg(i)
                              .arg(v);
    }
};

// The whole core wired as the application wires it, against a running simulator.
class SimRig {
  public:
    explicit SimRig(const QStringList& simArgs = {});

    QTemporaryDir runtime;
    std::unique_ptr<SimProcess> sim;
    FakeWindow window;
    std::unique_ptr<link::TermiosPortApi> api;
    std::unique_ptr<link::SerialChannel> channel;
    std::unique_ptr<link::PortDiscovery> discovery;
    std::unique_ptr<link::LinkSettingsModel> settings;
    std::unique_ptr<link::SerialLink> serialLink;
    protocol::QtEventWaiter events;
    std::unique_ptr<protocol::TrafficMonitor> monitor;
    device::ControllerState state;
    std::unique_ptr<device::ControllerReplyDecoder> decoder;
    std::unique_ptr<protocol::PollCycle> cycle;
    std::unique_ptr<device::SettingsCommands> commands;
};

}  // namespace pelta::e2e
