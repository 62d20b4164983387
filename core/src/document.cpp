#include "tarnvik/document.hpp"

namespace tarnvik::document {

const Entry* get(const Table& table, std::string_view key) {
    for (const Entry& entry : table.entries) {
        if (entry.key == key) return &entry;
    }
    return nullptr;
}

const Value* value_of(const Table* table, std::string_view key) {
    const Entry* entry = table ? get(*table, key) : nullptr;
    return entry ? &entry->value : nullptr;
}

const Table* table_of(const Table* table, std::string_view key) {
    const Value* value = value_of(table, key);
    return value ? value->as_table() : nullptr;
}

Span string_span(std::string_view source, Span span, std::size_t inner_start,
                 std::size_t inner_end) {
    if (span.start > span.end || span.end > source.size()) return span;
    const std::string_view literal = source.substr(span.start, span.end - span.start);
    const std::size_t n = literal.size();
    if (n < 2) return span;
    if (n > 2 && (literal.starts_with("\"\"\"") || literal.starts_with("'''"))) return span;
    if (literal[0] == '"') {
        if (literal.find('\\') != std::string_view::npos || inner_start > inner_end) return span;
    } else if (literal[0] == '\'') {
        if (inner_start > inner_end) return span;
    } else {
        return span;
    }
    if (inner_end > n - 2) return span;
    return Span{span.start + 1 + inner_start, span.start + 1 + inner_end};
}

}  // namespace tarnvik::document
