#include "rules/project_checks.hpp"

namespace tarnvik::rules::project {

void check_people(Checker& /*checker*/, const document::Table& /*project*/) {}

void check_urls(Checker& /*checker*/, const document::Table& /*project*/) {}

void check_scripts(Checker& /*checker*/, const document::Table& /*project*/) {}

void check_entry_point(Checker& /*checker*/, std::string_view /*path*/,
                       const document::Table& /*entries*/) {}

void check_import_names(Checker& /*checker*/, const document::Table& /*project*/) {}

}  // namespace tarnvik::rules::project
