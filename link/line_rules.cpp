#include "link/line_rules.h"

#include <cerrno>

#include "link/standard_speeds.h"

namespace pelta::link {

bool IsStandardSpeed(std::uint32_t bitsPerSecond) {
    for (const auto& speed : StandardSpeeds) {
        if (speed.BitsPerSecond == bitsPerSecond) {
            return true;
        }
    }
    return false;
}

bool IsSupportedSpeed(std::uint32_t bitsPerSecond) {
    return bitsPerSecond >= StandardSpeeds.front().BitsPerSecond &&
           bitsPerSecond <= StandardSpeeds.back().BitsPerSecond;
}

int CheckLineParameters(const Dcb& dcb) {
    const bool dataBitsOk = dcb.ByteSize >= 5 && dcb.ByteSize <= 8;
    const bool codesOk = dcb.Parity <= ParityCode::Space && dcb.StopBits <= StopBitsCode::Two;
    const bool oneAndHalfOk = dcb.StopBits != StopBitsCode::OneAndHalf || dcb.ByteSize == 5;
    if (!IsSupportedSpeed(dcb.BaudRate) || !dataBitsOk || !codesOk || !oneAndHalfOk) {
        return EINVAL;
    }
    return 0;
}

}  // namespace pelta::link
