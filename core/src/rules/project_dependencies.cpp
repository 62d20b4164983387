#include <fmt/format.h>

#include <string>
#include <string_view>

#include "rules/project_checks.hpp"

namespace tarnvik::rules::project {

namespace {

using document::Entry;
using document::Table;

void check_optional_dependencies(Checker& checker, const document::Value& value) {
    const Table* extras = value.as_table();
    if (extras == nullptr) {
        checker.invalid_type("project.optional-dependencies", "a table", value);
        return;
    }
    DistinctNames names("extra", "extra");
    for (const Entry& extra : extras->entries) {
        names.add(checker, extra);
        // A bad or duplicate name does not hide problems in its requirements.
        checker.requirement_array(fmt::format("project.optional-dependencies.{}", extra.key),
                                  extra.value);
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
