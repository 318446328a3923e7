#include "cipher/cbc_run.h"

#include <algorithm>
#include <cmath>

#include "cipher/des.h"

namespace pelta::cipher {

void ProgressState::BlockDone(std::uint64_t offset) {
    const auto at = static_cast<double>(offset);
    if (at < Threshold) {
        return;
    }
    const auto total = static_cast<double>(Total);
    Percent = static_cast<std::int32_t>(std::floor(at / total * 100));
    // nearbyint rounds half to even in the default rounding mode
    Threshold = std::nearbyint((Percent + 1) / 100.0 * total + 1);
    Raise(Percent);
}

std::uint64_t ProgressState::NextDue(std::uint64_t from) const {
    // Offsets are whole blocks; the threshold is a whole number.
    const auto threshold = static_cast<std::uint64_t>(Threshold);
    return std::max(from, (threshold + 7) / 8 * 8);
}

void ProgressState::Finish() {
    if (Percent != 100) {
        Percent = 100;
        Raise(100);
    }
}

void ProgressState::Raise(std::int32_t percent) const {
    if (Sink) {
        Sink(percent);
    }
}

CbcRun::CbcRun(const clsDES& des, std::uint64_t total, bool decipher)
    : Des(des), Decipher(decipher), Progress(total, des.Progress) {}

void CbcRun::Process(std::uint8_t* data, std::size_t length) {
    // Runs of blocks between Progress events go through the block function in one call.
    for (std::uint64_t blocks = length / 8; blocks > 0;) {
        const std::uint64_t due = Progress.NextDue(Offset);
        const std::uint64_t run = std::min(blocks, (due - Offset) / 8 + 1);
        const auto count = static_cast<std::size_t>(run);
        if (Decipher) {
            core::CbcDecipher(Des.Schedule, data, count, Chain);
        } else {
            core::CbcEncipher(Des.Schedule, data, count, Chain);
        }
        data += 8 * count;
        blocks -= run;
        Offset += 8 * run;
        if (Offset - 8 == due) {
            Progress.BlockDone(due);
        }
    }
}

}  // namespace pelta::cipher
