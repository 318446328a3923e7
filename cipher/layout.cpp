#include "cipher/layout.h"

#include "cipher/bytes.h"
#include "cipher/des_error.h"
#include "cipher/random_source.h"

namespace pelta::cipher::layout {

void WriteHeader(std::uint8_t* header, std::uint32_t dataSize) {
    bytes::StoreLE32(header, RandomHeaderValue());
    bytes::StoreLE32(header + 4, RandomHeaderValue());
    bytes::StoreLE32(header + 8, dataSize);
}

std::uint32_t ReadDataSize(const std::uint8_t* firstBlocks, std::uint64_t total) {
    if (!IsPlausibleTotal(total)) {
        throw DesError();
    }
    const auto size = static_cast<std::int32_t>(bytes::LoadLE32(firstBlocks + 8));
    const auto spare =
        static_cast<std::int64_t>(total) - size - static_cast<std::int64_t>(kHeaderSize);
    if (size < 0 || spare < 0 || spare >= static_cast<std::int64_t>(kBlockSize)) {
        throw DesError();
    }
    return static_cast<std::uint32_t>(size);
}

}  // namespace pelta::cipher::layout
