#pragma once

#include <sstream>
#include <string>

#include "tarnvik/document.hpp"

// A compact text form of a document for comparing whole parses in tests:
// {key=value, ...}, strings in double quotes (unescaped), integers as digits (with 0x/0o/0b
// for other radixes), floats as f:value, datetimes as d:text, arrays as [a, b].
namespace tarnvik::test {

inline void dump(const document::Value& value, std::ostringstream& out);

inline void dump(const document::Table& table, std::ostringstream& out) {
    out << '{';
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        if (i > 0) out << ", ";
        out << table.entries[i].key << '=';
        dump(table.entries[i].value, out);
    }
    out << '}';
}

inline void dump(const document::Value& value, std::ostringstream& out) {
    if (const auto* s = value.as_string()) {
        out << '"' << *s << '"';
    } else if (const auto* i = value.as_integer()) {
        if (i->radix != 10) out << (i->radix == 16 ? "0x" : i->radix == 8 ? "0o" : "0b");
        out << i->digits;
    } else if (const auto* f = value.as_float()) {
        out << "f:" << *f;
    } else if (const auto* b = value.as_bool()) {
        out << (*b ? "true" : "false");
    } else if (const auto* d = value.as_datetime()) {
        out << "d:" << d->text;
    } else if (const auto* a = value.as_array()) {
        out << '[';
        for (std::size_t k = 0; k < a->size(); ++k) {
            if (k > 0) out << ", ";
            dump((*a)[k], out);
        }
        out << ']';
    } else if (const auto* t = value.as_table()) {
        dump(*t, out);
    }
}

inline std::string dump(const document::Table& table) {
    std::ostringstream out;
    dump(table, out);
    return out.str();
}

}  // namespace tarnvik::test
