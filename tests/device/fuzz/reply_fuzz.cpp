// Fuzzes what arrives on the line, which nothing guarantees: byte 0 picks the command number
// (0 to 15, so beyond both ends of the table too), the rest is the reply, of any length. The
// reply goes through the traffic monitor and the decoder as a run of the poll cycle hands it
// on, with the window faked. One session serves every input, so the monitor's text fills up,
// is cleared and fills again as in a long run. Besides the sanitizers, it checks the counting.

#include <QLocale>
#include <cstdint>
#include <cstdlib>

#include "device/reply_decoder.h"
#include "protocol/run_time_error.h"
#include "protocol/traffic_monitor.h"
#include "tests/support/fake_window.h"

namespace {

using pelta::protocol::LinkCounters;

struct Session {
    pelta::testing::FakeWindow window;
    pelta::testing::FakeWaiter events;
    pelta::protocol::TrafficMonitor monitor{window, events};
    pelta::device::ControllerState state;
    pelta::device::ControllerReplyDecoder decoder{state, window, window, window};
};

// One more reply counted, or all three counters restarted with the text.
bool CountedOnce(const LinkCounters& before, const LinkCounters& after, bool cleared) {
    if (cleared) {
        return after.Frames == 0 && after.BadFrames == 0 && after.NoAnswer == 0;
    }
    const int failures = (after.BadFrames - before.BadFrames) + (after.NoAnswer - before.NoAnswer);
    return after.Frames == before.Frames + 1 && (failures == 0 || failures == 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static Session session;
    session.window.Writes.clear();  // only the last values matter; keeps memory flat
    session.window.Messages.clear();
    const auto command = static_cast<std::int16_t>(bytes[0] % 16);
    const pelta::protocol::Frame reply(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    const LinkCounters before = session.monitor.LinkStatistics();
    const auto lengthBefore = session.window.Text.size();
    session.monitor.shwRxHex(reply, 0);
    const bool cleared = session.window.Text.size() < lengthBefore;
    // Past the limit by at most this reply's lines: hex (3 characters a byte) and a header.
    const auto longest = static_cast<qsizetype>(pelta::protocol::TrafficMonitor::kMaxTextLength +
                                                3 * reply.size() + 64);
    if (!CountedOnce(before, session.monitor.LinkStatistics(), cleared) ||
        session.window.Text.size() > longest) {
        std::abort();
    }
    try {
        session.decoder.ReplyDecoder(command, reply);
    } catch (const pelta::protocol::RunTimeError&) {
        // The decoder's own verdict on a reply it cannot read.
    }
    return 0;
}
