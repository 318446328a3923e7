#pragma once
// The byte buffer the hexadecimal conversions collect their output in: it grows in steps of
// 1024 bytes instead of once per piece.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelta::cipher {

class GrowingTextBuffer {
  public:
    static constexpr std::size_t kStep = 1024;

    GrowingTextBuffer() { Reset(); }

    // Length 0, capacity kStep.
    void Reset();
    // Grows the capacity by kStep, keeping the contents, when the piece does not fit.
    void Append(std::string_view piece);
    std::string Read() const { return std::string(Bytes.data(), Length); }

    std::size_t length() const { return Length; }
    std::size_t capacity() const { return Capacity; }

  private:
    std::vector<char> Bytes;  // Capacity + 1 bytes
    std::size_t Length = 0;
    std::size_t Capacity = 0;
};

}  // namespace pelta::cipher
