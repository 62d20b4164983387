#include "knowledge/unicode.hpp"

#include <algorithm>

namespace tarnvik::unicode {

bool in_ranges(std::span<const Range> ranges, char32_t c) {
    // Most text lies below the first range of every table.
    if (ranges.empty() || c < ranges.front().first) return false;
    auto it =
        std::lower_bound(ranges.begin(), ranges.end(), c,
                         [](const Range& range, char32_t value) { return range.last < value; });
    return it != ranges.end() && it->first <= c;
}

bool is_alphabetic(char32_t c) {
    return in_ranges(ALPHABETIC, c);
}

bool is_numeric(char32_t c) {
    return in_ranges(NUMERIC, c);
}

bool is_white_space(char32_t c) {
    return in_ranges(WHITE_SPACE, c);
}

bool is_pattern_white_space(char32_t c) {
    return in_ranges(PATTERN_WHITE_SPACE, c);
}

}  // namespace tarnvik::unicode
