#include "tools/ctl/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace pelta::ctl {

StopSignals::StopSignals(std::function<void()> onStop) : onStop_(std::move(onStop)) {
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    fd_ = signalfd(-1, &stopping, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Take(); });
    }
}

StopSignals::~StopSignals() {
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void StopSignals::Take() {
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
    if (!stopped_) {
        stopped_ = true;
        onStop_();
    }
}

}  // namespace pelta::ctl
