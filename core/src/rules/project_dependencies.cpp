#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

#include "rules/project_checks.hpp"
#include "tarnvik/standards.hpp"

namespace tarnvik::rules::project {

namespace {

using document::Entry;
using document::Table;

// Normalized extra name -> key span of the first extra that produced it.
using SeenExtras = std::unordered_map<std::string, Span>;

void check_extra_name(Checker& checker, const Entry& extra, SeenExtras& seen) {
    const std::optional<std::string> normalized = standards::normalized_name(extra.key);
    if (!normalized) {
        checker.push(Diagnostic::error("invalid extra name `" + extra.key + "`", extra.key_span,
                                       Code::InvalidValue)
                         .with_help(std::string(NAME_RULES_HELP)));
        return;
    }
    auto [first, inserted] = seen.try_emplace(*normalized, extra.key_span);
    if (inserted) return;
    checker.push(
        Diagnostic::error(
            "extra `" + extra.key + "` is the same as another extra after normalization",
            extra.key_span, Code::DuplicateName)
            .with_label(first->second.start, first->second.end, "first defined here")
            .with_help("extra names are compared in normalized form, `" + first->first + "`"));
}

void check_optional_dependencies(Checker& checker, const document::Value& value) {
    const Table* extras = value.as_table();
    if (extras == nullptr) {
        checker.invalid_type("project.optional-dependencies", "a table", value);
        return;
    }
    SeenExtras seen;
    for (const Entry& extra : extras->entries) {
        check_extra_name(checker, extra, seen);
        // A bad or duplicate name does not hide problems in its requirements.
        checker.requirement_array("project.optional-dependencies." + extra.key, extra.value);
    }
}

}  // namespace

void check_dependencies(Checker& checker, const Table& project) {
    if (const Entry* dependencies = document::get(project, "dependencies")) {
        checker.requirement_array("project.dependencies", dependencies->value);
    }
    if (const Entry* optional = document::get(project, "optional-dependencies")) {
        check_optional_dependencies(checker, optional->value);
    }
}

}  // namespace tarnvik::rules::project
