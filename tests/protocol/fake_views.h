#pragma once
// Plain fakes of the window for the protocol tests: they record what the core shows.

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <vector>

#include "link/error_log_sink.h"
#include "link/message_sink.h"
#include "protocol/event_waiter.h"
#include "protocol/monitor_view.h"
#include "protocol/poll_host.h"

namespace pelta::protocol::testing {

class FakeMonitorView : public MonitorView {
  public:
    QString Text;
    qsizetype Cursor = 0;
    QString Label1;
    QString Label2_0;
    bool FailLabel1 = false;

    int TextBox1Length() const override { return static_cast<int>(Text.size()); }
    void TextBox1Insert(const QString& text) override {
        Text.insert(Cursor, text);
        Cursor += text.size();
    }
    void TextBox1MoveToEnd() override { Cursor = Text.size(); }
    void TextBox1Clear() override {
        Text.clear();
        Cursor = 0;
    }
    void SetLabel1(const QString& caption) override {
        if (FailLabel1) {
            throw std::runtime_error("label gone");
        }
        Label1 = caption;
    }
    void SetLabel2_0(const QString& caption) override { Label2_0 = caption; }
};

// Waits return at once; each wait can run a hook, standing in for a window event.
class FakeWaiter : public EventWaiter {
  public:
    int ProcessEventsCalls = 0;
    std::vector<std::chrono::microseconds> Waits;
    std::function<void(std::size_t waitIndex)> DuringWait;
    std::vector<std::string>* Log = nullptr;  // optional shared call log

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

class FakePollHost : public PollHost {
  public:
    std::int16_t PortIndex = 0;
    QString PortText = QStringLiteral("COM 3");
    QString Timeout = QStringLiteral("1000");
    QStringList LabelCOM;

    std::int16_t cboPortListIndex() const override { return PortIndex; }
    QString cboPortText() const override { return PortText; }
    QString Text1_3() const override { return Timeout; }
    void SetLabelCOM(const QString& caption) override { LabelCOM << caption; }
};

class RecordingMessages : public link::MessageSink {
  public:
    struct Message {
        QString Text;
        link::MessageIcon Icon;
    };
    std::vector<Message> Shown;
    void ShowMessage(const QString& text, link::MessageIcon icon) override {
        Shown.push_back({text, icon});
    }
};

class RecordingErrorLog : public link::ErrorLogSink {
  public:
    QStringList Lines;
    void WriteErrorLog(const QString& message) override { Lines << message; }
    void ReportDetail(std::int16_t, const QString&, const QString&, const QString&) override {}
};

}  // namespace pelta::protocol::testing
