#include "tools/des/progress_bar.h"

#include <algorithm>
#include <string>

namespace pelta::des_tool {

void ProgressBar::Show(std::int32_t percent) {
    constexpr int kWidth = 40;
    const int clamped = std::clamp(percent, 0, 100);
    const int filled = clamped * kWidth / 100;
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(Terminal, "\r[%s] %3d%%", bar.c_str(), clamped);
    LineOpen = true;
    if (clamped == 100) {
        EndLine();
    }
    std::fflush(Terminal);
}

void ProgressBar::EndLine() {
    if (LineOpen) {
        std::fputc('\n', Terminal);
        std::fflush(Terminal);
        LineOpen = false;
    }
}

}  // namespace pelta::des_tool
