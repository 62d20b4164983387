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

// Adds an error for every integer in `value` that does not fit a signed 64-bit integer, unless
// its span overlaps one of the diagnostics already listed.
void check_integers(const document::Value& value, std::vector<Diagnostic>& diagnostics);

}  // namespace tarnvik::parse
