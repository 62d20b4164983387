#pragma once

#include <string>
#include <string_view>

#include "ascii.hpp"
#include "tarnvik/pep508.hpp"
#include "tarnvik/text.hpp"

// The reading position shared by the requirement and marker parsers.
namespace tarnvik::pep508::detail {

inline bool is_name_char(char c) {
    return ascii::is_alphanumeric(c) || c == '-' || c == '_' || c == '.';
}

struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    bool at_end() const { return pos >= text.size(); }
    char peek() const { return at_end() ? '\0' : text[pos]; }
    bool eat(char c) {
        if (at_end() || text[pos] != c) return false;
        ++pos;
        return true;
    }
    void skip_space() {
        while (!at_end() && ascii::is_space(text[pos]))
            ++pos;
    }
    template <class Predicate>
    std::string_view take_while(Predicate predicate) {
        std::size_t start = pos;
        while (!at_end() && predicate(text[pos]))
            ++pos;
        return text.substr(start, pos - start);
    }

    // The UTF-8 character at the position (an ill-formed sequence as its maximal subpart),
    // empty at the end.
    std::string_view current_char() const {
        if (at_end()) return {};
        return text.substr(pos, text::utf8_sequence_at(text, pos).length);
    }

    Error error_at(std::size_t start, std::size_t end, std::string message) const {
        return Error{std::move(message), start, end - start};
    }

    // "expected {what}, found `c`" on the character at the position, or "..., found end of
    // input" on the empty stretch at the end.
    Error unexpected(std::string_view what) const {
        std::string_view found = current_char();
        std::string message = "expected " + std::string(what) + ", found ";
        message += found.empty() ? "end of input" : "`" + std::string(found) + "`";
        return Error{std::move(message), pos, found.size()};
    }
};

}  // namespace tarnvik::pep508::detail
