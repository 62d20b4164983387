#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The Unicode White_Space property over UTF-8 text.
namespace tarnvik::unicode {

// The byte length of the White_Space character at `pos`, or 0 when there is none.
std::size_t white_space_length(std::string_view text, std::size_t pos);

bool has_white_space(std::string_view text);

// `text` without its White_Space characters.
std::string without_white_space(std::string_view text);

// `text` without White_Space at either end.
std::string_view trim_white_space(std::string_view text);

}  // namespace tarnvik::unicode
