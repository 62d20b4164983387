#pragma once

#include <cstddef>

namespace tarnvik {

// The columns a terminal gives a character: 2 for East Asian wide and fullwidth characters, 0
// for combining marks and other zero-width characters, 1 for everything else.
std::size_t char_width(char32_t c);

}  // namespace tarnvik
