#pragma once
// A one-line progress bar on a terminal, fed by clsDES's Progress event.

#include <cstdint>
#include <cstdio>

namespace pelta::des_tool {

class ProgressBar {
  public:
    explicit ProgressBar(std::FILE* terminal) : Terminal(terminal) {}
    void Show(std::int32_t percent);
    // Ends a bar line left open, so that what is written next starts a line of its own.
    void EndLine();

  private:
    std::FILE* Terminal;
    bool LineOpen = false;
};

}  // namespace pelta::des_tool
