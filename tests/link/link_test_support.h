#pragma once
// Recording stand-ins for the window and the error log, and the channel on the in-memory port.

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/error_log_sink.h"
#include "link/memory_port_api.h"
#include "link/message_sink.h"
#include "link/serial_channel.h"

namespace pelta::link::testing {

using ShownMessages = std::vector<std::pair<QString, MessageIcon>>;

class RecordingMessageSink : public MessageSink {
  public:
    ShownMessages Shown;
    void ShowMessage(const QString& text, MessageIcon icon) override {
        Shown.push_back({text, icon});
    }
};

// Keeps both kinds of entry in one sequence, so the calling order is visible.
class RecordingErrorLog : public ErrorLogSink {
  public:
    std::vector<QString> Entries;
    void WriteErrorLog(const QString& message) override { Entries.push_back("log:" + message); }
    void ReportDetail(std::int16_t kind, const QString& title, const QString& further,
                      const QString& detail) override {
        Entries.push_back(
            QStringLiteral("detail:%1|%2|%3|%4").arg(kind).arg(title, further, detail));
    }
};

class MemoryChannelTest : public ::testing::Test {
  protected:
    MemoryPortApi api;
    RecordingMessageSink messages;
    SerialChannel channel{api, messages};

    // Opens an existing port and forgets the calls that took.
    void OpenPort(std::int16_t number) {
        api.AddPort(number);
        channel.OpenPort(number);
        api.ClearLog();
    }
};

inline std::string PathIn(const QTemporaryDir& dir, const char* name) {
    return dir.filePath(QString::fromUtf8(name)).toStdString();
}

}  // namespace pelta::link::testing
