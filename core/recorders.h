#pragma once
// Stand between the core and a front's views: each passes what it gets on unchanged, and keeps
// it only while an action is recorded, so that the action can answer with a value (the window's
// own clicks are not kept).

#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "device/measurements_view.h"
#include "link/message_sink.h"
#include "protocol/reply_sink.h"

namespace pelta::core {

// The messages shown and the numbers behind the measurement labels.
class ShownRecorder final : public link::MessageSink, public device::MeasurementsView {
  public:
    ShownRecorder(link::MessageSink& messages, device::MeasurementsView& measurements)
        : messages_(messages), measurements_(measurements) {}

    bool Recording = false;
    QStringList Messages;
    std::optional<device::Readings> Values;

    void Clear();
    void ShowMessage(const QString& text, link::MessageIcon icon) override;

    void SetLabel3(const QString& caption) override { measurements_.SetLabel3(caption); }
    void SetLabel7(const QString& caption) override { measurements_.SetLabel7(caption); }
    void SetLabel4(const QString& caption) override { measurements_.SetLabel4(caption); }
    void SetLabel5(const QString& caption) override { measurements_.SetLabel5(caption); }
    void SetLabel6(const QString& caption) override { measurements_.SetLabel6(caption); }
    void SetLabel15_0(const QString& caption) override { measurements_.SetLabel15_0(caption); }
    void SetLabel14_0(const QString& caption) override { measurements_.SetLabel14_0(caption); }
    void ShowReadings(const device::Readings& readings) override;

  private:
    link::MessageSink& messages_;
    device::MeasurementsView& measurements_;
};

// Every reply, as read, on its way to the decoder.
class ReplyRecorder final : public protocol::ReplySink {
  public:
    explicit ReplyRecorder(protocol::ReplySink& decoder) : decoder_(decoder) {}

    bool Recording = false;
    std::vector<std::pair<std::int16_t, protocol::Frame>> Replies;

    void ReplyDecoder(std::int16_t command, const protocol::Frame& reply) override;

  private:
    protocol::ReplySink& decoder_;
};

}  // namespace pelta::core
