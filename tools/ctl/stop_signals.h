#pragma once
// SIGINT and SIGTERM as an event of the Qt event loop: a long-running command ends at once, even
// in the middle of a reply wait, and still finishes its files. The signals are blocked and read
// from a signalfd, so construct this before any thread starts (threads inherit the mask).

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace pelta::ctl {

class StopSignals {
  public:
    // `onStop` runs once, from the event loop, when the first signal arrives.
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool Stopped() const { return stopped_; }

  private:
    void Take();

    int fd_ = -1;
    bool stopped_ = false;
    std::function<void()> onStop_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace pelta::ctl
