#pragma once

#include <algorithm>
#include <string_view>

// Classes and case of ASCII bytes; a byte outside ASCII is in no class and keeps its case.
namespace tarnvik::ascii {

constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool is_alphanumeric(char c) {
    return is_digit(c) || is_letter(c);
}

// Space, tab, line feed, vertical tab, form feed or carriage return.
constexpr bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Space or tab: white space within a line.
constexpr bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// A control character: below space, or delete.
constexpr bool is_control(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// The value of a hexadecimal digit of either case, or -1 for any other byte.
constexpr int hex_digit_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr char to_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return to_lower(x) == to_lower(y); });
}

}  // namespace tarnvik::ascii
