#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/check.hpp"
#include "tarnvik/diagnostic.hpp"

// Diagnostics of a check written as one line of text each, so that tests compare the code, the
// source under every span, the message, help, note and fix at once:
//   error invalid-value `"1pkg"`: invalid build backend `1pkg` | help: ... | fix unsafe: `a` -> `b`
namespace tarnvik::testing_support {

inline std::string under(std::string_view source, Span span) {
    return "`" + std::string(source.substr(span.start, span.size())) + "`";
}

inline std::string describe(std::string_view source, const Diagnostic& d) {
    std::string line = d.severity == Severity::Error ? "error " : "warning ";
    line += std::string(code_name(d.code)) + " " + under(source, d.span) + ": " + d.message;
    for (const Label& label : d.labels)
        line += " | label " + under(source, label.span) + ": " + label.message;
    if (d.help) line += " | help: " + *d.help;
    if (d.note) line += " | note: " + *d.note;
    if (d.fix) {
        line += d.fix->applicability == Applicability::Safe ? " | fix safe:" : " | fix unsafe:";
        for (const Edit& edit : d.fix->edits) {
            line += " " + under(source, edit.range) + " -> `" + edit.content + "`";
        }
    }
    return line;
}

// Every diagnostic of checking `toml` (no lock), in the order the check returns them.
inline std::vector<std::string> findings(std::string toml) {
    CheckResult result = check_with_lock(std::move(toml), nullptr);
    std::vector<std::string> lines;
    for (const Diagnostic& d : result.diagnostics)
        lines.push_back(describe(result.source, d));
    return lines;
}

}  // namespace tarnvik::testing_support
