// Key setting and the single-block operations of clsDES.

#include <algorithm>

#include "cipher/des.h"

namespace pelta::cipher {

namespace {

template <typename T>
void Wipe(T& value) {
    volatile auto* p = reinterpret_cast<volatile std::uint8_t*>(&value);
    for (std::size_t i = 0; i < sizeof value; ++i) {
        p[i] = 0;
    }
}

}  // namespace

clsDES::clsDES() : Schedule(core::MakeSchedule({})) {}

clsDES::~clsDES() {
    Wipe(Schedule);
    std::fill(KeyText.begin(), KeyText.end(), '\0');
}

void clsDES::key(const std::string& New_Value) {
    if (New_Value == KeyText) {
        return;
    }
    KeyText = New_Value;
    // fewer than eight characters act zero-padded, more act cut to eight
    std::array<std::uint8_t, 8> keyBytes{};
    std::copy_n(KeyText.begin(), std::min<std::size_t>(KeyText.size(), 8), keyBytes.begin());
    Schedule = core::MakeSchedule(keyBytes);
    Wipe(keyBytes);
}

void clsDES::ApplyKey(const std::string& newKey) {
    if (!newKey.empty()) {
        key(newKey);
    }
}

void clsDES::EncipherBlock(std::span<std::uint8_t, 8> block) {
    core::EncipherBlock(Schedule, block.data());
}

void clsDES::DecipherBlock(std::span<std::uint8_t, 8> block) {
    core::DecipherBlock(Schedule, block.data());
}

}  // namespace pelta::cipher
