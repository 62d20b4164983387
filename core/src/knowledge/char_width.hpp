#pragma once

#include "generated/char_width.hpp"

// The characters a terminal shows wider or narrower than one column.
namespace tarnvik::char_width {

bool is_wide(char32_t c);        // two columns
bool is_zero_width(char32_t c);  // no column

}  // namespace tarnvik::char_width
