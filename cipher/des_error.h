#pragma once
// The one failure the cipher reports: deciphered data that holds no valid layout.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pelta::cipher {

inline constexpr const char* kIncorrectSizeDescriptor =
    "Incorrect size descriptor in DES decryption";

// A wrong key or corrupt data. Number() is the first application-defined error number, which
// callers of the original component test for.
class DesError : public std::runtime_error {
  public:
    static constexpr std::uint32_t kNumber = 0x80040000u;

    DesError() : std::runtime_error(kIncorrectSizeDescriptor) {}
    std::uint32_t Number() const { return kNumber; }
};

}  // namespace pelta::cipher
