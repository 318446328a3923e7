#include "core/recorders.h"

namespace pelta::core {

void ShownRecorder::Clear() {
    Messages.clear();
    Values.reset();
}

void ShownRecorder::ShowMessage(const QString& text, link::MessageIcon icon) {
    if (Recording) {
        Messages << text;
    }
    messages_.ShowMessage(text, icon);
}

void ShownRecorder::ShowReadings(const device::Readings& readings) {
    if (Recording) {
        Values = readings;
    }
    measurements_.ShowReadings(readings);
}

void ReplyRecorder::ReplyDecoder(std::int16_t command, const protocol::Frame& reply) {
    if (Recording) {
        Replies.emplace_back(command, reply);
    }
    decoder_.ReplyDecoder(command, reply);
}

}  // namespace pelta::core
