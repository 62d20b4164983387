#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tarnvik/diagnostic.hpp"
#include "tarnvik/document.hpp"

namespace tarnvik::parse {

// Recoverable parse: the document as far as it could be read, and every error found, sorted by
// span.
std::pair<document::Table, std::vector<Diagnostic>> parse(std::string_view text);

// The first error of a strict parse.
struct ParseError {
    std::string message;
    Span span;
};

// Strict parse: the whole document, or the first error met.
std::variant<document::Table, ParseError> parse_strict(std::string_view text);

// Strict parse that accepts, rejects and reports exactly like the one above, but fills in only
// the wanted parts, `wanted` being those under the root. A wanted table holds all its entries.
// Any other value keeps its kind and span but may be left without content (an empty string,
// container or date, a zero number), which spares a large file most of its allocations.
std::variant<document::Table, ParseError> parse_strict_wanted(
    std::string_view text, std::span<const document::Want> wanted);

// The error as a reader sees it: "TOML parse error at line {}, column {}", the source line with
// the span underlined, then the message; lines and columns count from 1, columns in characters.
std::string display(std::string_view text, const ParseError& error);

// The message shown for one parser error at `span`: a key without a value becomes "missing
// value", a duplicate key names the key as written, or the header when it stands in one.
std::string rewrite_message(std::string_view text, Span span, std::string_view message);

// Adds an error for every integer in `value` that does not fit a signed 64-bit integer, unless
// its span overlaps one of the diagnostics already listed.
void check_integers(const document::Value& value, std::vector<Diagnostic>& diagnostics);

}  // namespace tarnvik::parse
