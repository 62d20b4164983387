#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ascii.hpp"
#include "tarnvik/text.hpp"

// White_Space in UTF-8 text.
namespace tarnvik::text {

// The byte length of the White_Space character outside ASCII at `pos`, or 0 when there is none.
std::size_t non_ascii_white_space_length(std::string_view text, std::size_t pos);

// The byte length of the White_Space character at `pos`, or 0 when there is none. Inline, as
// parsers call it on every byte and nearly every byte is ASCII.
inline std::size_t white_space_length(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    if (static_cast<unsigned char>(text[pos]) < 0x80) return ascii::is_space(text[pos]) ? 1 : 0;
    return non_ascii_white_space_length(text, pos);
}

bool has_white_space(std::string_view text);

// `text` without its White_Space characters.
std::string without_white_space(std::string_view text);

// `text` without White_Space at either end.
std::string_view trim_white_space(std::string_view text);

}  // namespace tarnvik::text
