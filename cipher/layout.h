#pragma once
// The enciphered data layout: two random values, the size descriptor, the data and zero
// padding to whole 8-byte blocks.

#include <cstddef>
#include <cstdint>
#include <limits>

namespace pelta::cipher::layout {

inline constexpr std::uint64_t kHeaderSize = 12;
inline constexpr std::uint64_t kBlockSize = 8;
// The size descriptor is a signed 32-bit value.
inline constexpr std::uint64_t kMaxDataSize = std::numeric_limits<std::int32_t>::max();
// The file operations stream through a buffer of this many bytes, a multiple of kBlockSize.
inline constexpr std::size_t kFileChunkSize = std::size_t{1} << 20;

inline std::uint64_t EncipheredSize(std::uint64_t dataSize) {
    return (dataSize + kHeaderSize + kBlockSize - 1) / kBlockSize * kBlockSize;
}

// Writes the random values at offsets 0 and 4 and dataSize at offset 8.
void WriteHeader(std::uint8_t* header, std::uint32_t dataSize);

// The data size held by the deciphered blocks of an enciphered total of `total` bytes, whose
// first 16 bytes `firstBlocks` points at. Throws DesError when no valid layout has that total.
std::uint32_t ReadDataSize(const std::uint8_t* firstBlocks, std::uint64_t total);

// True when a total of this many bytes can hold a layout at all.
inline bool IsPlausibleTotal(std::uint64_t total) {
    return total >= 2 * kBlockSize && total % kBlockSize == 0;
}

}  // namespace pelta::cipher::layout
