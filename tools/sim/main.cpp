// pelta-sim: plays the display controller on a pseudo-terminal registered in the
// serial-device map, so that the window and the tests can work without hardware.

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <signal.h>

#include "link/serial_map.h"
#include "tools/sim/com_registration.h"
#include "tools/sim/controller_model.h"
#include "tools/sim/frame_log.h"
#include "tools/sim/pty_line.h"
#include "tools/sim/sim_loop.h"
#include "tools/sim/sim_options.h"

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void RequestStop(int) {
    g_stopRequested = 1;
}

// Blocks the stop signals outside the wait and returns the mask the wait should use, so a
// signal arriving between the flag check and ppoll still wakes the wait.
sigset_t InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigset_t stops;
    sigemptyset(&stops);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(sig, &action, nullptr);
        sigaddset(&stops, sig);
    }
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stops, &waitMask);
    return waitMask;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "pelta-sim: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pelta::sim;
    namespace link = pelta::link;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "%s\n", parsed.error.c_str());
        return 2;
    }
    const SimOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }

    const sigset_t waitMask = InstallStopSignals();
    std::string error;
    std::optional<PtyLine> line = PtyLine::Open(&error);
    if (!line) {
        return Fail(error);
    }
    std::optional<ComRegistration> registration =
        ComRegistration::Create(link::SerialMapFolder(), options.com, line->SlavePath(), &error);
    if (!registration) {
        return Fail(error);
    }
    std::printf("pelta-sim: COM%d -> %s\n", registration->Number(), line->SlavePath().c_str());
    std::fflush(stdout);

    ControllerModel model(options.address, options.climate);
    FrameLog log(stdout);
    SimLoop loop(*line, model, options.faults, log, options.gap);
    const LoopEnd end = loop.Run(g_stopRequested, waitMask);
    line->Close();
    registration->Remove();
    log.Note(end == LoopEnd::HungUp    ? "line closed on purpose; exiting"
             : end == LoopEnd::Stopped ? "stopped by signal; exiting"
                                       : "line failed; exiting");
    return end == LoopEnd::LineFailed ? 1 : 0;
}
