#include "knowledge/char_width.hpp"
#include "tarnvik/text.hpp"

namespace tarnvik::text {

std::size_t char_width(char32_t c) {
    if (char_width::is_wide(c)) return 2;
    if (char_width::is_zero_width(c)) return 0;
    return 1;
}

}  // namespace tarnvik::text
