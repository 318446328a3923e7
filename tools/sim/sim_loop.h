#pragma once
// The simulator's event loop: waits on the line with ppoll (the processor sleeps while
// nothing happens), assembles requests, answers them through the model and the faults, and
// sends late replies when they fall due. Signals end it cleanly.

#include <chrono>
#include <csignal>
#include <deque>

#include <signal.h>

#include "tools/sim/controller_model.h"
#include "tools/sim/faults.h"
#include "tools/sim/frame_log.h"
#include "tools/sim/pty_line.h"
#include "tools/sim/request_assembler.h"

namespace pelta::sim {

enum class LoopEnd { Stopped, HungUp, LineFailed };

class SimLoop {
  public:
    SimLoop(PtyLine& line, ControllerModel& model, const Faults& faults, FrameLog& log,
            std::chrono::milliseconds gap);

    // Runs until stopFlag is set by a signal handler, the line is hung up on purpose or the
    // line fails. waitMask is the signal mask in force while waiting (signals that set
    // stopFlag must be blocked outside the wait, so none is lost between check and wait).
    LoopEnd Run(const volatile std::sig_atomic_t& stopFlag, const sigset_t& waitMask);

  private:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct PendingReply {
        TimePoint due;
        protocol::Frame bytes;
    };

    std::optional<TimePoint> NextDeadline() const;
    bool ReadLine(TimePoint now, short events);
    void Process(const protocol::Frame& frame, TimePoint now);
    void SendDueReplies(TimePoint now);

    PtyLine& line_;
    ControllerModel& model_;
    const Faults& faults_;
    FrameLog& log_;
    RequestAssembler assembler_;
    std::deque<PendingReply> pending_;  // earliest due first
    unsigned requestsReceived_ = 0;
    unsigned repliesQueued_ = 0;
    bool hangUp_ = false;
};

}  // namespace pelta::sim
