#pragma once
// Recording stand-ins for the window and the error log, and a pty pair.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <QString>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/error_log_sink.h"
#include "link/message_sink.h"

namespace pelta::link::testing {

using ShownMessages = std::vector<std::pair<QString, MessageIcon>>;

class RecordingMessageSink : public MessageSink {
  public:
    ShownMessages Shown;
    void ShowMessage(const QString& text, MessageIcon icon) override {
        Shown.emplace_back(text, icon);
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

// A pseudo-terminal pair; the test plays the peer on the master side.
struct PtyPair {
    PtyPair() { EXPECT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0); }
    ~PtyPair() {
        ::close(master);
        ::close(slave);
    }
    // What the peer receives, up to count bytes, waiting up to waitMs for each piece.
    std::string Received(std::size_t count, int waitMs = 1000) const {
        std::string received;
        char chunk[4096];
        pollfd ready{master, POLLIN, 0};
        for (ssize_t n = 0; received.size() < count && ::poll(&ready, 1, waitMs) > 0;) {
            if ((n = ::read(master, chunk, sizeof chunk)) <= 0) {
                break;
            }
            received.append(chunk, static_cast<std::size_t>(n));
        }
        return received;
    }
    void Send(const std::string& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int master = -1;
    int slave = -1;
    char name[256] = {};
};

}  // namespace pelta::link::testing
