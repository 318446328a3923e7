#include "core/controller_core.h"

#include "link/routing_port_api.h"
#include "protocol/qt_event_waiter.h"

namespace pelta::core {
namespace {

std::unique_ptr<link::PortApi> PortLayerFrom(CoreOptions& options,
                                             const link::SerialMapRoots& roots) {
    if (options.PortApi != nullptr) {
        return std::move(options.PortApi);
    }
    return std::make_unique<link::RoutingPortApi>(roots);
}

std::unique_ptr<protocol::EventWaiter> WaiterFrom(CoreOptions& options) {
    if (options.Events != nullptr) {
        return std::move(options.Events);
    }
    return std::make_unique<protocol::QtEventWaiter>();
}

protocol::ErrorLog ErrorLogFrom(const CoreOptions& options) {
    return options.ErrorLogFolder.isEmpty() ? protocol::ErrorLog()
                                            : protocol::ErrorLog(options.ErrorLogFolder);
}

// Keeps what the recorders get while it lives, even when the action throws.
class RecordingScope {
  public:
    RecordingScope(ShownRecorder& shown, ReplyRecorder& replies)
        : shown_(shown), replies_(replies) {
        shown_.Recording = replies_.Recording = true;
    }
    ~RecordingScope() { shown_.Recording = replies_.Recording = false; }
    RecordingScope(const RecordingScope&) = delete;
    RecordingScope& operator=(const RecordingScope&) = delete;

  private:
    ShownRecorder& shown_;
    ReplyRecorder& replies_;
};

}  // namespace

ControllerCore::ControllerCore(const CoreViews& views, CoreOptions options)
    : roots_(options.MapRoots.value_or(link::DefaultSerialMapRoots())),
      api_(PortLayerFrom(options, roots_)),
      events_(WaiterFrom(options)),
      errorLog_(ErrorLogFrom(options)),
      shown_(views.Messages, views.Measurements),
      channel_(*api_, shown_),
      discovery_(roots_, &errorLog_),
      settings_(channel_, options.LinkErrors != nullptr ? *options.LinkErrors : errorLog_, shown_),
      link_(channel_, discovery_, settings_),
      monitor_(views.Monitor, *events_),
      // The clock drift is taken at the moment the reply came, not when it was decoded.
      decoder_(state_, shown_, views.Settings, shown_, [this] { return cycle_.ReplyMoment(); }),
      replies_(decoder_),
      cycle_(protocol::PollCycle::Parts{views.Poll, *events_, link_, settings_, monitor_, replies_,
                                        state_}),
      commands_(views.Controls, state_, cycle_, shown_) {
    discovery_.ListSerialPorts();
}

ControllerCore::~ControllerCore() = default;

template <typename Action>
ExchangeOutcome ControllerCore::Recorded(Action action) {
    shown_.Clear();
    replies_.Replies.clear();
    {
        const RecordingScope recording(shown_, replies_);
        action();
    }
    return ExchangeOutcome{Judge(shown_.Messages, replies_.Replies), shown_.Messages,
                           replies_.Replies};
}

ReadOutcome ControllerCore::ReadMeasurements() {
    ReadOutcome read;
    read.Exchange = Recorded([this] { commands_.ReadMeasurements(); });
    read.Values = shown_.Values;
    return read;
}

ExchangeOutcome ControllerCore::ReadSettings() {
    return Recorded([this] { commands_.ReadSettings(); });
}

ExchangeOutcome ControllerCore::SendClock() {
    return Recorded([this] { commands_.SendClock(); });
}

ExchangeOutcome ControllerCore::SendAlarm(int index) {
    return Recorded([this, index] { commands_.SendAlarm(index); });
}

std::optional<device::Readings> ControllerCore::DecodeReadings(const protocol::Frame& stateReply) {
    shown_.Clear();
    {
        const RecordingScope recording(shown_, replies_);
        decoder_.ReplyDecoder(protocol::Command::ReadState, stateReply);
    }
    return shown_.Values;
}

ExchangeOutcome ControllerCore::SendEvent() {
    return Recorded([this] { commands_.SendEvent(); });
}

}  // namespace pelta::core
