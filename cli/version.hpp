#pragma once

#include <string_view>

namespace tarnvik::cli {

inline constexpr std::string_view NAME = "tarnvik";
// TARNVIK_VERSION is the CMake project version.
inline constexpr std::string_view VERSION = TARNVIK_VERSION;
inline constexpr std::string_view ABOUT = "Version-aware intelligence for pyproject.toml";

}  // namespace tarnvik::cli
