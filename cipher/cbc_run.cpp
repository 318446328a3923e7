#include "cipher/cbc_run.h"

#include <cmath>
#include <cstring>
#include <span>

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

CbcRun::CbcRun(clsDES& des, std::uint64_t total, bool decipher)
    : Des(des), Decipher(decipher), Progress(total, des.Progress) {}

void CbcRun::Process(std::uint8_t* data, std::size_t length) {
    for (std::size_t at = 0; at + 8 <= length; at += 8) {
        std::uint8_t* block = data + at;
        std::uint64_t word;
        std::memcpy(&word, block, 8);
        if (Decipher) {
            Des.DecipherBlock(std::span<std::uint8_t, 8>(block, 8));
            std::uint64_t plain;
            std::memcpy(&plain, block, 8);
            plain ^= Chain;
            std::memcpy(block, &plain, 8);
            Chain = word;
        } else {
            word ^= Chain;
            std::memcpy(block, &word, 8);
            Des.EncipherBlock(std::span<std::uint8_t, 8>(block, 8));
            std::memcpy(&Chain, block, 8);
        }
        Progress.BlockDone(Offset);
        Offset += 8;
    }
}

}  // namespace pelta::cipher
