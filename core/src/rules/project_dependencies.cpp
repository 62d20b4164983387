#include "rules/project_checks.hpp"

namespace tarnvik::rules::project {

void check_dependencies(Checker& /*checker*/, const document::Table& /*project*/) {}

void check_requirements(Checker& /*checker*/, std::string_view /*path*/,
                        const document::Value& /*value*/) {}

}  // namespace tarnvik::rules::project
