#include "knowledge/char_width.hpp"

#include "knowledge/unicode.hpp"

namespace tarnvik::char_width {

bool is_wide(char32_t c) {
    return unicode::in_ranges(WIDE, c);
}

bool is_zero_width(char32_t c) {
    return unicode::in_ranges(ZERO_WIDTH, c);
}

}  // namespace tarnvik::char_width
