#include "tarnvik/char_width.hpp"

#include <algorithm>

#include "unicode.hpp"

namespace tarnvik {

std::size_t char_width(char32_t c) {
    // Nothing before the first listed code point is wide or zero-width.
    if (c < std::min(unicode::WIDE.front().first, unicode::ZERO_WIDTH.front().first)) return 1;
    if (unicode::in_ranges(unicode::WIDE, c)) return 2;
    if (unicode::in_ranges(unicode::ZERO_WIDTH, c)) return 0;
    return 1;
}

}  // namespace tarnvik
