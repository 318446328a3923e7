#pragma once
// One enciphering or deciphering pass in CBC mode with its progress state. A pass can be fed
// in pieces (the file operations stream through a bounded buffer) and gives exactly the blocks
// and Progress events of a pass over the whole array at once.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pelta::cipher {

class clsDES;

// Progress for a block at offset o against total T: when o reaches the threshold, the
// percentage becomes floor(o / T * 100), the next threshold (percentage + 1) / 100 * T + 1
// rounded half to even, and the event is raised.
class ProgressState {
  public:
    ProgressState(std::uint64_t total, const std::function<void(std::int32_t)>& sink)
        : Total(total), Sink(sink) {}

    void BlockDone(std::uint64_t offset);
    // The offset of the first block from `from` on whose BlockDone raises an event.
    std::uint64_t NextDue(std::uint64_t from) const;
    // Raises Progress(100) unless that was the last percentage.
    void Finish();

  private:
    void Raise(std::int32_t percent) const;

    std::uint64_t Total;
    const std::function<void(std::int32_t)>& Sink;
    std::int32_t Percent = 0;
    double Threshold = 0;
};

class CbcRun {
  public:
    CbcRun(const clsDES& des, std::uint64_t total, bool decipher);

    // Enciphers or deciphers whole blocks in place; a trailing partial block is left alone.
    void Process(std::uint8_t* data, std::size_t length);
    void Finish() { Progress.Finish(); }

  private:
    const clsDES& Des;
    bool Decipher;
    std::uint64_t Chain = 0;
    std::uint64_t Offset = 0;
    ProgressState Progress;
};

}  // namespace pelta::cipher
