#pragma once

#include <span>

#include "generated/unicode.hpp"

// Character properties of the Unicode Character Database.
namespace tarnvik::unicode {

// Whether one of the ranges, sorted and disjoint, holds the code point.
bool in_ranges(std::span<const Range> ranges, char32_t c);

bool is_alphabetic(char32_t c);
bool is_numeric(char32_t c);  // general categories Nd, Nl and No
bool is_white_space(char32_t c);
bool is_pattern_white_space(char32_t c);

}  // namespace tarnvik::unicode
