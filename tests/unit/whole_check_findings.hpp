#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tarnvik/check.hpp"

// Diagnostics of a whole check, each written as one line that shows everything a finding
// carries, so a table of cases can compare severity, code, spans, texts and fix at once.
namespace tarnvik::whole_check {

// The text under a span in brackets; an empty span shows as a caret before the rest of its line.
inline std::string under(std::string_view source, Span span) {
    if (span.empty()) {
        const std::string_view rest = source.substr(span.start);
        return "[^" + std::string(rest.substr(0, rest.find('\n'))) + "]";
    }
    return "[" + std::string(source.substr(span.start, span.size())) + "]";
}

inline std::string describe(const Diagnostic& diagnostic, std::string_view source) {
    std::string line = diagnostic.severity == Severity::Error ? "error" : "warning";
    line += "[" + std::string(code_name(diagnostic.code)) + "] at " +
            under(source, diagnostic.span) + ": " + diagnostic.message;
    for (const Label& label : diagnostic.labels) {
        line += " | label at " + under(source, label.span) + ": " + label.message;
    }
    if (diagnostic.help) line += " | help: " + *diagnostic.help;
    if (diagnostic.note) line += " | note: " + *diagnostic.note;
    if (diagnostic.fix) {
        line += diagnostic.fix->applicability == Applicability::Safe ? " | safe fix:"
                                                                     : " | unsafe fix:";
        for (const Edit& edit : diagnostic.fix->edits) {
            line += " " + under(source, edit.range) + " -> [" + edit.content + "]";
        }
    }
    return line;
}

inline std::vector<std::string> findings(std::string text) {
    const CheckResult result = check_with_lock(std::move(text), nullptr);
    std::vector<std::string> lines;
    for (const Diagnostic& diagnostic : result.diagnostics) {
        lines.push_back(describe(diagnostic, result.source));
    }
    return lines;
}

struct Case {
    std::string document;
    std::vector<std::string> expected;
};

}  // namespace tarnvik::whole_check
