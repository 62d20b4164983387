#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// UTF-8 text: its encoding, its scalar values, its white space and the columns a terminal gives
// it.
namespace tarnvik::text {

// What an ill-formed sequence reads as.
inline constexpr char32_t REPLACEMENT = 0xFFFD;

// Appends the UTF-8 encoding of a code point (at most U+10FFFF).
inline void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Whether the byte continues a UTF-8 sequence rather than starting a character.
constexpr bool is_utf8_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The UTF-8 sequence at a position: a well-formed one with its scalar value, or the maximal
// subpart of an ill-formed one (at least one byte), the unit Unicode recommends replacing with
// one U+FFFD.
struct Utf8Sequence {
    std::size_t length = 0;
    bool valid = false;
    char32_t value = 0;  // when valid
};

// `at` must lie inside `text`.
Utf8Sequence utf8_sequence_at(std::string_view text, std::size_t at);

// The length of the longest prefix of `text` that is well-formed UTF-8.
std::size_t valid_utf8_length(std::string_view text);

inline bool is_utf8(std::string_view text) {
    return valid_utf8_length(text) == text.size();
}

// The scalar value at `at`, which must lie inside `text`, and moves `at` past it; an
// ill-formed sequence reads as one REPLACEMENT.
char32_t next_scalar(std::string_view text, std::size_t& at);

// The scalar values of the text, each ill-formed sequence as one REPLACEMENT.
std::vector<char32_t> scalars(std::string_view text);

// How many values `scalars` gives, counted without building them.
std::size_t scalar_count(std::string_view text);

// The Unicode White_Space property.
bool is_white_space(char32_t c);

// The Unicode Pattern_White_Space property: the white space of machine-readable syntax.
bool is_pattern_white_space(char32_t c);

// The columns a terminal gives a character: 2 for East Asian wide and fullwidth characters, 0
// for combining marks and other zero-width characters, 1 for everything else.
std::size_t char_width(char32_t c);

}  // namespace tarnvik::text
