#pragma once
// A one-line progress bar on a terminal, fed by clsDES's Progress event.

#include <cstdint>
#include <cstdio>

namespace pelta::des_tool {

class ProgressBar {
  public:
    explicit ProgressBar(std::FILE* terminal) : Terminal(terminal) {}
    void Show(std::int32_t percent);

  private:
    std::FILE* Terminal;
};

}  // namespace pelta::des_tool
