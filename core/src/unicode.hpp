#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

// Unicode scalar values, and the character properties that identifiers and display widths need.
namespace tarnvik::unicode {

// An inclusive range of code points.
struct Range {
    char32_t first;
    char32_t last;
};

// Sorted, disjoint and non-adjacent; generated from the Unicode Character Database.
extern const std::span<const Range> ALPHABETIC;
extern const std::span<const Range> NUMERIC;  // general categories Nd, Nl and No
extern const std::span<const Range> WIDE;     // East Asian Width W and F
// Shown zero columns wide: nonspacing and enclosing marks, format characters but the soft
// hyphen, Hangul medial vowels and final consonants, the zero width space.
extern const std::span<const Range> ZERO_WIDTH;

// Whether one of the ranges, sorted and disjoint, holds the code point.
bool in_ranges(std::span<const Range> ranges, char32_t c);

bool is_alphabetic(char32_t c);
bool is_numeric(char32_t c);

// The scalar values of UTF-8 text; each ill-formed sequence becomes one U+FFFD.
std::vector<char32_t> scalars(std::string_view utf8);

// How many values `scalars` gives, counted without building them.
std::size_t scalar_count(std::string_view utf8);

}  // namespace tarnvik::unicode
