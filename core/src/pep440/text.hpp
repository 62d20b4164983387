#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Character classes shared by the version, specifier and standards parsers.
namespace tarnvik::pep440::text {

inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
inline bool is_ascii_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool is_ascii_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The byte length of the Unicode White_Space character that starts at `at`, or 0.
std::size_t white_space_length(std::string_view s, std::size_t at);
// The byte length of a Unicode White_Space character that ends just before `end`, or 0.
std::size_t white_space_length_before(std::string_view s, std::size_t end);

// Removes Unicode White_Space characters at both ends.
std::string_view trim(std::string_view s);
// The number of bytes `trim` removes at the start.
std::size_t leading_white_space(std::string_view s);

}  // namespace tarnvik::pep440::text
