#pragma once
// Recording stand-ins for the window and the error log, and scratch folders for map tests.

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/error_log_sink.h"
#include "link/message_sink.h"

namespace pelta::link::testing {

struct ShownMessage {
    QString Text;
    MessageIcon Icon;
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

class RecordingMessageSink : public MessageSink {
  public:
    std::vector<ShownMessage> Shown;
    void ShowMessage(const QString& text, MessageIcon icon) override {
        Shown.push_back({text, icon});
    }
};

// Keeps both kinds of entry in one sequence, so the calling order is visible.
class RecordingErrorLog : public ErrorLogSink {
  public:
    std::vector<QString> Entries;
    void WriteErrorLog(const QString& message) override {
        Entries.push_back(QStringLiteral("log:") + message);
    }
    void ReportDetail(std::int16_t kind, const QString& title, const QString& further,
                      const QString& detail) override {
        Entries.push_back(
            QStringLiteral("detail:%1|%2|%3|%4").arg(kind).arg(title, further, detail));
    }
};

inline std::string PathIn(const QTemporaryDir& dir, const char* name) {
    return dir.filePath(QString::fromUtf8(name)).toStdString();
}

}  // namespace pelta::link::testing
