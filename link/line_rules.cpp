#include "link/line_rules.h"

#include <cerrno>
#include <charconv>

#include "link/standard_speeds.h"

namespace pelta::link {

std::optional<int> WholeNumberIn(std::string_view text, WholeRange range) {
    constexpr std::string_view Blanks = " \t\r\n";
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(Blanks) - first + 1);
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !range.Holds(number)) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

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
