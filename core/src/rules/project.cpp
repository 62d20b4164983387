#include "tarnvik/rules/project.hpp"

#include "rules/project_checks.hpp"

namespace tarnvik::rules::project {

namespace {

void check_known_keys(Checker& /*checker*/, const document::Table& /*project*/) {}
void check_dynamic(Checker& /*checker*/, const document::Table& /*project*/) {}
void check_name(Checker& /*checker*/, const document::Table& /*project*/) {}
void check_version(Checker& /*checker*/, const document::Table& /*project*/) {}
void check_description(Checker& /*checker*/, const document::Table& /*project*/) {}
void check_readme(Checker& /*checker*/, const document::Table& /*project*/) {}
void check_requires_python(Checker& /*checker*/, const document::Table& /*project*/) {}
void check_string_lists(Checker& /*checker*/, const document::Table& /*project*/) {}

using Step = void (*)(Checker&, const document::Table&);

// The order fixes the order of findings that end up at equal spans.
constexpr Step STEPS[] = {
    check_known_keys,
    check_dynamic,
    check_name,
    check_version,
    check_description,
    check_readme,
    check_requires_python,
    check_people,
    check_string_lists,
    check_urls,
    check_scripts,
    check_import_names,
    check_dependencies,
    check_license,
    check_classifiers,
};

}  // namespace

void check_project(Checker& checker, const document::Table& root) {
    const document::Entry* entry = document::get(root, "project");
    if (entry == nullptr) return;
    const document::Table* project = entry->value.as_table();
    if (project == nullptr) return;
    for (Step step : STEPS)
        step(checker, *project);
}

}  // namespace tarnvik::rules::project
