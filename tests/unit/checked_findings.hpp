#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "rules/project_checks.hpp"
#include "tarnvik/check.hpp"
#include "tarnvik/diagnostic.hpp"
#include "tarnvik/parse.hpp"

// Diagnostics of a check written as one line of text each, so that tests compare the code, the
// source under every span, the message, help, note and fix at once:
//   error invalid-value `"1pkg"`: invalid build backend `1pkg` | help: ... | fix unsafe: `a` -> `b`
namespace tarnvik::testing_support {

// The text under a span in backticks; an empty span shows as a caret before the rest of its line.
inline std::string under(std::string_view source, Span span) {
    if (span.empty()) {
        const std::string_view rest = source.substr(span.start);
        return "`^" + std::string(rest.substr(0, rest.find('\n'))) + "`";
    }
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

inline std::vector<std::string> describe_all(std::string_view source,
                                             const std::vector<Diagnostic>& diagnostics) {
    std::vector<std::string> lines;
    for (const Diagnostic& d : diagnostics)
        lines.push_back(describe(source, d));
    return lines;
}

// Every diagnostic of checking `toml` (no lock), in the order the check returns them.
inline std::vector<std::string> findings(std::string toml) {
    const CheckResult result = check_with_lock(std::move(toml), nullptr);
    return describe_all(result.source, result.diagnostics);
}

using ProjectCheck = void (*)(Checker&, const document::Table&);

// The diagnostics of one check of the `[project]` pass alone, run on the `project` table of
// `toml`, so that a case need not satisfy the other checks of the table.
inline std::vector<std::string> project_findings(ProjectCheck check, const std::string& toml) {
    auto [root, errors] = parse::parse(toml);
    if (!errors.empty()) return {"parse error: " + errors.front().message};
    Checker checker;
    checker.source = toml;
    const document::Entry* project = document::get(root, "project");
    if (project && project->value.as_table()) check(checker, *project->value.as_table());
    return describe_all(toml, checker.diagnostics);
}

// The help of every finding about an invalid package, extra or group name, as `describe` writes it.
inline const std::string NAME_HELP =
    " | help: names must start and end with a letter or digit and contain only letters, digits, "
    "`-`, `_`, and `.`";

struct Case {
    std::string toml;
    // Each finding as its whole line, or a matcher where only part of it matters.
    std::vector<::testing::Matcher<std::string>> expected;
};

inline void expect_findings(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_THAT(findings(c.toml), ::testing::ElementsAreArray(c.expected)) << c.toml;
}

// The one finding of `toml` is an invalid requirement located inside the quotes of the string
// `literal`; its message comes from the requirement parser, so only its start is fixed here.
inline void expect_requirement_error_inside(const std::string& toml, std::string_view literal) {
    const CheckResult result = check_with_lock(toml, nullptr);
    ASSERT_EQ(result.diagnostics.size(), 1u) << toml;
    const Diagnostic& d = result.diagnostics[0];
    EXPECT_EQ(d.code, Code::InvalidValue);
    EXPECT_THAT(d.message, ::testing::StartsWith("invalid requirement: "));
    const std::size_t start = toml.find(literal);
    ASSERT_NE(start, std::string::npos) << literal;
    EXPECT_GE(d.span.start, start + 1);
    EXPECT_LE(d.span.end, start + literal.size() - 1);
    EXPECT_FALSE(d.help || d.fix);
}

inline void expect_project_findings(ProjectCheck check, const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_THAT(project_findings(check, c.toml), ::testing::ElementsAreArray(c.expected))
            << c.toml;
}

}  // namespace tarnvik::testing_support
