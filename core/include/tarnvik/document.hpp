#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tarnvik/span.hpp"

// The parsed project file: spanned keys and values, tables in source order.
namespace tarnvik::document {

struct Value;
struct Entry;

// An integer stays unconverted: its sign and digits (no radix prefix, no underscores) and radix.
struct Integer {
    std::string digits;
    int radix = 10;
};

// A date, time or date-time, kept as written.
struct Datetime {
    std::string text;
};

using Array = std::vector<Value>;

// Entries in source order; lookups are linear scans (see `get`).
struct Table {
    std::vector<Entry> entries;
};

enum class Kind { String, Integer, Float, Boolean, Datetime, Array, Table };

struct Value {
    std::variant<std::string, Integer, double, bool, Datetime, Array, Table> data;
    Span span;

    Kind kind() const { return static_cast<Kind>(data.index()); }
    const std::string* as_string() const { return std::get_if<std::string>(&data); }
    const Integer* as_integer() const { return std::get_if<Integer>(&data); }
    const double* as_float() const { return std::get_if<double>(&data); }
    const bool* as_bool() const { return std::get_if<bool>(&data); }
    const Datetime* as_datetime() const { return std::get_if<Datetime>(&data); }
    const Array* as_array() const { return std::get_if<Array>(&data); }
    const Table* as_table() const { return std::get_if<Table>(&data); }
    Array* as_array() { return std::get_if<Array>(&data); }
    Table* as_table() { return std::get_if<Table>(&data); }
};

struct Entry {
    std::string key;  // the key's text after unquoting
    Span key_span;    // where the key is first written
    Value value;
    // The other places the key is written, in source order: a dotted key that adds to its table
    // again, a header that names its table again or a table below it (`isort` in
    // `[tool.ruff.isort.sections]`), the header of a further table of its array. A fix that
    // renames or moves the key edits every place.
    std::vector<Span> more_key_spans = {};
};

// Calls `visit(Span)` for every place the entry's key is written, the first one first.
template <class Visit>
void for_each_key_span(const Entry& entry, Visit&& visit) {
    visit(entry.key_span);
    for (const Span& span : entry.more_key_spans)
        visit(span);
}

// A part of a document that a reader looks at: the value under `key` and, inside it (inside
// each element, when it is an array), the parts listed in `within`.
struct Want {
    std::string_view key;
    std::span<const Want> within;
};

// The first entry, in source order, whose key text equals `key` byte for byte.
const Entry* get(const Table& table, std::string_view key);

// The value of that entry; null when the key is absent or `table` is null, so lookups chain.
const Value* value_of(const Table* table, std::string_view key);

// The same when that value is a table, else null.
const Table* table_of(const Table* table, std::string_view key);

// The source span of content bytes [inner_start, inner_end) of the string literal at `span`,
// or the whole literal's span when that cannot be mapped exactly.
Span string_span(std::string_view source, Span span, std::size_t inner_start,
                 std::size_t inner_end);

}  // namespace tarnvik::document
