#pragma once
// Byte-string helpers shared by the simulator tests.

#include <cstdint>
#include <initializer_list>
#include <string>

namespace pelta::sim::test {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

inline int At(const std::string& frame, std::size_t position1) {
    return static_cast<std::uint8_t>(frame.at(position1 - 1));
}

}  // namespace pelta::sim::test
