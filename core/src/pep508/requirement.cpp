// Requirement strings: `name [extras] (specifiers | "(" specifiers ")" | "@" url) ; marker`.
#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "ascii.hpp"
#include "pep508.hpp"
#include "pep508/cursor.hpp"
#include "pep508/marker.hpp"
#include "url.hpp"

namespace tarnvik::pep508 {
namespace {

using detail::Cursor;
using detail::is_name_char;

template <class T>
using Result = std::variant<T, Error>;

// A name or an extra: a letter or digit, then letters, digits, `-`, `_` and `.`, ending with a
// letter or digit.
Result<std::string_view> parse_identifier(Cursor& cursor, std::string_view what) {
    if (!ascii::is_alphanumeric(cursor.peek())) {
        return cursor.unexpected(fmt::format("{} starting with a letter or digit", what));
    }
    std::string_view identifier = cursor.take_while(is_name_char);
    if (!ascii::is_alphanumeric(identifier.back())) {
        return cursor.error_at(
            cursor.pos - 1, cursor.pos,
            fmt::format("{} must end with a letter or digit, not `{}`", what, identifier.back()));
    }
    return identifier;
}

// `[` extra (`,` extra)* `]`, or `[]`.
Result<std::vector<std::string_view>> parse_extras(Cursor& cursor) {
    std::vector<std::string_view> extras;
    std::size_t open = cursor.pos;
    if (!cursor.eat('[')) return extras;
    cursor.skip_space();
    if (cursor.eat(']')) return extras;
    for (;;) {
        cursor.skip_space();
        if (cursor.at_end()) return cursor.error_at(open, open + 1, "missing closing `]`");
        Result<std::string_view> extra = parse_identifier(cursor, "extra name");
        if (Error* error = std::get_if<Error>(&extra)) return std::move(*error);
        extras.push_back(std::get<std::string_view>(extra));
        cursor.skip_space();
        if (cursor.eat(']')) return extras;
        if (cursor.at_end()) return cursor.error_at(open, open + 1, "missing closing `]`");
        if (!cursor.eat(',')) return cursor.unexpected("`,` or `]` after an extra name");
    }
}

// One comma-separated part of a version part, `start` to `end` of the text.
Result<pep440::Specifier> parse_one_specifier(const Cursor& cursor, std::size_t start,
                                              std::size_t end) {
    std::string_view part = cursor.text.substr(start, end - start);
    std::size_t first = part.find_first_not_of(" \t\n\r\f\v");
    if (first == std::string_view::npos) {
        return cursor.error_at(end, end, "empty version specifier");
    }
    std::size_t last = part.find_last_not_of(" \t\n\r\f\v") + 1;
    pep440::Result<pep440::Specifier> specifier =
        pep440::parse_specifier(part.substr(first, last - first));
    if (auto* error = std::get_if<pep440::Error>(&specifier)) {
        return cursor.error_at(start + first, start + last, std::move(error->message));
    }
    return std::get<pep440::Specifier>(std::move(specifier));
}

// Specifiers up to `;` or the end, or between parentheses.
Result<std::vector<pep440::Specifier>> parse_version_part(Cursor& cursor) {
    std::size_t open = cursor.pos;
    bool parenthesized = cursor.eat('(');
    char closing = parenthesized ? ')' : ';';
    std::size_t end = cursor.text.find(closing, cursor.pos);
    if (end == std::string_view::npos) {
        if (parenthesized) return cursor.error_at(open, open + 1, "missing closing `)`");
        end = cursor.text.size();
    }
    std::vector<pep440::Specifier> specifiers;
    for (std::size_t start = cursor.pos;;) {
        std::size_t comma = std::min(cursor.text.find(',', start), end);
        Result<pep440::Specifier> specifier = parse_one_specifier(cursor, start, comma);
        if (Error* error = std::get_if<Error>(&specifier)) return std::move(*error);
        specifiers.push_back(std::get<pep440::Specifier>(std::move(specifier)));
        if (comma == end) break;
        start = comma + 1;
    }
    cursor.pos = parenthesized ? end + 1 : end;
    return specifiers;
}

// `@` url: the URL runs to the next white space and must be absolute.
Result<std::string_view> parse_url(Cursor& cursor) {
    cursor.skip_space();
    std::size_t start = cursor.pos;
    std::string_view url = cursor.take_while([](char c) { return !ascii::is_space(c); });
    if (url.empty()) return cursor.unexpected("a URL after `@`");
    if (std::optional<std::string> refusal = url::check(url)) {
        return cursor.error_at(start, cursor.pos, std::move(*refusal));
    }
    return url;
}

// What is left after the requirement proper: an optional `;` marker, then nothing.
std::optional<Error> parse_tail(Cursor& cursor, Requirement& requirement) {
    cursor.skip_space();
    if (cursor.eat(';')) {
        cursor.skip_space();
        std::size_t start = cursor.pos;
        if (std::optional<Error> error = detail::parse_marker(cursor)) return error;
        requirement.marker = cursor.text.substr(start, cursor.pos - start);
        cursor.skip_space();
        if (!cursor.at_end()) return cursor.unexpected("`and`, `or` or the end of the marker");
        return std::nullopt;
    }
    if (cursor.at_end()) return std::nullopt;
    if (requirement.url && (requirement.url->back() == ';' || requirement.url->back() == '#')) {
        std::size_t end = static_cast<std::size_t>(requirement.url->data() - cursor.text.data()) +
                          requirement.url->size();
        return cursor.error_at(end - 1, end,
                               std::string("missing space before `") + requirement.url->back() +
                                   "`, the end of the URL is ambiguous");
    }
    return cursor.unexpected("`;` or the end of the requirement");
}

}  // namespace

std::variant<Requirement, Error> parse_requirement(std::string_view text) {
    Cursor cursor{text};
    Requirement requirement;
    cursor.skip_space();
    if (cursor.at_end()) return Error{"empty requirement", 0, text.size()};
    Result<std::string_view> name = parse_identifier(cursor, "package name");
    if (Error* error = std::get_if<Error>(&name)) return std::move(*error);
    requirement.name = std::get<std::string_view>(name);
    cursor.skip_space();
    auto extras = parse_extras(cursor);
    if (Error* error = std::get_if<Error>(&extras)) return std::move(*error);
    requirement.extras = std::get<0>(std::move(extras));
    cursor.skip_space();
    char next = cursor.peek();
    if (cursor.eat('@')) {
        Result<std::string_view> url = parse_url(cursor);
        if (Error* error = std::get_if<Error>(&url)) return std::move(*error);
        requirement.url = std::get<std::string_view>(url);
    } else if (next == '(' || pep440::is_operator_char(next)) {
        auto specifiers = parse_version_part(cursor);
        if (Error* error = std::get_if<Error>(&specifiers)) return std::move(*error);
        requirement.specifiers = std::get<0>(std::move(specifiers));
    } else if (next != ';' && !cursor.at_end()) {
        return cursor.unexpected("one of `@`, `(`, `<`, `=`, `>`, `~`, `!`, `;`");
    }
    if (std::optional<Error> error = parse_tail(cursor, requirement)) return std::move(*error);
    return requirement;
}

}  // namespace tarnvik::pep508
