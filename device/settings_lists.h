#pragma once
// The fixed lists of the settings page. The window fills its combo boxes from these and the
// decoder checks list codes against them, so the two cannot drift apart.

#include <array>

namespace pelta::device {

// `Combo1(0)`, `Combo1(1)`: alarm day sets, code = position + 1.
inline constexpr std::array<const char*, 10> kDaySetNames = {
    "Воскресенье", "Понедельник", "Вторник",   "Среда",    "Четверг",
    "Пятница",     "Субота",      "Будни дни", "Выходные", "Все дни"};

// `Combo4`: screen mode, code = position + 1.
inline constexpr std::array<const char*, 4> kScreenModeNames = {"Всегда включен", "Всегда отключен",
                                                                "Включать по:", "Отключать по:"};

// `Combo5`: what the screen mode follows.
inline constexpr std::array<const char*, 2> kScreenSourceNames = {"Расписанию", "Датчику"};

// `Combo3`: night-light mode, code = position + 1.
inline constexpr std::array<const char*, 3> kNightLightModeNames = {
    "Включать по датчику в темноте", "Отключена всегда", "Включать по расписанию"};

}  // namespace pelta::device
