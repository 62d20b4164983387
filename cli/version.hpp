#pragma once

#include <string_view>

namespace tarnvik::cli {

inline constexpr std::string_view NAME = "tarnvik";
inline constexpr std::string_view VERSION = "0.6.0";
inline constexpr std::string_view ABOUT = "Version-aware intelligence for pyproject.toml";

}  // namespace tarnvik::cli
