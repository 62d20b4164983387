#pragma once

#include <string_view>

#include "checker.hpp"
#include "tarnvik/document.hpp"

// The checks of `[project]` that live beside the pass core, each given the `project` table.
namespace tarnvik::rules::project {

// `authors`, then `maintainers`.
void check_people(Checker& checker, const document::Table& project);
// `urls`.
void check_urls(Checker& checker, const document::Table& project);
// `scripts`, `gui-scripts`, then `entry-points`.
void check_scripts(Checker& checker, const document::Table& project);
// One table of entry points; `path` is its dotted path, such as `project.scripts`.
void check_entry_point(Checker& checker, std::string_view path, const document::Table& entries);
// `import-names`, `import-namespaces`, then the names listed in both.
void check_import_names(Checker& checker, const document::Table& project);

// `dependencies` and `optional-dependencies`.
void check_dependencies(Checker& checker, const document::Table& project);

// The `file` and `text` keys of the `readme` or `license` table at `path`: each must be a string,
// and at most one may be set. Whether either is set.
bool check_file_or_text(Checker& checker, const document::Table& table, std::string_view path);

// `license`, `license-files` and `License ::` classifiers.
void check_license(Checker& checker, const document::Table& project);
// The values of `classifiers`.
void check_classifiers(Checker& checker, const document::Table& project);

}  // namespace tarnvik::rules::project
