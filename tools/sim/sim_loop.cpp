#include "tools/sim/sim_loop.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <unistd.h>

namespace pelta::sim {

namespace {

using std::chrono::steady_clock;

timespec ToTimespec(steady_clock::duration d) {
    if (d < steady_clock::duration::zero()) {
        d = steady_clock::duration::zero();
    }
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(d);
    const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(d - secs);
    return {static_cast<time_t>(secs.count()), static_cast<long>(nanos.count())};
}

}  // namespace

SimLoop::SimLoop(PtyLine& line, ControllerModel& model, const Faults& faults, FrameLog& log,
                 std::chrono::milliseconds gap)
    : line_(line), model_(model), faults_(faults), log_(log), assembler_(gap) {}

LoopEnd SimLoop::Run(const volatile std::sig_atomic_t& stopFlag, const sigset_t& waitMask) {
    while (stopFlag == 0) {
        const std::optional<TimePoint> deadline = NextDeadline();
        timespec timeout{};
        if (deadline) {
            timeout = ToTimespec(*deadline - steady_clock::now());
        }
        pollfd pfd{line_.MasterFd(), POLLIN, 0};
        const int ready = ppoll(&pfd, 1, deadline ? &timeout : nullptr, &waitMask);
        if (ready < 0 && errno != EINTR) {
            log_.Note(std::string("ppoll failed: ") + std::strerror(errno));
            return LoopEnd::LineFailed;
        }
        const TimePoint now = steady_clock::now();
        if (ready > 0 && !ReadLine(now, pfd.revents)) {
            return LoopEnd::LineFailed;
        }
        if (const auto burst = assembler_.Expire(now)) {
            Process(*burst, now);
        }
        if (hangUp_) {
            line_.Close();
            return LoopEnd::HungUp;
        }
        SendDueReplies(now);
    }
    return LoopEnd::Stopped;
}

std::optional<SimLoop::TimePoint> SimLoop::NextDeadline() const {
    std::optional<TimePoint> deadline = assembler_.Deadline();
    if (!pending_.empty() && (!deadline || pending_.front().due < *deadline)) {
        deadline = pending_.front().due;
    }
    return deadline;
}

bool SimLoop::ReadLine(TimePoint now, short events) {
    if ((events & POLLIN) == 0) {
        log_.Note("line reports hang-up or error");
        return false;
    }
    char buffer[512];
    const ssize_t n = read(line_.MasterFd(), buffer, sizeof buffer);
    if (n > 0) {
        if (const auto frame =
                assembler_.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), now)) {
            Process(*frame, now);
        }
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    // We hold a slave descriptor ourselves, so hang-up or EIO here means the line is gone;
    // going on would only spin.
    log_.Note(n == 0 ? std::string("line closed") : std::string("read: ") + std::strerror(errno));
    return false;
}

void SimLoop::Process(const protocol::Frame& frame, TimePoint now) {
    const Classified c = Classify(frame, model_.Address());
    const bool wellFormed = c.verdict == Verdict::Answer || c.verdict == Verdict::OtherAddress;
    std::string verdict(VerdictText(c.verdict));
    if (wellFormed) {
        ++requestsReceived_;
    }
    hangUp_ = wellFormed && faults_.hangupAfter && requestsReceived_ >= *faults_.hangupAfter;
    if (hangUp_) {
        verdict = "hanging up (--hangup-after)";
    } else if (c.verdict == Verdict::Answer && faults_.silent) {
        verdict = "not answered (--silent)";
    }
    log_.Received(frame, verdict, LineParams(line_.SlaveSettings()));
    if (hangUp_) {
        return;
    }
    if (auto reply = ApplyFaults(faults_, model_.Handle(frame))) {
        const TimePoint due = now + ReplyDelay(faults_, repliesQueued_++);
        // A reply on time must not wait behind a late one.
        const auto later =
            std::upper_bound(pending_.begin(), pending_.end(), due,
                             [](TimePoint t, const PendingReply& p) { return t < p.due; });
        pending_.insert(later, {due, std::move(*reply)});
    }
}

void SimLoop::SendDueReplies(TimePoint now) {
    while (!pending_.empty() && pending_.front().due <= now) {
        const protocol::Frame& reply = pending_.front().bytes;
        const ssize_t n = write(line_.MasterFd(), reply.data(), reply.size());
        if (n == static_cast<ssize_t>(reply.size())) {
            log_.Sent(reply);
        } else {
            // Nobody drains the line; a stuck reply must not stall the simulator.
            log_.Note("reply not sent in full: " +
                      (n < 0 ? std::string(std::strerror(errno)) : std::to_string(n) + " bytes"));
        }
        pending_.pop_front();
    }
}

}  // namespace pelta::sim
