#include "plain_text.hpp"

#include <algorithm>

#include "render/source_lines.hpp"

namespace tarnvik::cli {

namespace {

constexpr char ESC = '\x1b';
constexpr char BEL = '\x07';

bool in(char c, char low, char high) {
    return c >= low && c <= high;
}

bool is_dropped_control(char c) {
    const bool white_space = c == '\t' || c == '\n' || c == '\f' || c == '\r';
    return (in(c, '\0', '\x1f') && !white_space) || c == '\x7f';
}

// Past a string sequence's terminator: ESC "\" or, for OSC, also BEL.
std::size_t past_string(std::string_view text, std::size_t i, bool bel_ends) {
    for (; i < text.size(); ++i) {
        if (bel_ends && text[i] == BEL) return i + 1;
        if (text[i] == ESC && i + 1 < text.size() && text[i + 1] == '\\') return i + 2;
    }
    return text.size();
}

// Past the escape sequence whose ESC stands just before `i`.
std::size_t past_escape(std::string_view text, std::size_t i) {
    if (i == text.size() || !in(text[i], ' ', '~')) return i;  // a lone ESC
    const char kind = text[i++];
    if (kind == ']') return past_string(text, i, true);
    if (kind == 'P' || kind == 'X' || kind == '^' || kind == '_')
        return past_string(text, i, false);
    // CSI: parameters and intermediates, then one final byte; other escapes: intermediates,
    // then one final byte (the kind itself when it is one).
    const bool csi = kind == '[';
    if (!csi && !in(kind, ' ', '/')) return i;
    const char last_middle = csi ? '?' : '/';
    while (i < text.size() && in(text[i], ' ', last_middle))
        ++i;
    if (i < text.size() && in(text[i], csi ? '@' : '0', '~')) ++i;
    return i;
}

bool is_plain_ascii(char c) {
    return (c >= ' ' && c <= '~') || c == '\n';
}

}  // namespace

std::string visible_controls(std::string_view text) {
    if (std::ranges::all_of(text, is_plain_ascii)) return std::string(text);
    std::string out;
    for (std::size_t newline; (newline = text.find('\n')) != std::string_view::npos;) {
        out += normalize_whitespace(text.substr(0, newline));
        out += '\n';
        text.remove_prefix(newline + 1);
    }
    return out + normalize_whitespace(text);
}

std::string without_escapes(std::string_view text) {
    if (std::ranges::none_of(text, is_dropped_control)) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i++];
        if (c == ESC) {
            i = past_escape(text, i);
        } else if (!is_dropped_control(c)) {
            out += c;
        }
    }
    return out;
}

}  // namespace tarnvik::cli
