#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rules/project_checks.hpp"
#include "tarnvik/parse.hpp"

namespace tarnvik::testing {

// One finding as text: "error invalid-value `span text` message", then "  help: ..." and
// "  label `span text`: ..." when present.
inline std::string describe(std::string_view source, const Diagnostic& d) {
    auto text = [&](Span span) { return std::string(source.substr(span.start, span.size())); };
    std::string out = std::string(d.severity == Severity::Error ? "error " : "warning ") +
                      std::string(code_name(d.code)) + " `" + text(d.span) + "` " + d.message;
    for (const Label& label : d.labels)
        out += "\n  label `" + text(label.span) + "`: " + label.message;
    if (d.help) out += "\n  help: " + *d.help;
    return out;
}

// Runs one check of the `[project]` pass on the `project` table of `toml`.
inline std::vector<std::string> project_findings(void (*check)(Checker&, const document::Table&),
                                                 const std::string& toml) {
    auto [root, errors] = parse::parse(toml);
    if (!errors.empty()) return {"parse error: " + errors.front().message};
    Checker checker;
    checker.source = toml;
    const document::Entry* project = document::get(root, "project");
    if (project && project->value.as_table()) check(checker, *project->value.as_table());
    std::vector<std::string> out;
    for (const Diagnostic& d : checker.diagnostics)
        out.push_back(describe(toml, d));
    return out;
}

// The tests of the pass need the TOML parser; they are skipped while it is not there yet.
inline bool parser_ready() {
    return !parse::parse("a = 1").first.entries.empty();
}

struct ProjectCase {
    std::string toml;
    std::vector<std::string> expected;
};

}  // namespace tarnvik::testing
