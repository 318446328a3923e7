#include "tools/des/interruption.h"

#include <signal.h>
#include <unistd.h>

#include "cipher/replacing_file.h"

namespace pelta::des_tool {

namespace {

// Only async-signal-safe calls: the path was laid out whole before the file was made.
extern "C" void RemoveTemporaryFileAndExit(int signal) {
    const char* pending = cipher::PendingTemporaryFile();
    if (pending[0] != '\0') {
        ::unlink(pending);
    }
    ::_exit(128 + signal);
}

}  // namespace

void RemoveTemporaryFileOnEndingSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryFileAndExit;
    ::sigfillset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start (a background job's SIGINT) stays ignored.
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

}  // namespace pelta::des_tool
