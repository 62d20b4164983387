#include "white_space.hpp"

#include <algorithm>
#include <array>

#include "ascii.hpp"

namespace tarnvik::unicode {

namespace {

// White_Space outside ASCII, as UTF-8 byte sequences.
constexpr std::array<std::string_view, 19> NON_ASCII_SPACES = {
    "\u0085", "\u00a0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
    "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200a",
    "\u2028", "\u2029", "\u202f", "\u205f", "\u3000",
};

// The byte length of the White_Space character that ends just before `end`, or 0.
std::size_t white_space_length_before(std::string_view text, std::size_t end) {
    if (end == 0) return 0;
    if (ascii::is_space(text[end - 1])) return 1;
    std::string_view head = text.substr(0, end);
    auto found = std::find_if(NON_ASCII_SPACES.begin(), NON_ASCII_SPACES.end(),
                              [&](std::string_view space) { return head.ends_with(space); });
    return found == NON_ASCII_SPACES.end() ? 0 : found->size();
}

}  // namespace

std::size_t non_ascii_white_space_length(std::string_view text, std::size_t pos) {
    std::string_view rest = text.substr(pos);
    auto found = std::find_if(NON_ASCII_SPACES.begin(), NON_ASCII_SPACES.end(),
                              [&](std::string_view space) { return rest.starts_with(space); });
    return found == NON_ASCII_SPACES.end() ? 0 : found->size();
}

bool has_white_space(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); ++pos)
        if (white_space_length(text, pos) != 0) return true;
    return false;
}

std::string without_white_space(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t space = white_space_length(text, pos);
        if (space == 0) out += text[pos++];
        pos += space;
    }
    return out;
}

std::string_view trim_white_space(std::string_view text) {
    while (std::size_t space = white_space_length(text, 0))
        text.remove_prefix(space);
    while (std::size_t space = white_space_length_before(text, text.size()))
        text.remove_suffix(space);
    return text;
}

}  // namespace tarnvik::unicode
