#include "pep440/text.hpp"

#include <algorithm>
#include <array>

namespace tarnvik::pep440::text {
namespace {

// Code points with the Unicode White_Space property.
constexpr std::array<char32_t, 25> WHITE_SPACE = {
    0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,   0x1680,
    0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
    0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000,
};

bool is_white_space(char32_t c) {
    return std::binary_search(WHITE_SPACE.begin(), WHITE_SPACE.end(), c);
}

std::uint8_t byte(std::string_view s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

// Decodes the well-formed sequence of `length` bytes at `at`; white space needs at most three.
char32_t decode(std::string_view s, std::size_t at, std::size_t length) {
    static constexpr std::uint8_t LEAD_MASK[] = {0, 0x7F, 0x1F, 0x0F};
    char32_t c = byte(s, at) & LEAD_MASK[length];
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (byte(s, at + i) & 0x3F);
    return c;
}

std::size_t sequence_length(std::uint8_t lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    return 0;  // a continuation byte, or a lead of four bytes: never white space
}

bool is_continuation(std::string_view s, std::size_t at, std::size_t length) {
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(s, at + i) & 0xC0) != 0x80) return false;
    }
    return true;
}

}  // namespace

std::size_t white_space_length(std::string_view s, std::size_t at) {
    if (at >= s.size()) return 0;
    std::size_t length = sequence_length(byte(s, at));
    if (length == 0 || at + length > s.size() || !is_continuation(s, at, length)) return 0;
    return is_white_space(decode(s, at, length)) ? length : 0;
}

std::size_t white_space_length_before(std::string_view s, std::size_t end) {
    for (std::size_t length = 1; length <= 3 && length <= end; ++length) {
        if (white_space_length(s, end - length) == length) return length;
    }
    return 0;
}

std::size_t leading_white_space(std::string_view s) {
    std::size_t i = 0;
    while (std::size_t n = white_space_length(s, i))
        i += n;
    return i;
}

std::string_view trim(std::string_view s) {
    s.remove_prefix(leading_white_space(s));
    while (std::size_t n = white_space_length_before(s, s.size()))
        s.remove_suffix(n);
    return s;
}

}  // namespace tarnvik::pep440::text
