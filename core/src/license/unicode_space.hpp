#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnvik::standards {

// The byte length of the Unicode White_Space character at `pos`, or 0 when there is none.
std::size_t white_space_length(std::string_view text, std::size_t pos);

// `text` without its Unicode White_Space characters.
std::string without_white_space(std::string_view text);

}  // namespace tarnvik::standards
